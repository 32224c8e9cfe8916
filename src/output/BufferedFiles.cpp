#include "output/BufferedFiles.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "output/AtomicFile.h"
#include "output/PerThread.h"

namespace sheetbasis {

namespace {

// What the result folders of the sheet this thread generates held after their clean-up. A
// thread generates one sheet at a time, from the preparation of its folders to its last
// file, so what it remembered of an earlier sheet's folders is forgotten then: a set of
// sheets keeps the folders of one sheet a thread, however many it writes.
// A folder is found by the text it was given in, which is how the files in it are named;
// only a path in another text (./a against a) needs the normal forms, which are therefore
// made when first compared, not when the folder is remembered.
struct RememberedFolder {
    std::string text;  // as given, with a closing separator
    std::set<std::string> names;
    std::set<std::string> folders;  // the names of sub-folders
    std::optional<std::filesystem::path> normalForm;

    const std::filesystem::path& normal() {
        if (!normalForm) normalForm = std::filesystem::path(text).parent_path().lexically_normal();
        return *normalForm;
    }
};
struct RememberedFolders {
    std::vector<RememberedFolder> folders;
    // A thread asks for the same folder over and over (each file of each layer of a
    // sheet), so the last folder found is kept until the remembered folders change.
    std::string lastFolderText;
    const std::set<std::string>* lastNames = nullptr;
};

RememberedFolders& remembered() {
    static PerThread<RememberedFolders> perThread;
    return perThread.get();
}

std::string withClosingSeparator(std::string folder) {
    if (!folder.ends_with('/')) folder.push_back('/');
    return folder;
}

// The remembered folder whose text is folderText (with its closing separator), or failing
// that whose normal form is that of folderText; nullptr when there is none. The latest
// listing of a folder is the one that counts, so the search goes from the latest back.
RememberedFolder* rememberedFolder(std::string_view folderText) {
    std::vector<RememberedFolder>& folders = remembered().folders;
    const auto latestFirst = [&folders](auto&& matches) -> RememberedFolder* {
        const auto found = std::find_if(folders.rbegin(), folders.rend(), matches);
        return found == folders.rend() ? nullptr : &*found;
    };
    if (RememberedFolder* found =
            latestFirst([folderText](const RememberedFolder& f) { return f.text == folderText; })) {
        return found;
    }
    const std::filesystem::path normal =
        std::filesystem::path(folderText).parent_path().lexically_normal();
    return latestFirst([&normal](RememberedFolder& f) { return f.normal() == normal; });
}

// The remembered names of the folder whose text up to and with its last separator is
// folderText; nullptr when it was not remembered.
const std::set<std::string>* rememberedNames(std::string_view folderText) {
    RememberedFolders& all = remembered();
    if (all.lastNames != nullptr && folderText == all.lastFolderText) return all.lastNames;
    RememberedFolder* found = rememberedFolder(folderText);
    if (found == nullptr) return nullptr;
    all.lastFolderText = folderText;
    all.lastNames = &found->names;
    return all.lastNames;
}

// True when path lies in a remembered folder that held nothing of its name.
bool isKnownAbsent(std::string_view path) {
    const std::size_t nameStart = path.rfind('/') + 1;  // 0 when there is no separator
    const std::set<std::string>* names = rememberedNames(path.substr(0, nameStart));
    return names != nullptr && !names->contains(std::string(path.substr(nameStart)));
}

}  // namespace

EarlierEntry earlierEntryAt(std::string_view path) {
    const std::size_t nameStart = path.rfind('/') + 1;  // 0 when there is no separator
    RememberedFolder* folder = rememberedFolder(path.substr(0, nameStart));
    if (folder == nullptr) return EarlierEntry::Unknown;
    const std::string name(path.substr(nameStart));
    if (!folder->names.contains(name)) return EarlierEntry::None;
    return folder->folders.contains(name) ? EarlierEntry::Unknown : EarlierEntry::File;
}

namespace {

// The contents of committed or dropped files stay with the thread as room for its next
// files: a thread writes the same layers sheet after sheet, so once its first sheets are
// written a file no longer grows, and copies itself, record by record. Bounded in number and
// size, so that an unusually large layer is not kept after it is written.
constexpr std::size_t SPARE_BUFFERS_MAX = 8;
constexpr std::size_t SPARE_BUFFER_CAPACITY_MAX = std::size_t{1} << 20;  // bytes

std::vector<std::string>& spareBuffers() {
    static PerThread<std::vector<std::string>> perThread;
    return perThread.get();
}

// An empty text, with the room of a spare buffer when the thread has one.
std::string takeSpareBuffer() {
    std::vector<std::string>& spare = spareBuffers();
    if (spare.empty()) return {};
    std::string buffer = std::move(spare.back());
    spare.pop_back();
    buffer.clear();
    return buffer;
}

// Called from a destructor: when the list of spares cannot be made or grow for want of
// memory, the buffer is simply freed.
void keepAsSpare(std::string&& buffer) noexcept {
    if (buffer.capacity() > SPARE_BUFFER_CAPACITY_MAX) return;
    try {
        std::vector<std::string>& spare = spareBuffers();
        if (spare.size() < SPARE_BUFFERS_MAX) spare.push_back(std::move(buffer));
    } catch (const std::bad_alloc&) {
        // The buffer goes with its owner.
    }
}

// Set when a hook of the table library on this thread ran out of memory.
thread_local bool libraryOutOfMemory = false;

// The scope whose files and messages the hooks use on this thread.
thread_local LibraryScope* currentScope = nullptr;

// An open file of the table library: the file's contents, shared ownership of the set it
// belongs to (so that the set is put on disk only once the library has closed it) and the
// position of this opening.
struct OpenFile {
    std::shared_ptr<BufferedFiles> owner;
    std::string* bytes;
    std::size_t position = 0;
};

OpenFile* openFile(SAFile file) {
    return reinterpret_cast<OpenFile*>(file);
}

SAFile hookOpen(const char* name, const char* access) {
    if (currentScope == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    // The library is C: an exception must not unwind through it. Out of memory, the file
    // cannot be opened, which the library reports as a failure.
    try {
        const std::string path(name);
        BufferedFiles& files = currentScope->files();
        std::string* bytes = access[0] == 'w' ? &files.create(path) : files.contents(path);
        if (bytes == nullptr) {
            errno = ENOENT;
            return nullptr;
        }
        return reinterpret_cast<SAFile>(new OpenFile{currentScope->sharedFiles(), bytes});
    } catch (const std::bad_alloc&) {
        libraryOutOfMemory = true;
        errno = ENOMEM;
        return nullptr;
    }
}

SAOffset hookRead(void* target, SAOffset size, SAOffset count, SAFile file) {
    OpenFile& f = *openFile(file);
    if (size == 0) return 0;
    const std::size_t available = f.bytes->size() - std::min(f.position, f.bytes->size());
    const SAOffset items = std::min<SAOffset>(count, available / size);
    std::memcpy(target, f.bytes->data() + f.position, items * size);
    f.position += items * size;
    return items;
}

// Out of memory, nothing is written and the library sees a failed write.
SAOffset hookWrite(void* source, SAOffset size, SAOffset count, SAFile file) try {
    OpenFile& f = *openFile(file);
    const std::size_t length = size * count;
    const char* bytes = static_cast<const char*>(source);
    // The library writes mostly at the end; a rewrite (of a header) lands inside the file.
    if (f.position == f.bytes->size()) {
        f.bytes->append(bytes, length);
    } else {
        if (f.bytes->size() < f.position + length) f.bytes->resize(f.position + length);
        std::memcpy(f.bytes->data() + f.position, bytes, length);
    }
    f.position += length;
    return count;
} catch (const std::bad_alloc&) {
    libraryOutOfMemory = true;
    errno = ENOMEM;  // as the library's own failed allocations leave it
    return 0;
}

SAOffset hookSeek(SAFile file, SAOffset offset, int whence) {
    OpenFile& f = *openFile(file);
    // The offset is unsigned in the hook's signature; a step back arrives wrapped around.
    const auto step = static_cast<long long>(offset);
    long long base = 0;
    if (whence == SEEK_CUR) base = static_cast<long long>(f.position);
    if (whence == SEEK_END) base = static_cast<long long>(f.bytes->size());
    if (base + step < 0) return static_cast<SAOffset>(-1);
    f.position = static_cast<std::size_t>(base + step);
    return 0;
}

SAOffset hookTell(SAFile file) {
    return openFile(file)->position;
}

int hookFlush(SAFile /*file*/) {
    return 0;
}

int hookClose(SAFile file) {
    delete openFile(file);
    return 0;
}

int hookRemove(const char* name) try {
    if (isKnownAbsent(name)) {
        errno = ENOENT;
        return -1;
    }
    // An earlier file (a code page file the table no longer wants) goes only once the new
    // files are in place, so that a run that fails keeps it.
    if (ResultReplacement* replacement = ResultReplacement::current()) {
        replacement->removeWhenReplaced(name);
        return 0;
    }
    return std::remove(name);
} catch (const std::bad_alloc&) {
    libraryOutOfMemory = true;
    errno = ENOMEM;
    return -1;
}

void hookError(const char* message) try {
    if (currentScope != nullptr) currentScope->addMessage(message);
} catch (const std::bad_alloc&) {
    libraryOutOfMemory = true;
}

}  // namespace

bool tookLibraryOutOfMemory() {
    return std::exchange(libraryOutOfMemory, false);
}

void forgetRememberedFolders() {
    RememberedFolders& all = remembered();
    all.folders.clear();
    all.lastNames = nullptr;
}

void rememberFolderContents(const std::string& folder, std::vector<std::string> names,
                            const std::vector<std::string>& folderNames) {
    std::string text = withClosingSeparator(folder);
    std::set<std::string> nameSet(std::make_move_iterator(names.begin()),
                                  std::make_move_iterator(names.end()));
    RememberedFolders& all = remembered();
    all.lastNames = nullptr;
    all.folders.push_back(RememberedFolder{
        std::move(text), std::move(nameSet), {folderNames.begin(), folderNames.end()}, {}});
}

std::optional<std::vector<std::string>> rememberedFolderContents(const std::string& folder) {
    const RememberedFolder* found = rememberedFolder(withClosingSeparator(folder));
    if (found == nullptr) return std::nullopt;
    return std::vector<std::string>(found->names.begin(), found->names.end());
}

std::string& BufferedFiles::create(const std::string& path) {
    if (std::string* bytes = contents(path)) {
        bytes->clear();
        return *bytes;
    }
    return files_.emplace_back(File{path, takeSpareBuffer()}).bytes;
}

std::string* BufferedFiles::contents(const std::string& path) {
    const auto file =
        std::find_if(files_.begin(), files_.end(), [&](const File& f) { return f.path == path; });
    return file == files_.end() ? nullptr : &file->bytes;
}

BufferedFiles::~BufferedFiles() {
    dropFiles();
}

void BufferedFiles::dropFiles() {
    for (File& file : files_) keepAsSpare(std::move(file.bytes));
    files_.clear();
}

Outcome BufferedFiles::commit() {
    Outcome written = putOnDisk();
    dropFiles();
    return written;
}

Outcome BufferedFiles::putOnDisk() const {
    if (ResultReplacement* replacement = ResultReplacement::current()) {
        for (const File& file : files_) {
            StagedFile staged(file.path, file.bytes);
            if (!staged.staged()) return staged.staged();
            replacement->keep(std::move(staged));
        }
        return {};
    }
    std::vector<StagedFile> staged;
    staged.reserve(files_.size());
    for (const bool shapeFile : {false, true}) {
        for (const File& file : files_) {
            if (isShapeFileName(file.path) != shapeFile) continue;
            staged.emplace_back(file.path, file.bytes);
            if (!staged.back().staged()) return staged.back().staged();
        }
    }
    for (auto file = staged.begin(); file != staged.end(); ++file) {
        if (Outcome renamed = file->putInPlace(); !renamed) {
            for (auto placed = staged.begin(); placed != file; ++placed) {
                ::unlink(placed->finalPath().c_str());
            }
            return renamed;
        }
    }
    return {};
}

LibraryScope::LibraryScope(std::shared_ptr<BufferedFiles> files, std::string& messages)
    : outer_(currentScope), files_(std::move(files)), messages_(messages) {
    hooks_.FOpen = hookOpen;
    hooks_.FRead = hookRead;
    hooks_.FWrite = hookWrite;
    hooks_.FSeek = hookSeek;
    hooks_.FTell = hookTell;
    hooks_.FFlush = hookFlush;
    hooks_.FClose = hookClose;
    hooks_.Remove = hookRemove;
    hooks_.Error = hookError;
    hooks_.Atof = std::atof;
    currentScope = this;
}

LibraryScope::~LibraryScope() {
    currentScope = outer_;
}

void LibraryScope::addMessage(const char* message) {
    messages_ += message;
    messages_ += '\n';
}

}  // namespace sheetbasis
