#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "output/BufferedFiles.h"
#include "support/TempFolder.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

std::string fileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class BufferedFilesTest : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }
    TempFolder dir;
};

TEST_F(BufferedFilesTest, FileTakesItsNameOnlyWhenCommittedWhole) {
    BufferedFiles files;
    ASSERT_TRUE(files.create(path("L.dbf")));
    *files.contents(path("L.dbf")) = "table";
    EXPECT_FALSE(fs::exists(path("L.dbf")));
    EXPECT_EQ(fileBytes(path("L.dbf.partial")), "");

    EXPECT_EQ(files.commit(), "");
    EXPECT_EQ(fileBytes(path("L.dbf")), "table");
    EXPECT_FALSE(fs::exists(path("L.dbf.partial")));
    // A second commit (the destructor's) changes nothing.
    EXPECT_EQ(files.commit(), "");
    EXPECT_EQ(fileBytes(path("L.dbf")), "table");
}

TEST_F(BufferedFilesTest, CreatingAgainEmptiesTheFileAndReplacesAnEarlierOne) {
    std::ofstream(path("L.shp")) << "an earlier, longer shape file";
    BufferedFiles files;
    ASSERT_TRUE(files.create(path("L.shp")));
    *files.contents(path("L.shp")) = "first";
    ASSERT_TRUE(files.create(path("L.shp")));
    EXPECT_EQ(*files.contents(path("L.shp")), "");
    *files.contents(path("L.shp")) = "new";
    EXPECT_EQ(files.commit(), "");
    EXPECT_EQ(fileBytes(path("L.shp")), "new");
    EXPECT_EQ(files.contents(path("L.shx")), nullptr);
}

TEST_F(BufferedFilesTest, FolderAtTheFinalNameRefusesTheFile) {
    fs::create_directory(path("L.shp"));
    BufferedFiles files;
    errno = 0;
    EXPECT_FALSE(files.create(path("L.shp")));
    EXPECT_EQ(errno, EISDIR);
    EXPECT_FALSE(fs::exists(path("L.shp.partial")));
}

TEST_F(BufferedFilesTest, RememberedFolderStillChecksTheNamesItHeld) {
    fs::create_directory(path("L.shp"));
    rememberFolderContents(dir.path().string(), {"L.shp"});
    BufferedFiles files;
    EXPECT_FALSE(files.create(path("L.shp")));
    EXPECT_TRUE(files.create(path("L.dbf")));
}

TEST_F(BufferedFilesTest, FileThatCannotTakeItsNameIsRemovedAndReported) {
    auto files = std::make_unique<BufferedFiles>();
    ASSERT_TRUE(files->create(path("L.shp")));
    ASSERT_TRUE(files->create(path("L.dbf")));
    *files->contents(path("L.dbf")) = "table";
    // Something else takes the name while the layer is being written.
    fs::create_directory(path("L.shp"));
    const std::string messages = files->commit();
    EXPECT_NE(messages.find("Failed to rename " + path("L.shp.partial")), std::string::npos)
        << messages;
    EXPECT_FALSE(fs::exists(path("L.shp.partial")));
    EXPECT_TRUE(fs::is_directory(path("L.shp")));
    EXPECT_EQ(fileBytes(path("L.dbf")), "table");
}

TEST_F(BufferedFilesTest, DestroyedSetStillPutsItsFilesInPlace) {
    {
        BufferedFiles files;
        ASSERT_TRUE(files.create(path("L.PRJ")));
        *files.contents(path("L.PRJ")) = "GEOGCS\r\n";
    }
    EXPECT_EQ(fileBytes(path("L.PRJ")), "GEOGCS\r\n");
    EXPECT_FALSE(fs::exists(path("L.PRJ.partial")));
}

}  // namespace
}  // namespace sheetbasis
