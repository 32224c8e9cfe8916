#include "output/AtomicFile.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <new>
#include <random>
#include <string>
#include <utility>

#include "output/PerThread.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

// Mode of a new file before the umask, as the C library's fopen creates files.
constexpr mode_t NEW_FILE_MODE = 0666;
// Mode of a new folder before the umask, as the file-system library creates folders.
constexpr mode_t NEW_FOLDER_MODE = 0777;
constexpr std::size_t SUFFIX_DIGITS = 16;
constexpr int BITS_PER_HEX_DIGIT = 4;
constexpr std::string_view HEX_DIGITS = "0123456789abcdef";
// Names are drawn anew when one is taken; 64 random bits make a second clash unheard of,
// and the bound keeps a folder full of someone else's files from holding the run forever.
constexpr int NAME_ATTEMPTS = 8;
constexpr int NEW_FILE_FLAGS = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
constexpr int FOLDER_FLAGS = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::string randomSuffix() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
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

// Has create make a new entry under a fresh temporary name beside finalName, drawing the
// name anew while one is taken; create returns whether it made the entry.
template <typename Create>
bool createUnderFreshName(std::string_view finalName, std::string& temporaryName, Create create) {
    for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
        temporaryName = temporaryNameFor(finalName);
        if (create(temporaryName)) return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

// The private folder of this thread's PrivateFolderScope, with its closing separator;
// empty outside one.
std::string& privateFolder() {
    static PerThread<std::string> perThread;
    return perThread.get();
}

bool inPrivateFolder(std::string_view path) {
    const std::string& folder = privateFolder();
    return !folder.empty() && path.starts_with(folder);
}

// The folders this thread opened, by the text the program names them by (no closing
// separator), the latest last.
struct RegisteredFolder {
    std::string text;
    int descriptor;
};
PerThread<std::vector<RegisteredFolder>> openedFoldersOfThreads;

std::vector<RegisteredFolder>& openedFolders() {
    return openedFoldersOfThreads.get();
}

std::string withoutClosingSeparators(std::string text) {
    while (text.size() > 1 && text.ends_with('/')) text.pop_back();
    return text;
}

// Called as a folder closes: the thread registered it, so its list is there already.
void unregister(int descriptor) noexcept {
    if (std::vector<RegisteredFolder>* opened = openedFoldersOfThreads.ifMade()) {
        std::erase_if(*opened, [descriptor](const RegisteredFolder& f) {
            return f.descriptor == descriptor;
        });
    }
}

bool isFolderEntry(int folder, const char* name, unsigned char type) {
    if (type != DT_UNKNOWN) return type == DT_DIR;
    struct stat status {};
    return ::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode);
}

thread_local ResultReplacement* currentReplacement = nullptr;

// The order files are put in place: a shape file on disk always has its index, table and
// projection file, and a project finds every layer it names complete.
enum class PlacementRank { Other, Shape, Project };

PlacementRank placementRank(std::string_view path) {
    if (isShapeFileName(path)) return PlacementRank::Shape;
    return path.ends_with(".qgs") ? PlacementRank::Project : PlacementRank::Other;
}

}  // namespace

bool isShapeFileName(std::string_view path) {
    constexpr std::string_view SHAPE_EXTENSION = ".shp";
    return path.size() >= SHAPE_EXTENSION.size() &&
           equalsIgnoringCase(path.substr(path.size() - SHAPE_EXTENSION.size()), SHAPE_EXTENSION);
}

bool isTemporaryFileName(std::string_view fileName) {
    const std::size_t mark = fileName.rfind(TEMPORARY_NAME_MARK);
    // A hidden name of at least one character before the mark.
    if (mark == std::string_view::npos || mark < 2 || fileName[0] != '.') return false;
    const std::string_view suffix = fileName.substr(mark + TEMPORARY_NAME_MARK.size());
    return suffix.size() == SUFFIX_DIGITS &&
           suffix.find_first_not_of(HEX_DIGITS) == std::string_view::npos;
}

std::string_view finalNameOfTemporary(std::string_view fileName) {
    if (!isTemporaryFileName(fileName)) return {};
    return fileName.substr(1, fileName.rfind(TEMPORARY_NAME_MARK) - 1);
}

std::vector<std::string> removeTemporaryFiles(int folder, std::vector<std::string> names,
                                              const std::function<bool(std::string_view)>& ours) {
    std::erase_if(names, [&](const std::string& name) {
        struct stat status {};
        return isTemporaryFileName(name) && ours(finalNameOfTemporary(name)) &&
               ::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
               S_ISREG(status.st_mode) && ::unlinkat(folder, name.c_str(), 0) == 0;
    });
    return names;
}

