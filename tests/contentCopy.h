// A private copy of the shipped content for a run of the real game, so its saves never touch
// the repository's data directory.
#pragma once

#include <boost/filesystem.hpp>

// Copies everything under `from` but its saves into `to` (created, with an empty saves folder).
// False, after naming the file on standard error, when something cannot be copied.
bool copyContent(const boost::filesystem::path& from, const boost::filesystem::path& to);
