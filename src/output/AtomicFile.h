#pragma once
// The one way the program puts a file on disk. The bytes go to a new file with a unique
// name beside the final one, created exclusively and never through a link, are checked on
// every write and on the close, and only then is the file renamed over its final name. The
// final name is never opened: a link there is replaced, not followed, and a reader sees
// the earlier file or the new one whole, never a cut one.

#include <string>
#include <string_view>

#include "output/Outcome.h"

namespace sheetbasis {

// Temporary files are named "<final name>" + this + 16 hexadecimal digits, so that a run
// that was killed can recognise and remove what an earlier one left, and so that two runs
// never share one.
inline constexpr std::string_view TEMPORARY_FILE_MARK = ".partial-";

// True for a name that a temporary file or folder of this program has.
bool isTemporaryFileName(std::string_view fileName);

// A fresh temporary name beside finalPath: finalPath, the mark and 16 random hexadecimal
// digits.
std::string temporaryNameFor(std::string_view finalPath);

// Makes the folder (not those above it) as the file-system library makes folders; false,
// with errno set, when it cannot (EEXIST when anything, a link too, has the name).
bool makeFolder(const std::string& path);
// A new, empty folder under a fresh temporary name beside finalPath; "" with errno set when
// none can be made.
std::string makeTemporaryFolder(std::string_view finalPath);

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
    // Renames the temporary file over the final name.
    Outcome putInPlace();

  private:
    std::string finalPath_;
    std::string temporaryPath_;  // empty once renamed or removed
    Outcome staged_;
};

// A file-size limit (ulimit -f) makes the kernel stop the process with SIGXFSZ at the first
// write past it, before the run can report anything or remove its temporary files. With
// the signal ignored, such a write fails (EFBIG) like any other and the run says so.
void makeFileSizeLimitAWriteFailure();

// Stages the file and puts it in place.
Outcome writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace sheetbasis