std::string temporaryNameFor(std::string_view finalPath) {
    const std::size_t nameStart = finalPath.rfind('/') + 1;  // 0 without a separator
    std::string name(finalPath.substr(0, nameStart));
    name += '.';
    name += finalPath.substr(nameStart);
    name += TEMPORARY_NAME_MARK;
    name += randomSuffix();
    return name;
}

std::string folderTextOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

FolderEntry folderEntryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = withoutClosingSeparators(folderTextOf(path));
    const std::vector<RegisteredFolder>& opened = openedFolders();
    const auto found =
        std::find_if(opened.rbegin(), opened.rend(),
                     [&folder](const RegisteredFolder& f) { return f.text == folder; });
    if (found == opened.rend()) return {AT_FDCWD, path};
    return {found->descriptor, path.substr(slash == std::string::npos ? 0 : slash + 1)};
}

OpenedFolder OpenedFolder::openBelow(int parent, const std::string& name, std::string text) {
    OpenedFolder opened;
    opened.descriptor_ = ::openat(parent, name.c_str(), FOLDER_FLAGS);
    if (opened.isOpen()) {
        openedFolders().push_back({withoutClosingSeparators(std::move(text)), opened.descriptor_});
    }
    return opened;
}

OpenedFolder OpenedFolder::borrow(int descriptor, std::string text) {
    OpenedFolder opened;
    opened.descriptor_ = descriptor;
    opened.owned_ = false;
    if (descriptor >= 0) {
        openedFolders().push_back({withoutClosingSeparators(std::move(text)), descriptor});
    }
    return opened;
}

OpenedFolder::OpenedFolder(OpenedFolder&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), owned_(other.owned_) {}

OpenedFolder& OpenedFolder::operator=(OpenedFolder&& other) noexcept {
    if (this != &other) {
        close();
        descriptor_ = std::exchange(other.descriptor_, -1);
        owned_ = other.owned_;
    }
    return *this;
}

OpenedFolder::~OpenedFolder() {
    close();
}

void OpenedFolder::close() {
    if (descriptor_ < 0) return;
    unregister(descriptor_);
    if (owned_) ::close(descriptor_);
    descriptor_ = -1;
}

bool makeFolder(const std::string& path) {
    const FolderEntry entry = folderEntryOf(path);
    return ::mkdirat(entry.folder, entry.name.c_str(), NEW_FOLDER_MODE) == 0;
}

std::string makeTemporaryFolder(std::string_view finalPath) {
    std::string temporaryPath;
    if (!createUnderFreshName(finalPath, temporaryPath, makeFolder)) return {};
    const int folder = ::open(temporaryPath.c_str(), FOLDER_FLAGS);
    const int mark =
        folder < 0 ? -1 : ::openat(folder, TEMPORARY_FOLDER_MARK, NEW_FILE_FLAGS, NEW_FILE_MODE);
    const int markError = errno;
    if (mark >= 0) ::close(mark);
    if (folder >= 0) ::close(folder);
    if (mark >= 0) return temporaryPath;
    removeFolderTree(AT_FDCWD, temporaryPath);
    errno = markError;
    return {};
}

