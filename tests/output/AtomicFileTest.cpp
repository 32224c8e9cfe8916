#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>

#include "output/AtomicFile.h"
#include "support/FolderFiles.h"
#include "support/TempFolder.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
  protected:
    fs::path at(const std::string& name) const { return dir.path() / name; }
    std::set<std::string> names() const { return namesIn(dir.path()); }
    TempFolder dir;
};

TEST_F(AtomicFileTest, FileAppearsWholeUnderItsNameAndNothingElseRemains) {
    std::ofstream(at("P.qgs")) << "an earlier, longer project";
    StagedFile staged(at("P.qgs").string(), "<qgis/>");
    ASSERT_TRUE(staged.staged()) << staged.staged().reason();
    EXPECT_EQ(fileBytes(at("P.qgs")), "an earlier, longer project") << "not in place yet";
    EXPECT_EQ(names().size(), 2U);
    ASSERT_TRUE(staged.putInPlace());
    EXPECT_EQ(fileBytes(at("P.qgs")), "<qgis/>");
    EXPECT_EQ(names(), std::set<std::string>{"P.qgs"});
}

TEST_F(AtomicFileTest, LinkAtTheFinalNameIsReplacedAndItsTargetKept) {
    std::ofstream(at("user.txt")) << "the user's own file";
    fs::create_symlink(at("user.txt"), at("HypsA.qml"));
    ASSERT_TRUE(writeFileAtomically(at("HypsA.qml").string(), "<qgis/>"));
    EXPECT_FALSE(fs::is_symlink(at("HypsA.qml")));
    EXPECT_EQ(fileBytes(at("HypsA.qml")), "<qgis/>");
    EXPECT_EQ(fileBytes(at("user.txt")), "the user's own file");
}

TEST_F(AtomicFileTest, FailuresNameTheFileAndLeaveNoTemporaryFile) {
    fs::create_directory(at("taken.shp"));
    const struct {
        fs::path path;
        const char* why;
    } cases[] = {
        {at("taken.shp"), "a folder holds the name"},
        {at("missing") / "P.qgs", "the folder does not exist"},
    };
    for (const auto& c : cases) {
        const Outcome written = writeFileAtomically(c.path.string(), "bytes");
        ASSERT_FALSE(written) << c.why;
        EXPECT_NE(written.reason().find(c.path.string()), std::string::npos) << written.reason();
    }
    EXPECT_EQ(names(), std::set<std::string>{"taken.shp"});
    EXPECT_TRUE(fs::is_empty(at("taken.shp")));
}

// A replacement of the files a.txt and b.shp over earlier ones, with c.txt to go, where one
// step fails: the folder is then exactly as it was before.
TEST_F(AtomicFileTest, AReplacementThatFailsLeavesTheEarlierFilesAsTheyWere) {
    const struct {
        const char* why;
        std::function<void(const fs::path&)> spoil;  // given the shape file's name
    } cases[] = {
        {"a folder with entries holds the shape file's name",
         [](const fs::path& shp) {
             fs::remove(shp);
             fs::create_directories(shp / "inside");
         }},
        {"an empty folder holds the shape file's name",
         [](const fs::path& shp) {
             fs::remove(shp);
             fs::create_directory(shp);
         }},
    };
    for (const auto& c : cases) {
        for (const char* name : {"a.txt", "b.shp", "c.txt"}) std::ofstream(at(name)) << "earlier";
        c.spoil(at("b.shp"));
        const std::set<std::string> before = names();
        Outcome committed;
        {
            ResultReplacement replacement;
            ASSERT_TRUE(writeFileAtomically(at("a.txt").string(), "new"));
            ASSERT_TRUE(writeFileAtomically(at("b.shp").string(), "new"));
            replacement.removeWhenReplaced(at("c.txt").string());
            EXPECT_EQ(fileBytes(at("a.txt")), "earlier") << "nothing is in place before commit";
            committed =
                replacement.commit([](const std::string&) { return EarlierEntry::Unknown; });
        }
        EXPECT_FALSE(committed) << c.why;
        EXPECT_EQ(names(), before) << c.why;
        EXPECT_EQ(fileBytes(at("a.txt")), "earlier") << c.why;
        EXPECT_EQ(fileBytes(at("c.txt")), "earlier") << c.why;
        fs::remove_all(at("b.shp"));
    }
}

TEST_F(AtomicFileTest, AReplacementPutsTheNewFilesInPlaceAndRemovesWhatIsNotWrittenAgain) {
    for (const char* name : {"a.txt", "c.txt", "C.TXT"}) std::ofstream(at(name)) << "earlier";
    {
        ResultReplacement replacement;
        ASSERT_TRUE(writeFileAtomically(at("a.txt").string(), "new"));
        ASSERT_TRUE(writeFileAtomically(at("b.shp").string(), "new"));
        for (const char* name : {"a.txt", "c.txt", "C.TXT"}) {
            replacement.removeWhenReplaced(at(name).string());
        }
        const Outcome committed = replacement.commit([this](const std::string& path) {
            return path == at("b.shp").string() ? EarlierEntry::None : EarlierEntry::File;
        });
        ASSERT_TRUE(committed) << committed.reason();
    }
    EXPECT_EQ(names(), (std::set<std::string>{"a.txt", "b.shp"}));
    EXPECT_EQ(fileBytes(at("a.txt")), "new");
    EXPECT_EQ(fileBytes(at("b.shp")), "new");
}

TEST(TemporaryFileName, OnlyTheWritersOwnNamesAreTaken) {
    const struct {
        const char* name;
        bool temporary;
    } cases[] = {
        {".HypsA.shp.sheetbasis-0123456789abcdef", true},
        {".N-37.qgs.sheetbasis-ffffffffffffffff", true},
        {".N-37-II.sheetbasis-00000000000000aa", true},
        {"HypsA.shp.sheetbasis-0123456789abcdef", false},  // not hidden
        {"thesis.partial-0123456789abcdef", false},        // a user's name
        {".HypsA.shp.sheetbasis-0123456789ABCDEF", false},
        {".HypsA.shp.sheetbasis-0123456789abcde", false},
        {"..sheetbasis-0123456789abcdef", false},  // no name before the mark
        {".sheetbasis-temporary", false},
        {"notes.txt", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isTemporaryFileName(c.name), c.temporary) << c.name;
        // A name that is no temporary one stands for no final name.
        if (!c.temporary) {
            EXPECT_EQ(finalNameOfTemporary(c.name), "") << c.name;
        }
    }
}

TEST(TemporaryFileName, NamesAreMadeHiddenBesideTheFinalOneAndTakenBack) {
    const struct {
        const char* finalPath;
        const char* folderPart;
    } cases[] = {
        {"out/HYPS/HypsA.shp", "out/HYPS/"},
        {"N-37.qgs", ""},
        {"/N-37.qgs", "/"},
    };
    for (const auto& c : cases) {
        const std::string made = temporaryNameFor(c.finalPath);
        const std::string_view folder(c.folderPart);
        ASSERT_TRUE(made.starts_with(folder)) << made;
        EXPECT_TRUE(isTemporaryFileName(made.substr(folder.size()))) << made;
        EXPECT_EQ(finalNameOfTemporary(made.substr(folder.size())),
                  std::string_view(c.finalPath).substr(folder.size()))
            << made;
        EXPECT_NE(made, temporaryNameFor(c.finalPath)) << "two names drawn alike";
    }
}

}  // namespace
}  // namespace sheetbasis
