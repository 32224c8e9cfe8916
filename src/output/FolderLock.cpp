#include "output/FolderLock.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

namespace sheetbasis {

FolderLock::FolderLock(FolderLock&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), outcome_(std::move(other.outcome_)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        release();
        descriptor_ = std::exchange(other.descriptor_, -1);
        outcome_ = std::move(other.outcome_);
    }
    return *this;
}

FolderLock::~FolderLock() {
    release();
}

void FolderLock::release() {
    // Closing the only descriptor of the open folder releases its lock.
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
}

FolderLock FolderLock::waitFor(const std::string& folder) {
    return take(AT_FDCWD, folder, 0, LOCK_EX);
}

FolderLock FolderLock::takeIfFreeBelow(int parent, const std::string& name) {
    return take(parent, name, O_NOFOLLOW, LOCK_EX | LOCK_NB);
}

FolderLock FolderLock::take(int parent, const std::string& folder, int openFlags,
                            int lockOperation) {
    FolderLock lock;
    // flock locks belong to the open file description, so two threads of one process that
    // each open the folder exclude each other as two processes do.
    const int descriptor =
        ::openat(parent, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | openFlags);
    if (descriptor < 0) {
        lock.outcome_ = Outcome::failure(folder + ": cannot be locked: " + std::strerror(errno));
        return lock;
    }
    int result = 0;
    do {
        result = ::flock(descriptor, lockOperation);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        lock.outcome_ = Outcome::failure(folder + ": cannot be locked: " + std::strerror(errno));
        ::close(descriptor);
        return lock;
    }
    lock.descriptor_ = descriptor;
    return lock;
}

std::optional<std::vector<std::string>> FolderLock::entryNames() const {
    if (descriptor_ < 0) return std::nullopt;
    return entryNamesOf(descriptor_);
}

std::optional<std::vector<std::string>> entryNamesOf(int folder) {
    // Large enough for a result folder in one call; a bigger one takes more calls.
    constexpr std::size_t BUFFER_BYTES = std::size_t{32} * 1024;
    alignas(dirent64) char buffer[BUFFER_BYTES];
    std::vector<std::string> names;
    for (;;) {
        const ssize_t filled = ::getdents64(folder, buffer, sizeof buffer);
        if (filled < 0 && errno == EINTR) continue;
        if (filled < 0) return std::nullopt;
        if (filled == 0) return names;
        for (ssize_t at = 0; at < filled;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            const std::string_view name(entry->d_name);
            if (name != "." && name != "..") names.emplace_back(name);
            at += entry->d_reclen;
        }
    }
}

}  // namespace sheetbasis