bool isOwnTemporaryFolder(int parent, const std::string& name) {
    if (!isTemporaryFileName(name.substr(name.rfind('/') + 1))) return false;
    const int folder = ::openat(parent, name.c_str(), FOLDER_FLAGS);
    if (folder < 0) return false;
    struct stat status {};
    const bool marked =
        ::fstatat(folder, TEMPORARY_FOLDER_MARK, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(status.st_mode);
    ::close(folder);
    return marked;
}

namespace {

// A failed sheet's folder is removed when the process may be out of descriptors: the
// threads of a set fail together at a descriptor limit and free theirs as they fail, so a
// folder that cannot be opened for want of one is tried again for a while rather than left.
constexpr int FOLDER_OPEN_TRIES = 200;
constexpr timespec FOLDER_OPEN_PAUSE{0, 1'000'000};  // 1 ms

int openFolderForRemoval(int parent, const char* name) {
    int folder = ::openat(parent, name, FOLDER_FLAGS);
    for (int tries = 1;
         folder < 0 && (errno == EMFILE || errno == ENFILE) && tries < FOLDER_OPEN_TRIES; ++tries) {
        ::nanosleep(&FOLDER_OPEN_PAUSE, nullptr);
        folder = ::openat(parent, name, FOLDER_FLAGS);
    }
    return folder;
}

// Removes the folder and what it holds, listing it into a buffer on the stack: the clean-up
// after a run that ran out of memory must need none.
void removeTree(int parent, const char* name) {
    const int folder = openFolderForRemoval(parent, name);
    if (folder < 0) return;
    constexpr std::size_t LISTING_BYTES = 4096;
    alignas(dirent64) char buffer[LISTING_BYTES];
    ssize_t filled = 0;
    while ((filled = ::getdents64(folder, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < filled;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            const std::string_view entryName(entry->d_name);
            if (entryName == "." || entryName == "..") continue;
            if (isFolderEntry(folder, entry->d_name, entry->d_type)) {
                removeTree(folder, entry->d_name);
            } else {
                ::unlinkat(folder, entry->d_name, 0);
            }
        }
    }
    ::close(folder);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

}  // namespace

void removeFolderTree(int parent, const std::string& name) {
    removeTree(parent, name.c_str());
}

PrivateFolderScope::PrivateFolderScope(std::string folder)
    : current_(&privateFolder()), outer_(std::exchange(*current_, std::move(folder))) {
    if (!current_->ends_with('/')) current_->push_back('/');
}

PrivateFolderScope::~PrivateFolderScope() {
    *current_ = std::move(outer_);
}

StagedFile::StagedFile(std::string finalPath, std::string_view bytes)
    : finalPath_(std::move(finalPath)), final_(folderEntryOf(finalPath_)) {
    int descriptor = -1;
    if (inPrivateFolder(finalPath_)) {
        descriptor = ::openat(final_.folder, final_.name.c_str(), NEW_FILE_FLAGS, NEW_FILE_MODE);
    } else {
        createUnderFreshName(final_.name, temporaryName_, [&](const std::string& name) {
            descriptor = ::openat(final_.folder, name.c_str(), NEW_FILE_FLAGS, NEW_FILE_MODE);
            return descriptor >= 0;
        });
    }
    if (descriptor < 0) {
        staged_ = Outcome::failure(systemReason(finalPath_));
        temporaryName_.clear();
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
        if (temporaryName_.empty()) ::unlinkat(final_.folder, final_.name.c_str(), 0);
    }
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : finalPath_(std::move(other.finalPath_)),
      final_(std::move(other.final_)),
      temporaryName_(std::exchange(other.temporaryName_, {})),
      staged_(std::move(other.staged_)) {}

StagedFile::~StagedFile() {
    if (!temporaryName_.empty()) ::unlinkat(final_.folder, temporaryName_.c_str(), 0);
}

Outcome StagedFile::putInPlace() {
    // Written at its final name, in a private folder.
    if (!staged_ || temporaryName_.empty()) return staged_;
    if (::renameat(final_.folder, temporaryName_.c_str(), final_.folder, final_.name.c_str()) !=
        0) {
        return Outcome::failure(systemReason(finalPath_));
    }
    temporaryName_.clear();
    return {};
}

ResultReplacement::ResultReplacement() : outer_(std::exchange(currentReplacement, this)) {}

ResultReplacement::~ResultReplacement() {
    currentReplacement = outer_;
}

ResultReplacement* ResultReplacement::current() {
    return currentReplacement;
}

Outcome ResultReplacement::place(StagedFile& file, EarlierEntry earlier) {
    const bool exchange = earlier != EarlierEntry::None;
    const FolderEntry& entry = file.final_;
    // Written at its final name, in a private folder: nothing to undo there.
    if (!file.staged_ || file.temporaryName_.empty()) return file.staged_;
    const char* from = file.temporaryName_.c_str();
    // Made before the rename and kept in room reserved by commit: once the name is taken,
    // recording the step allocates nothing, so running out of memory cannot lose its undo.
    Step step{file.finalPath_, entry, {}};
    if (exchange &&
        ::renameat2(entry.folder, from, entry.folder, entry.name.c_str(), RENAME_EXCHANGE) == 0) {
        step.waiting = std::exchange(file.temporaryName_, {});
        step.exchanged = true;
        step.mayBeFolder = earlier == EarlierEntry::Unknown;
        steps_.push_back(std::move(step));
        return {};
    }
    // Nothing had the name after all, or the file system cannot exchange: a plain rename.
    if (exchange && errno != ENOENT && errno != EINVAL)
        return Outcome::failure(systemReason(file.finalPath_));
    if (::renameat(entry.folder, from, entry.folder, entry.name.c_str()) != 0) {
        return Outcome::failure(systemReason(file.finalPath_));
    }
    file.temporaryName_.clear();
    steps_.push_back(std::move(step));
    return {};
}

Outcome ResultReplacement::moveAside(const std::string& path) {
    const FolderEntry entry = folderEntryOf(path);
    Step step{path, entry, {}};  // made before the rename, as in place
    std::string waiting;
    const bool moved = createUnderFreshName(entry.name, waiting, [&](const std::string& name) {
        return ::renameat2(entry.folder, entry.name.c_str(), entry.folder, name.c_str(),
                           RENAME_NOREPLACE) == 0;
    });
    if (moved) {
        step.waiting = std::move(waiting);
        steps_.push_back(std::move(step));
    }
    if (moved || errno == ENOENT) return {};
    return Outcome::failure(systemReason(path));
}

void ResultReplacement::undo() {
    // The last step first: each undoes what the steps after it left.
    std::for_each(steps_.rbegin(), steps_.rend(), [](const Step& step) {
        const FolderEntry& e = step.entry;
        if (step.exchanged) {
            // Exchanged back, as a folder cannot be renamed over the new file.
            ::renameat2(e.folder, step.waiting.c_str(), e.folder, e.name.c_str(), RENAME_EXCHANGE);
            ::unlinkat(e.folder, step.waiting.c_str(), 0);
        } else if (step.waiting.empty()) {
            ::unlinkat(e.folder, e.name.c_str(), 0);
        } else {
            ::renameat(e.folder, step.waiting.c_str(), e.folder, e.name.c_str());
        }
    });
    steps_.clear();
}

Outcome ResultReplacement::commit(
    const std::function<EarlierEntry(const std::string&)>& earlierEntry) {
    try {
        steps_.reserve(steps_.size() + staged_.size() + earlier_.size());
        return placeAll(earlierEntry);
    } catch (const std::bad_alloc&) {
        // Between two renames: the files placed so far go back.
        undo();
        return Outcome::failure(std::string(OUT_OF_MEMORY));
    }
}

Outcome ResultReplacement::placeAll(
    const std::function<EarlierEntry(const std::string&)>& earlierEntry) {
    Outcome outcome;
    for (const PlacementRank rank :
         {PlacementRank::Other, PlacementRank::Shape, PlacementRank::Project}) {
        for (StagedFile& file : staged_) {
            if (!outcome || placementRank(file.finalPath()) != rank) continue;
            outcome = place(file, earlierEntry(file.finalPath()));
        }
    }
    for (const std::string& path : earlier_) {
        if (!outcome) break;
        const FolderEntry entry = folderEntryOf(path);
        const bool replaced = std::any_of(staged_.begin(), staged_.end(), [&](const StagedFile& f) {
            return f.final_.folder == entry.folder && f.final_.name == entry.name;
        });
        if (!replaced) outcome = moveAside(path);
    }
    if (!outcome) {
        undo();
        return outcome;
    }
    if (Outcome folders = refuseFoldersReplaced(); !folders) {
        undo();
        return folders;
    }
    for (const Step& step : steps_) {
        if (!step.waiting.empty()) ::unlinkat(step.entry.folder, step.waiting.c_str(), 0);
    }
    steps_.clear();
    dropUnplaced();
    return {};
}

// An exchange swaps a file with a folder as readily as with a file; a folder that had a
// file's name keeps it, and the run fails as a rename over it would.
Outcome ResultReplacement::refuseFoldersReplaced() const {
    for (const Step& step : steps_) {
        struct stat status {};
        if (step.mayBeFolder &&
            ::fstatat(step.entry.folder, step.waiting.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(status.st_mode)) {
            return Outcome::failure(step.path + ": " + std::strerror(EISDIR));
        }
    }
    return {};
}

void ResultReplacement::dropUnplaced() {
    staged_.clear();
    earlier_.clear();
}

Outcome checkReplaceable(const std::string& path) {
    const FolderEntry entry = folderEntryOf(path);
    std::string secondName;
    const bool linked = createUnderFreshName(entry.name, secondName, [&](const std::string& name) {
        return ::linkat(entry.folder, entry.name.c_str(), entry.folder, name.c_str(), 0) == 0;
    });
    if (linked) {
        ::unlinkat(entry.folder, secondName.c_str(), 0);
        return {};
    }
    if (errno == ENOENT) return {};
    return Outcome::failure(systemReason(path));
}

void makeFileSizeLimitAWriteFailure() {
    std::signal(SIGXFSZ, SIG_IGN);
}

Outcome writeFileAtomically(const std::string& path, std::string_view bytes) {
    StagedFile file(path, bytes);
    if (!file.staged()) return file.staged();
    if (ResultReplacement* replacement = ResultReplacement::current()) {
        replacement->keep(std::move(file));
        return {};
    }
    return file.putInPlace();
}

}  // namespace sheetbasis
