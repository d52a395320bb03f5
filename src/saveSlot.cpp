// Replacing a save slot folder as a whole: write a fresh folder, flush it, swap it in.
#include "saveSlot.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <cerrno>
#include <cstring>

namespace fs = boost::filesystem;

namespace {

// Beside the slot "1": ".1.new" is the save being written (or, after the exchange, the previous
// save on its way out), ".1.old" the previous save during the two-rename swap.
std::string freshFolder(const std::string& saves, const std::string& slot) { return saves + "/." + slot + ".new"; }
std::string oldFolder(const std::string& saves, const std::string& slot) { return saves + "/." + slot + ".old"; }

bool isDirectory(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

void removeAll(const std::string& path) {
    boost::system::error_code ignored;
    fs::remove_all(path, ignored);
}

// Makes a folder's entries durable (new files in it, renames into or out of it).
void syncFolder(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Writes `text` to `path` and flushes it to disk; false with `problem` set on any failure.
bool writeFlushed(const std::string& path, const std::string& text, std::string& problem) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        problem = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const char* data = text.data();
    size_t left = text.size();
    bool ok = true;
    while (ok && left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) {
            ok = false;
            break;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (!ok) problem = "cannot write " + path + ": " + std::strerror(errno);
    if (::close(fd) != 0 && ok) {
        ok = false;
        problem = "cannot write " + path + ": " + std::strerror(errno);
    }
    return ok;
}

bool renamed(const std::string& from, const std::string& to, std::string& problem) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    problem = "cannot move " + from + " to " + to + ": " + std::strerror(errno);
    return false;
}

// Swaps the fresh folder in with two renames; the previous content ends in the old folder.
bool swapByRenames(const std::string& saves, const std::string& slot, std::string& problem) {
    const std::string target = saves + "/" + slot;
    const std::string old = oldFolder(saves, slot);
    if (!renamed(target, old, problem)) return false;
    // A crash right here leaves the slot missing; recoverSlot() puts the old folder back.
    if (!renamed(freshFolder(saves, slot), target, problem)) {
        std::string ignored;
        renamed(old, target, ignored);
        return false;
    }
    syncFolder(saves);
    removeAll(old);
    return true;
}

}  // namespace

bool validSlotName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name[0] == '.') return false;
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

void recoverSlot(const std::string& saves, const std::string& slot) {
    if (!validSlotName(slot)) return;
    const std::string target = saves + "/" + slot;
    const std::string old = oldFolder(saves, slot);
    if (!exists(target) && isDirectory(old) && std::rename(old.c_str(), target.c_str()) == 0) syncFolder(saves);
}

bool replaceSlot(const std::string& saves, const std::string& slot, const std::vector<SlotFile>& files,
                 std::string& problem, SlotSwap swap) {
    if (!validSlotName(slot)) {
        problem = "\"" + slot + "\" cannot name a save";
        return false;
    }
    const std::string target = saves + "/" + slot;
    const std::string fresh = freshFolder(saves, slot);
    if (exists(target) && !isDirectory(target)) {
        problem = target + " is a file, not a save folder";
        return false;
    }
    // Leftovers of an interrupted save: first mend the slot, then clear the way.
    recoverSlot(saves, slot);
    removeAll(fresh);
    if (isDirectory(target)) removeAll(oldFolder(saves, slot));

    if (::mkdir(fresh.c_str(), 0755) != 0) {
        problem = "cannot create " + fresh + ": " + std::strerror(errno);
        return false;
    }
    for (const SlotFile& file : files) {
        if (!writeFlushed(fresh + "/" + file.name, *file.text, problem)) {
            removeAll(fresh);
            return false;
        }
    }
    syncFolder(fresh);

    if (!isDirectory(target)) {
        if (!renamed(fresh, target, problem)) {
            removeAll(fresh);
            return false;
        }
        syncFolder(saves);
        return true;
    }
    if (swap == SlotSwap::Exchange) {
        if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
            syncFolder(saves);
            removeAll(fresh);  // now the previous save
            return true;
        }
        // File systems without the exchange (some network ones) take the two-rename path.
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
            problem = "cannot replace " + target + ": " + std::strerror(errno);
            removeAll(fresh);
            return false;
        }
    }
    if (!swapByRenames(saves, slot, problem)) {
        removeAll(fresh);
        return false;
    }
    return true;
}
