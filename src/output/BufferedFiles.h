#pragma once
// The files of one layer held in memory while the table library writes them: the library
// seeks, reads back and writes record by record, which on disk costs a system call each.
// Each file goes to disk with one write under a temporary name in its folder and is renamed
// into place when the layer is complete, so a run stopped at any instant leaves every layer
// file whole or absent.

#include <shapefil.h>

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sheetbasis {

// Appended to a layer file's name while it is written; a run that was stopped leaves such
// files behind, and the next run clears them with the layers of the earlier run.
inline constexpr std::string_view PARTIAL_FILE_SUFFIX = ".partial";

// Records what the folder holds right after the program listed it (the result folders, once
// cleared of an earlier run's layers): the names of all its entries. A layer file whose
// final name is not among them needs no look at the file system before it is created, nor
// does the table library's removal of a stale file of that name.
void rememberFolderContents(const std::string& folder, std::vector<std::string> names);

class BufferedFiles {
  public:
    BufferedFiles() = default;
    BufferedFiles(const BufferedFiles&) = delete;
    BufferedFiles& operator=(const BufferedFiles&) = delete;
    // Puts every file in place (see commit).
    ~BufferedFiles();

    // Starts the file path empty, or empties it when it was started before. Fails (false,
    // errno set) when the final name cannot be written, for instance because a folder
    // holds it, or when the temporary file cannot be created.
    bool create(const std::string& path);
    // The file path, or nullptr when it was never created.
    std::string* contents(const std::string& path);

    // Writes each file with one write to its temporary name and renames it into place, the
    // shape file (.shp) last, so that a shape file on disk always has its index and table.
    // A file whose write fails is removed rather than left cut short. Returns the messages
    // of the failures (empty when everything went to disk).
    std::string commit();

  private:
    struct File {
        std::string path;
        std::string bytes;
        int descriptor = -1;
    };
    std::deque<File> files_;  // a deque keeps the contents in place as files are added
};

// While alive, the table library's file hooks (hooks()) create and open their files in
// `files` instead of on disk, and its error messages are added to `messages` (one per line)
// instead of being printed. Messages the library gives outside any scope are dropped.
class LibraryScope {
  public:
    LibraryScope(std::shared_ptr<BufferedFiles> files, std::string& messages);
    LibraryScope(const LibraryScope&) = delete;
    LibraryScope& operator=(const LibraryScope&) = delete;
    ~LibraryScope();

    SAHooks* hooks() { return &hooks_; }
    BufferedFiles& files() { return *files_; }
    const std::shared_ptr<BufferedFiles>& sharedFiles() const { return files_; }
    void addMessage(const char* message);

  private:
    SAHooks hooks_{};
    LibraryScope* outer_ = nullptr;
    std::shared_ptr<BufferedFiles> files_;
    std::string& messages_;
};

}  // namespace sheetbasis
