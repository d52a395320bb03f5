#include "contentCopy.h"

#include <iostream>

namespace fs = boost::filesystem;

bool copyContent(const fs::path& from, const fs::path& to) {
    boost::system::error_code error;
    fs::create_directories(to / "saves", error);
    if (error) return false;
    for (fs::recursive_directory_iterator it(from, error), end; !error && it != end; it.increment(error)) {
        const fs::path relative = fs::relative(it->path(), from, error);
        if (relative.begin() != relative.end() && *relative.begin() == "saves") continue;
        if (fs::is_directory(it->path()))
            fs::create_directories(to / relative, error);
        else
            fs::copy_file(it->path(), to / relative, fs::copy_option::overwrite_if_exists, error);
        if (error) {
            std::cerr << "cannot copy " << it->path() << ": " << error.message() << std::endl;
            return false;
        }
    }
    return !error;
}
