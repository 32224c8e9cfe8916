#include "output/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>

namespace sheetbasis {
namespace {

// Mode of a new file before the umask, as the C library's fopen creates files.
constexpr mode_t NEW_FILE_MODE = 0666;
// Mode of a new folder before the umask, as the file-system library creates folders.
constexpr mode_t NEW_FOLDER_MODE = 0777;
constexpr std::size_t SUFFIX_DIGITS = 16;
constexpr int BITS_PER_HEX_DIGIT = 4;
// Names are drawn anew when one is taken; 64 random bits make a second clash unheard of,
// and the bound keeps a folder full of someone else's files from holding the run forever.
constexpr int NAME_ATTEMPTS = 8;

std::string randomSuffix() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    constexpr char HEX_DIGITS[] = "0123456789abcdef";
    std::uint64_t bits = generator();
    std::string suffix(SUFFIX_DIGITS, '0');
    for (char& digit : suffix) {
        digit = HEX_DIGITS[bits & 0xF];
        bits >>= BITS_PER_HEX_DIGIT;
    }
    return suffix;
}

std::string systemReason(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

bool writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        if (written == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// O_NOFOLLOW and O_EXCL together refuse any entry already there, a link above all.
int openNewFile(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  NEW_FILE_MODE);
}

// Has create make a new entry under a fresh temporary name beside finalPath, drawing the
// name anew while one is taken; create returns whether it made the entry.
template <typename Create>
bool createUnderFreshName(std::string_view finalPath, std::string& temporaryPath, Create create) {
    for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
        temporaryPath = temporaryNameFor(finalPath);
        if (create(temporaryPath)) return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

// A new file that did not exist before, created in the folder of finalPath.
int createExclusively(const std::string& finalPath, std::string& temporaryPath) {
    int descriptor = -1;
    createUnderFreshName(finalPath, temporaryPath, [&descriptor](const std::string& path) {
        descriptor = openNewFile(path);
        return descriptor >= 0;
    });
    return descriptor;
}

// The private folder of this thread's PrivateFolderScope, with its closing separator;
// empty outside one.
thread_local std::string privateFolder;

bool inPrivateFolder(std::string_view path) {
    return !privateFolder.empty() && path.starts_with(privateFolder);
}

}  // namespace

bool isTemporaryFileName(std::string_view fileName) {
    const std::size_t mark = fileName.rfind(TEMPORARY_FILE_MARK);
    if (mark == std::string_view::npos || mark == 0) return false;
    const std::string_view suffix = fileName.substr(mark + TEMPORARY_FILE_MARK.size());
    return suffix.size() == SUFFIX_DIGITS &&
           suffix.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::string temporaryNameFor(std::string_view finalPath) {
    return std::string(finalPath) + std::string(TEMPORARY_FILE_MARK) + randomSuffix();
}

bool makeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), NEW_FOLDER_MODE) == 0;
}

std::string makeTemporaryFolder(std::string_view finalPath) {
    std::string temporaryPath;
    return createUnderFreshName(finalPath, temporaryPath, makeFolder) ? temporaryPath
                                                                      : std::string();
}

PrivateFolderScope::PrivateFolderScope(std::string folder)
    : outer_(std::exchange(privateFolder, std::move(folder))) {
    if (!privateFolder.ends_with('/')) privateFolder.push_back('/');
}

PrivateFolderScope::~PrivateFolderScope() {
    privateFolder = std::move(outer_);
}

StagedFile::StagedFile(std::string finalPath, std::string_view bytes)
    : finalPath_(std::move(finalPath)) {
    const int descriptor = inPrivateFolder(finalPath_)
                               ? openNewFile(finalPath_)
                               : createExclusively(finalPath_, temporaryPath_);
    if (descriptor < 0) {
        staged_ = Outcome::failure(systemReason(finalPath_));
        temporaryPath_.clear();
        return;
    }
    const bool written = writeAll(descriptor, bytes);
    const int writeError = errno;
    // close reports what a delayed write could not do (NFS, quotas); it counts as much
    // as the write.
    const bool closed = ::close(descriptor) == 0;
    if (!written) errno = writeError;
    if (!written || !closed) {
        staged_ = Outcome::failure(systemReason(finalPath_));
        // A cut file at its final name would pass for a whole one.
        if (temporaryPath_.empty()) ::unlink(finalPath_.c_str());
    }
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : finalPath_(std::move(other.finalPath_)),
      temporaryPath_(std::exchange(other.temporaryPath_, {})),
      staged_(std::move(other.staged_)) {}

StagedFile::~StagedFile() {
    if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
}

Outcome StagedFile::putInPlace() {
    // Written at its final name, in a private folder.
    if (!staged_ || temporaryPath_.empty()) return staged_;
    if (std::rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0) {
        return Outcome::failure(systemReason(finalPath_));
    }
    temporaryPath_.clear();
    return {};
}

void makeFileSizeLimitAWriteFailure() {
    std::signal(SIGXFSZ, SIG_IGN);
}

Outcome writeFileAtomically(const std::string& path, std::string_view bytes) {
    StagedFile file(path, bytes);
    return file.putInPlace();
}

}  // namespace sheetbasis
