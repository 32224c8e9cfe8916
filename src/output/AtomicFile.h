#pragma once
// The one way the program puts a file on disk. The bytes go to a new file with a unique
// name beside the final one, created exclusively and never through a link, are checked on
// every write and on the close, and only then is the file renamed over its final name. The
// final name is never opened: a link there is replaced, not followed, and a reader sees
// the earlier file or the new one whole, never a cut one.

#include <fcntl.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "output/Outcome.h"

namespace sheetbasis {

// Temporary files and folders are named "." + "<final name>" + this + 16 hexadecimal
// digits: hidden, with the program's name, so that no name a user gives is taken for one,
// and so that two runs never share one. A temporary folder also holds TEMPORARY_FOLDER_MARK.
inline constexpr std::string_view TEMPORARY_NAME_MARK = ".sheetbasis-";
// The file that only this program writes, first, into a temporary folder it makes: the
// clean-up takes no folder without it. A character array, so that marking a folder just made
// allocates nothing: running out of memory there would leave the folder unmarked.
inline constexpr char TEMPORARY_FOLDER_MARK[] = ".sheetbasis-temporary";

// True for a name that a temporary file or folder of this program has.
bool isTemporaryFileName(std::string_view fileName);
// The final name a temporary name stands for ("N-37.pdf" for
// ".N-37.pdf.sheetbasis-0123456789abcdef"); "" for a name that is no temporary one.
std::string_view finalNameOfTemporary(std::string_view fileName);

// Removes those of `names`, entries of the open folder, that are temporary files a killed
// run left there and whose final name `ours` takes: only regular files, never through a
// link. Returns the names left.
std::vector<std::string> removeTemporaryFiles(int folder, std::vector<std::string> names,
                                              const std::function<bool(std::string_view)>& ours);

// A fresh temporary name beside finalPath: the same folder, the hidden name, the mark and
// 16 random hexadecimal digits.
std::string temporaryNameFor(std::string_view finalPath);

// True for a path ending in ".shp" in any letter case.
bool isShapeFileName(std::string_view path);

// Where the file or folder at path is reached: relative to a folder this thread opened
// (OpenedFolder) when path lies directly in one, else the path itself from the working
// folder (AT_FDCWD).
// The folder part of path as folderEntryOf reads it: up to the last separator ("/" for a
// path right below the root), "" for a bare name.
std::string folderTextOf(const std::string& path);

struct FolderEntry {
    int folder = AT_FDCWD;
    std::string name;
};
FolderEntry folderEntryOf(const std::string& path);

// A folder held open for as long as the object lives; on the thread that opened it, paths
// "<text>/<name>" are made, opened, renamed and removed relative to it (folderEntryOf), so
// that a link put in place of the folder meanwhile is not followed.
class OpenedFolder {
  public:
    OpenedFolder() = default;
    // Opens the sub-folder `name` of parent without following a link (descriptor -1 and
    // errno set when it cannot be opened: ELOOP or ENOTDIR for a link); text is the path
    // the program names it by.
    static OpenedFolder openBelow(int parent, const std::string& name, std::string text);
    // Uses, without closing it, a descriptor of the folder that `text` names that another
    // owner (a FolderLock) keeps open for longer.
    static OpenedFolder borrow(int descriptor, std::string text);
    OpenedFolder(OpenedFolder&& other) noexcept;
    OpenedFolder& operator=(OpenedFolder&& other) noexcept;
    OpenedFolder(const OpenedFolder&) = delete;
    OpenedFolder& operator=(const OpenedFolder&) = delete;
    ~OpenedFolder();

    int descriptor() const { return descriptor_; }
    bool isOpen() const { return descriptor_ >= 0; }

  private:
    void close();
    int descriptor_ = -1;
    bool owned_ = true;
};

// Makes the folder (not those above it) as the file-system library makes folders; false,
// with errno set, when it cannot (EEXIST when anything, a link too, has the name).
bool makeFolder(const std::string& path);
// A new folder under a fresh temporary name beside finalPath, holding only its
// TEMPORARY_FOLDER_MARK; "" with errno set when none can be made.
std::string makeTemporaryFolder(std::string_view finalPath);
// True when the folder `name` in parent is a real folder (no link) holding the mark as a
// regular file: one that this program made.
bool isOwnTemporaryFolder(int parent, const std::string& name);
// Removes the folder `name` of parent and everything in it, never following a link.
void removeFolderTree(int parent, const std::string& name);

// While alive, files this thread writes under `folder` go straight to their final names,
// still created exclusively and never through a link. Only for a folder the run made itself
// under a temporary name: no one else knows its name, so nothing can be there to replace
// or to read a cut file, and the folder's one rename puts all its files in place at once.
class PrivateFolderScope {
  public:
    explicit PrivateFolderScope(std::string folder);
    PrivateFolderScope(const PrivateFolderScope&) = delete;
    PrivateFolderScope& operator=(const PrivateFolderScope&) = delete;
    ~PrivateFolderScope();

