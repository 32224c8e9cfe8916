#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "FolderFiles.h"
#include "TempFolder.h"
#include "app/ResultFolders.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

void touch(const fs::path& file) {
    std::ofstream(file) << "x";
}

// The sub-folders that the preparation names. With no new file to put in place, the
// replacement that follows a ready preparation removes the earlier run's layers alone.
FolderStatus prepareInto(const std::string& folder, std::string& hypsFolder,
                         std::string& frameFolder) {
    ResultReplacement replacement;
    const ResultFolders prepared = prepareResultFolders(folder, replacement);
    hypsFolder = prepared.layers.hyps;
    frameFolder = prepared.layers.frame;
    if (prepared.status == FolderStatus::Ready) {
        const Outcome committed =
            replacement.commit([](const std::string&) { return EarlierEntry::None; });
        EXPECT_TRUE(committed) << committed.reason();
    }
    return prepared.status;
}

class ResultFoldersTest : public ::testing::Test {
  protected:
    TempFolder tmp;
    std::string folder() const { return tmp.path().string() + "/"; }
};

TEST_F(ResultFoldersTest, CreatesBothSubFoldersWhenMissing) {
    std::string hypsFolder = "ignored";
    std::string frameFolder;
    EXPECT_EQ(prepareInto(folder(), hypsFolder, frameFolder), FolderStatus::Ready);
    EXPECT_EQ(hypsFolder, folder() + "HYPS");
    EXPECT_EQ(frameFolder, folder() + "FRAME");
    EXPECT_TRUE(fs::is_directory(hypsFolder));
    EXPECT_TRUE(fs::is_directory(frameFolder));
}

TEST_F(ResultFoldersTest, BlanksAroundTheFolderDoNotCount) {
    std::string hypsFolder, frameFolder;
    EXPECT_EQ(prepareInto("  " + folder() + "  ", hypsFolder, frameFolder), FolderStatus::Ready);
    EXPECT_EQ(hypsFolder, folder() + "HYPS");
}

TEST_F(ResultFoldersTest, FolderWithoutSeparatorGluesTheSubFolderNames) {
    std::string hypsFolder, frameFolder;
    const std::string glued = tmp.path().string();
    EXPECT_EQ(prepareInto(glued, hypsFolder, frameFolder), FolderStatus::Ready);
    EXPECT_EQ(hypsFolder, glued + "HYPS");
    EXPECT_TRUE(fs::is_directory(glued + "HYPS"));
}

TEST_F(ResultFoldersTest, MissingResultFolderTouchesNothing) {
    std::string hypsFolder, frameFolder;
    const std::string missing = folder() + "absent/";
    EXPECT_EQ(prepareInto(missing, hypsFolder, frameFolder), FolderStatus::Missing);
    EXPECT_EQ(hypsFolder, missing + "HYPS");
    EXPECT_EQ(frameFolder, missing + "FRAME");
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(prepareInto("   ", hypsFolder, frameFolder), FolderStatus::Missing);
}

TEST_F(ResultFoldersTest, SubFolderThatIsAFileCannotBePrepared) {
    std::string hypsFolder, frameFolder;
    touch(tmp.path() / "HYPS");
    EXPECT_EQ(prepareInto(folder(), hypsFolder, frameFolder), FolderStatus::HypsNotCreated);
    EXPECT_FALSE(fs::exists(tmp.path() / "FRAME")) << "FRAME is not looked at after HYPS fails";

    fs::remove(tmp.path() / "HYPS");
    touch(tmp.path() / "FRAME");
    EXPECT_EQ(prepareInto(folder(), hypsFolder, frameFolder), FolderStatus::FrameNotCreated);
}

TEST_F(ResultFoldersTest, DeletesExactlyTheLayersOfAnEarlierRun) {
    const fs::path hyps = tmp.path() / "HYPS";
    const fs::path frame = tmp.path() / "FRAME";
    fs::create_directories(hyps);
    fs::create_directories(frame);
    for (const char* f : {"HypsA.shp", "HypsA.shx", "HypsA.dbf", "HypsA.PRJ", "hypsl.SHP",
                          "hypsl.dbf", "HypsP.shp", "HypsP.shp.xml", "notes.txt", "HypsAx.shp"}) {
        touch(hyps / f);
    }
    for (const char* f : {"Frame.shp", "Frame.dbf", "FrameDig.shp", "FrameDig.dbf", "FRAMEADJ.shp",
                          "FrameAdj.PRJ", "Frame"}) {
        touch(frame / f);
    }
    std::string hypsFolder, frameFolder;
    ASSERT_EQ(prepareInto(folder(), hypsFolder, frameFolder), FolderStatus::Ready);
    EXPECT_EQ(namesIn(hyps), (std::set<std::string>{"notes.txt", "HypsAx.shp"}));
    EXPECT_EQ(namesIn(frame), (std::set<std::string>{"Frame"}));
}

TEST_F(ResultFoldersTest, LayerWithoutShapeFileIsKept) {
    const fs::path hyps = tmp.path() / "HYPS";
    fs::create_directories(hyps);
    touch(hyps / "HypsA.dbf");
    touch(hyps / "HypsA.PRJ");
    std::string hypsFolder, frameFolder;
    ASSERT_EQ(prepareInto(folder(), hypsFolder, frameFolder), FolderStatus::Ready);
    EXPECT_EQ(namesIn(hyps), (std::set<std::string>{"HypsA.dbf", "HypsA.PRJ"}));
}

