#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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

TEST_F(BufferedFilesTest, LayerThatCannotBePutInPlaceLeavesNoneOfItsNewFiles) {
    BufferedFiles files;
    files.create(path("L.shp")) = "shapes";
    files.create(path("L.dbf")) = "table";
    files.create(path("L.PRJ")) = "GEOGCS\r\n";
    // Something else holds the shape file's name: the companions, renamed before it, go again.
    fs::create_directory(path("L.shp"));
    const Outcome committed = files.commit();
    ASSERT_FALSE(committed);
    EXPECT_NE(committed.reason().find(path("L.shp")), std::string::npos) << committed.reason();
    EXPECT_EQ(names(), std::set<std::string>{"L.shp"});
    EXPECT_TRUE(fs::is_directory(path("L.shp")));
}

TEST_F(BufferedFilesTest, FilesNeverCommittedNeverReachTheDisk) {
    {
        BufferedFiles files;
        files.create(path("L.PRJ")) = "GEOGCS\r\n";
    }
    EXPECT_TRUE(names().empty());
}

}  // namespace
}  // namespace sheetbasis