  private:
    std::string* current_;  // the thread's private folder
    std::string outer_;
};

// A file written whole under its temporary name and waiting to be put in place. Destroyed
// before that, it removes its temporary file. In a private folder (PrivateFolderScope) the
// file is written at its final name and is in place once staged.
class StagedFile {
  public:
    StagedFile(std::string finalPath, std::string_view bytes);
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&&) = delete;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile();

    // Whether the bytes reached the temporary file whole.
    const Outcome& staged() const { return staged_; }
    const std::string& finalPath() const { return finalPath_; }
    const FolderEntry& finalEntry() const { return final_; }
    // Renames the temporary file over the final name.
    Outcome putInPlace();

  private:
    friend class ResultReplacement;
    std::string finalPath_;
    FolderEntry final_;
    std::string temporaryName_;  // in final_.folder; empty once renamed or removed
    Outcome staged_;
};

// What had a final name when the run began, as far as the run knows: nothing, a file (not
// a folder), or it does not know.
enum class EarlierEntry { None, File, Unknown };

// While alive, the files this thread stages wait, whole under their temporary names, until
// commit puts them all in place; until then the earlier files are untouched, and a run that
// fails before (the object destroyed uncommitted) leaves them as they were and removes its
// temporary files.
class ResultReplacement {
  public:
    ResultReplacement();
    ResultReplacement(const ResultReplacement&) = delete;
    ResultReplacement& operator=(const ResultReplacement&) = delete;
    ~ResultReplacement();

    // The replacement of this thread, or nullptr outside one.
    static ResultReplacement* current();
    void keep(StagedFile&& file) { staged_.push_back(std::move(file)); }
    // An earlier file that goes once the new files are in place, unless one of them takes
    // its name.
    void removeWhenReplaced(std::string path) { earlier_.push_back(std::move(path)); }

    // Puts the new files in place, shape files and then projects last, each exchanged with the
    // earlier file of its name, which waits under the temporary name; moves the earlier files that
    // no new one replaces to temporary names too. When a step fails, every earlier file gets its
    // name back and the new ones go: the folders are as they were. Otherwise the earlier files go.
    // earlierEntry tells what had a final name when the run began: a name that nothing had
    // is renamed onto without an exchange, and only what may be a folder is looked at.
    Outcome commit(const std::function<EarlierEntry(const std::string&)>& earlierEntry);
    // Removes the temporary files of what was not put in place; done while the folders
    // they lie in are still open.
    void dropUnplaced();

  private:
    // A step taken, undone when a later one fails: the entry now has the new file (or no
    // file) and the earlier one, if any, waits under `waiting`.
    struct Step {
        std::string path;
        FolderEntry entry;
        std::string waiting;       // empty: there was no earlier file
        bool exchanged = false;    // with whatever had the name
        bool mayBeFolder = false;  // what had the name was not known to be a file
    };
    Outcome placeAll(const std::function<EarlierEntry(const std::string&)>& earlierEntry);
    Outcome place(StagedFile& file, EarlierEntry earlier);
    Outcome moveAside(const std::string& path);
    void undo();
    Outcome refuseFoldersReplaced() const;

    std::vector<StagedFile> staged_;
    std::vector<std::string> earlier_;
    std::vector<Step> steps_;
    ResultReplacement* outer_ = nullptr;
};

// Whether the file at path could be removed or replaced: a second name can be given to it
// (an immutable or append-only file refuses one) or there is none; the reason when not.
Outcome checkReplaceable(const std::string& path);

// A file-size limit (ulimit -f) makes the kernel stop the process with SIGXFSZ at the first
// write past it, before the run can report anything or remove its temporary files. With
// the signal ignored, such a write fails (EFBIG) like any other and the run says so.
void makeFileSizeLimitAWriteFailure();

// Stages the file and puts it in place, or leaves it to this thread's ResultReplacement.
Outcome writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace sheetbasis
