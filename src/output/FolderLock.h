#pragma once
// An exclusive advisory lock on a folder, so that runs writing into one result folder take
// turns. The lock is taken on the folder itself: nothing is left behind, and the kernel
// releases it when the holder ends, however it ends.

#include <optional>
#include <string>
#include <vector>

#include "output/Outcome.h"

namespace sheetbasis {

// The names of the open folder's entries ("." and ".." aside), read through its descriptor;
// nothing when it cannot be read to its end.
std::optional<std::vector<std::string>> entryNamesOf(int folder);

class FolderLock {
  public:
    FolderLock() = default;  // holds nothing
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    // Waits until no other holder has the folder, then holds it.
    static FolderLock waitFor(const std::string& folder);
    // Holds the folder `name` of the open folder parent when no one else does, without
    // waiting; never through a link.
    static FolderLock takeIfFreeBelow(int parent, const std::string& name);

    bool held() const { return descriptor_ >= 0; }
    // The open folder, for making and opening what lies in it (-1 when not held).
    int descriptor() const { return descriptor_; }
    // The names of the locked folder's entries ("." and ".." aside), read through the lock's
    // own descriptor rather than a second opening of the folder; nothing when it cannot be
    // read to its end.
    std::optional<std::vector<std::string>> entryNames() const;
    // Why the folder could not be locked (success while held).
    const Outcome& outcome() const { return outcome_; }

  private:
    static FolderLock take(int parent, const std::string& folder, int openFlags, int lockOperation);
    void release();
    int descriptor_ = -1;
    Outcome outcome_;
};

}  // namespace sheetbasis
