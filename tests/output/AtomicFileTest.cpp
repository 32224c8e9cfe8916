#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

TEST(TemporaryFileName, OnlyTheWritersOwnNamesAreTaken) {
    const struct {
        const char* name;
        bool temporary;
    } cases[] = {
        {"HypsA.shp.partial-0123456789abcdef", true},
        {"N-37.qgs.partial-ffffffffffffffff", true},
        {"HypsA.shp.partial", false},
        {"HypsA.shp.partial-0123456789ABCDEF", false},
        {"HypsA.shp.partial-0123456789abcde", false},
        {".partial-0123456789abcdef", false},
        {"notes.txt", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isTemporaryFileName(c.name), c.temporary) << c.name;
}

}  // namespace
}  // namespace sheetbasis
