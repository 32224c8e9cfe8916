#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>

#include "output/BufferedFiles.h"
#include "support/FolderFiles.h"
#include "support/TempFolder.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

class BufferedFilesTest : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }
    std::set<std::string> names() const { return namesIn(dir.path()); }
    TempFolder dir;
};

TEST_F(BufferedFilesTest, FilesReachTheDiskOnlyWhenCommittedAndReplaceEarlierOnes) {
    std::ofstream(path("L.shp")) << "an earlier, longer shape file";
    BufferedFiles files;
    files.create(path("L.shp")) = "first";
    EXPECT_EQ(files.create(path("L.shp")), "") << "creating again empties the file";
    *files.contents(path("L.shp")) = "new";
    files.create(path("L.dbf")) = "table";
    EXPECT_EQ(names(), std::set<std::string>{"L.shp"});

    const Outcome committed = files.commit();
    EXPECT_TRUE(committed) << committed.reason();
    EXPECT_EQ(fileBytes(path("L.shp")), "new");
    EXPECT_EQ(fileBytes(path("L.dbf")), "table");
    EXPECT_EQ(names(), (std::set<std::string>{"L.shp", "L.dbf"}));
}

// The library removes a layer's files before it creates them. In a folder listed just
// before, a name the listing did not hold is taken as absent without asking the disk; a
// file's path finds the folder's entry however it is spelt, and a later listing replaces
// the earlier one.
TEST_F(BufferedFilesTest, RemovalsInARememberedFolderFollowItsLatestListing) {
    std::ofstream(path("listed.dbf")) << "x";
    std::ofstream(path("unlisted.dbf")) << "x";
    std::ofstream(path("later.dbf")) << "x";
    rememberFolderContents(dir.path().string(), {"listed.dbf"});
    std::string messages;
    LibraryScope scope(std::make_shared<BufferedFiles>(), messages);
    const auto removes = [&](const std::string& file) {
        return scope.hooks()->Remove(file.c_str()) == 0;
    };
    EXPECT_FALSE(removes(path("unlisted.dbf")));
    EXPECT_TRUE(removes((dir.path() / "." / "listed.dbf").string()));
    EXPECT_FALSE(removes(path("later.dbf")));
    rememberFolderContents(dir.path().string(), {"later.dbf"});
    EXPECT_TRUE(removes(path("later.dbf")));
    EXPECT_EQ(names(), std::set<std::string>{"unlisted.dbf"});
}

}  // namespace
}  // namespace sheetbasis
