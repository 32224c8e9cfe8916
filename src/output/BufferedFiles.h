#pragma once
// The files of one layer held in memory while the table library writes them: the library
// seeks, reads back and writes record by record, which on disk costs a system call each.
// When the layer is complete its files go to disk through the atomic file writer, so a run
// stopped at any instant leaves every layer file whole or absent, and a shape file on disk
// always has its companions.

#include <shapefil.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/AtomicFile.h"
#include "output/Outcome.h"

namespace sheetbasis {

// Records, for this thread, what the folder holds right after the program listed it (the
// result folders, once cleared of an earlier run's layers): the names of all its entries. A
// layer file whose final name is not among them needs no look at the file system before it
// is created, nor does the table library's removal of a stale file of that name.
// folderNames are those of the entries that are folders.
void rememberFolderContents(const std::string& folder, std::vector<std::string> names,
                            const std::vector<std::string>& folderNames = {});
// What this thread remembered of the folder, or nothing when it never was.
std::optional<std::vector<std::string>> rememberedFolderContents(const std::string& folder);
// What the remembered folder of path held under its name (Unknown for a folder not
// remembered).
EarlierEntry earlierEntryAt(std::string_view path);
// Forgets every folder this thread remembered: done when the folders of its next sheet are
// prepared.
void forgetRememberedFolders();

class BufferedFiles {
  public:
    BufferedFiles() = default;
    BufferedFiles(const BufferedFiles&) = delete;
    BufferedFiles& operator=(const BufferedFiles&) = delete;
    // Files that were never committed are dropped: nothing of them reaches the disk.
    ~BufferedFiles();

    // Starts the file path empty, or empties it when it was started before; nothing
    // touches the disk until commit.
    std::string& create(const std::string& path);
    // The file path, or nullptr when it was never created.
    std::string* contents(const std::string& path);

    // Writes every file whole under a temporary name, then renames them into place (or,
    // within a ResultReplacement, leaves them to it), the
    // shape file (.shp) last, so that a shape file on disk always has its index, table and
    // projection file. When any file fails, none of the new files is left: those already
    // renamed are removed again. Commits once; the files are dropped from memory after.
    Outcome commit();

  private:
    Outcome putOnDisk() const;
    void dropFiles();

    struct File {
        std::string path;
        std::string bytes;
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

// Whether a file hook of the table library on this thread ran out of memory since the last
// call (the library then saw a failed open or write): a layer's failure is then one of
// memory, whatever the library makes of it.
bool tookLibraryOutOfMemory();

}  // namespace sheetbasis