TEST_F(ResultFoldersTest, TemporaryFilesOfAKilledRunAreDeletedButLinksNeverFollowed) {
    const fs::path hyps = tmp.path() / "HYPS";
    const fs::path frame = tmp.path() / "FRAME";
    fs::create_directories(hyps);
    fs::create_directories(frame);
    const std::string mark = ".sheetbasis-0123456789abcdef";
    // A name of the writer's earlier form is a user's name now.
    const std::string usersOwn = "report.docx.partial-0123456789abcdef";
    for (const std::string& f :
         {std::string("HypsA.dbf"), ".HypsA.shx" + mark, ".notes.txt" + mark, usersOwn}) {
        touch(hyps / f);
    }
    touch(tmp.path() / "user.txt");
    fs::create_symlink(tmp.path() / "user.txt", hyps / (".HypsL.shp" + mark));
    touch(frame / (".FrameDig.dbf" + mark));
    touch(tmp.path() / (".N-37.qgs" + mark));
    touch(tmp.path() / (".notes.txt" + mark));
    std::string hypsFolder, frameFolder;
    ASSERT_EQ(prepareInto(folder(), hypsFolder, frameFolder), FolderStatus::Ready);
    EXPECT_EQ(namesIn(hyps), (std::set<std::string>{"HypsA.dbf", ".HypsL.shp" + mark, usersOwn}));
    EXPECT_TRUE(namesIn(frame).empty());
    EXPECT_EQ(namesIn(tmp.path()),
              (std::set<std::string>{"HYPS", "FRAME", "user.txt", ".notes.txt" + mark}))
        << "in the user's own folder only a project's temporary file is taken";
}

TEST_F(ResultFoldersTest, SecondRunIntoTheFolderWaitsForTheFirst) {
    ResultReplacement firstReplacement;
    ResultFolders first = prepareResultFolders(folder(), firstReplacement);
    ASSERT_EQ(first.status, FolderStatus::Ready);
    std::atomic<bool> secondReady{false};
    std::thread second([&] {
        ResultReplacement replacement;
        const ResultFolders prepared = prepareResultFolders(folder(), replacement);
        secondReady = prepared.status == FolderStatus::Ready;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(secondReady) << "the second run went on while the first held the folder";
    first = ResultFolders();
    second.join();
    EXPECT_TRUE(secondReady);
}

TEST_F(ResultFoldersTest, ShellMetacharactersAreJustPartOfTheName) {
    const std::string odd = folder() + "a \"b\" & c; $(touch pwned) `x`/";
    fs::create_directories(odd);
    std::string hypsFolder, frameFolder;
    ASSERT_EQ(prepareInto(odd, hypsFolder, frameFolder), FolderStatus::Ready);
    EXPECT_TRUE(fs::is_directory(odd + "HYPS"));
    EXPECT_TRUE(fs::is_directory(odd + "FRAME"));
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_FALSE(fs::exists(tmp.path() / "pwned"));
}

// An existing folder whose text, separator included, has exactly the given number of
// characters: components of at most 100 characters, as file systems allow 255 bytes.
std::string existingFolderOfLength(const fs::path& base, std::size_t length) {
    std::string folder = base.string() + "/";
    while (folder.size() + 101 < length) folder += std::string(100, 'd') + "/";
    folder += std::string(length - folder.size() - 1, 'e') + "/";
    fs::create_directories(folder);
    return folder;
}

TEST_F(ResultFoldersTest, SubFoldersBeyondTheFolderTextAreRefusedNotCut) {
    // 256 characters: "HYPS" fits, "FRAME" would be cut to "FRAM".
    const std::string f256 = existingFolderOfLength(tmp.path(), 256);
    touch(fs::path(f256) / "HypsA.shp");
    std::string hypsFolder, frameFolder;
    EXPECT_EQ(prepareInto(f256, hypsFolder, frameFolder), FolderStatus::FrameNotCreated);
    EXPECT_EQ(frameFolder, f256 + "FRAME");
    EXPECT_EQ(namesIn(f256), (std::set<std::string>{"HypsA.shp"})) << "nothing is touched";
    // 257..260: "HYPS" would be cut into the result folder itself or a cut name.
    for (std::size_t length = 257; length <= 260; ++length) {
        const std::string folder =
            existingFolderOfLength(tmp.path() / std::to_string(length), length);
        EXPECT_EQ(prepareInto(folder, hypsFolder, frameFolder), FolderStatus::HypsNotCreated)
            << length;
        EXPECT_EQ(hypsFolder, folder + "HYPS");
        EXPECT_TRUE(fs::is_empty(folder)) << length;
    }
    const std::string f255 = existingFolderOfLength(tmp.path() / "ok", 255);
    EXPECT_EQ(prepareInto(f255, hypsFolder, frameFolder), FolderStatus::Ready);
    EXPECT_TRUE(fs::is_directory(f255 + "FRAME"));
}

TEST_F(ResultFoldersTest, CyrillicFolderIsCountedInCharactersNotBytes) {
    // 70-letter components: about 290 bytes in all, far fewer characters than 260.
    std::string letters;
    for (int i = 0; i < 70; ++i) letters += "Д";
    const std::string cyrillic = folder() + letters + "/" + letters + "/";
    ASSERT_GT(cyrillic.size(), 260u);
    fs::create_directories(cyrillic);
    touch(tmp.path() / "HypsA.shp");
    std::string hypsFolder, frameFolder;
    ASSERT_EQ(prepareInto(cyrillic, hypsFolder, frameFolder), FolderStatus::Ready);
    EXPECT_EQ(hypsFolder, cyrillic + "HYPS");
    EXPECT_EQ(frameFolder, cyrillic + "FRAME");
    EXPECT_EQ(namesIn(cyrillic), (std::set<std::string>{"HYPS", "FRAME"}));
    EXPECT_EQ(namesIn(tmp.path()), (std::set<std::string>{letters, "HypsA.shp"}));
}

}  // namespace
}  // namespace sheetbasis
