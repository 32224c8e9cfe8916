#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "output/LayerFile.h"
#include "sheet/Cp1251.h"
#include "support/TempFolder.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

// Header byte of a dBASE table that holds its language driver id; 201 is Windows-1251.
constexpr std::size_t LANGUAGE_DRIVER_OFFSET = 29;
constexpr unsigned char LANGUAGE_DRIVER_CP1251 = 201;

std::string fileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::vector<FieldDef> HYPSL_FIELDS = {{"L_code", FieldType::Integer, 6, 0},
                                            {"Text", FieldType::Text, 40, 0},
                                            {"Grad", FieldType::Text, 5, 0},
                                            {"Min ", FieldType::Text, 7, 0},
                                            {"Indication", FieldType::Text, 5, 0}};

class LayerFileTest : public ::testing::Test {
  protected:
    std::string base(const std::string& name = "Layer") const {
        return (dir.path() / name).string();
    }

    // Opens a layer of one shape type that the test expects to be created.
    Layer open(const std::vector<FieldDef>& fields, CoordinateSystem cs = CoordinateSystem::Sk42) {
        Layer layer;
        const Outcome created = createLayer(cs, ShapeType::Arc, base(), fields, layer);
        EXPECT_TRUE(created) << created.reason();
        return layer;
    }

    // Writes one record into a fresh layer, closes it and reopens the table for reading;
    // reason receives the failure's reason, empty on success.
    TableHandle writeOne(const std::vector<FieldDef>& fields, std::vector<AttributeValue> values,
                         std::string& reason) {
        Layer layer = open(fields);
        reason = writeAttributeRecord(layer.table.get(), 1, 1, values, fields).reason();
        EXPECT_TRUE(closeLayer(layer));
        return reread();
    }

    TableHandle reread() const { return TableHandle{DBFOpen((base() + ".dbf").c_str(), "rb")}; }

    TempFolder dir;
};

TEST_F(LayerFileTest, TableHasIdColumnFirstThenUserFieldsWithBlanksDropped) {
    Layer layer = open(HYPSL_FIELDS);
    ASSERT_TRUE(closeLayer(layer));
    EXPECT_EQ(layer.table, nullptr);
    EXPECT_EQ(layer.shape, nullptr);

    const TableHandle table = reread();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(DBFGetFieldCount(table.get()), 6);
    const std::vector<std::string> names = {"Id", "L_code", "Text", "Grad", "Min", "Indication"};
    const std::vector<DBFFieldType> types = {FTInteger, FTInteger, FTString,
                                             FTString,  FTString,  FTString};
    const std::vector<int> widths = {6, 6, 40, 5, 7, 5};
    for (int column = 0; column < 6; ++column) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0;
        int decimals = -1;
        EXPECT_EQ(DBFGetFieldInfo(table.get(), column, name, &width, &decimals), types[column]);
        EXPECT_EQ(name, names[column]);
        EXPECT_EQ(width, widths[column]);
        EXPECT_EQ(decimals, 0);
    }
    EXPECT_STREQ(DBFGetCodePage(table.get()), "LDID/201");

    const ShapeHandle shape{SHPOpen(base().c_str(), "rb")};
    ASSERT_NE(shape, nullptr);
    int entities = -1;
    int type = 0;
    SHPGetInfo(shape.get(), &entities, &type, nullptr, nullptr);
    EXPECT_EQ(type, SHPT_ARC);
    EXPECT_EQ(entities, 0);
}

TEST_F(LayerFileTest, TableIsMarkedWindows1251InItsHeaderWithoutCodePageFile) {
    Layer layer = open({});
    ASSERT_TRUE(closeLayer(layer));
    const std::string header = fileBytes(base() + ".dbf");
    ASSERT_GT(header.size(), LANGUAGE_DRIVER_OFFSET);
    EXPECT_EQ(static_cast<unsigned char>(header[LANGUAGE_DRIVER_OFFSET]), LANGUAGE_DRIVER_CP1251);
    EXPECT_FALSE(fs::exists(base() + ".cpg"));
}

TEST_F(LayerFileTest, ProjectionFileHoldsOneLineByCoordinateSystem) {
    const std::string pulkovo42 =
        "GEOGCS[\"GCS_Pulkovo_1942\",DATUM[\"D_Pulkovo_1942\",SPHEROID[\"Krasovsky_1940\", "
        "6378245.0,298.3]], PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]\r\n";
    const std::string pulkovo65 =
        "GEOGCS[\"GCS_Pulkovo_1965\",DATUM[\"D_Pulkovo_1965\",SPHEROID[\"Krasovsky_1940\", "
        "6378245.0,298.3]], PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]\r\n";
    const std::string gsk2011 =
        "GEOGCS[\"GCS_RUSSIA_2011\",DATUM[\"D_RUSSIA_2011\",SPHEROID[\"S_RUSSIA_2011\", "
        "6378136.5,298.2564151]], PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\","
        "0.0174532925199433]]\r\n";
    // Values outside the enumeration cannot come from a job or the dialog; they get no text.
    const std::vector<std::pair<std::int32_t, std::string>> cases = {
        {1, pulkovo42}, {2, pulkovo65}, {3, gsk2011}, {4, gsk2011}, {0, ""}, {5, ""}, {-1, ""}};

    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        const auto cs = static_cast<CoordinateSystem>(value);
        // An earlier, longer file of the same name must be replaced, not overwritten in part.
        std::ofstream(base() + ".PRJ") << std::string(400, 'x');
        Layer layer;
        ASSERT_TRUE(createLayer(cs, ShapeType::Point, base(), {}, layer));
        ASSERT_TRUE(closeLayer(layer));
        EXPECT_EQ(fileBytes(base() + ".PRJ"), expected);
    }
}

TEST_F(LayerFileTest, LayerNameLosesTrailingBlanks) {
    Layer layer;
    ASSERT_TRUE(
        createLayer(CoordinateSystem::Sk42, ShapeType::Point, base("HypsP") + "   ", {}, layer));
    ASSERT_TRUE(closeLayer(layer));
    for (const char* extension : {".shp", ".shx", ".dbf", ".PRJ"}) {
        EXPECT_TRUE(fs::exists(base("HypsP") + extension)) << extension;
    }
}

TEST_F(LayerFileTest, FilesThatCannotReachTheDiskFailTheCloseAndLeaveNoneOfTheLayer) {
    // Writable for root too: a path that runs through a regular file, and a folder that
    // holds the projection file's name.
    std::ofstream(dir.path() / "plain") << "file";
    fs::create_directory(base() + ".PRJ");
    const struct {
        std::string layer;
        std::string failedFile;
    } cases[] = {
        {(dir.path() / "plain" / "HypsP").string(), (dir.path() / "plain" / "HypsP").string()},
        {base(), base() + ".PRJ"},
    };
    for (const auto& c : cases) {
        Layer layer;
        ASSERT_TRUE(
            createLayer(CoordinateSystem::Sk42, ShapeType::Point, c.layer, HYPSL_FIELDS, layer));
        const Outcome closed = closeLayer(layer);
        ASSERT_FALSE(closed) << c.layer;
        EXPECT_NE(closed.reason().find(c.failedFile), std::string::npos) << closed.reason();
    }
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        left.insert(entry.path().filename().string());
    }
    EXPECT_EQ(left, (std::set<std::string>{"plain", fs::path(base() + ".PRJ").filename()}));
}

TEST_F(LayerFileTest, RefusedColumnIsNamedWithWhatTheLibrarySaidNotPrinted) {
    // More 255-character columns than a record of 65 535 bytes holds.
    const std::vector<FieldDef> tooMany(300, FieldDef{"Wide", FieldType::Text, 255, 0});
    Layer layer;
    ::testing::internal::CaptureStderr();
    const Outcome created =
        createLayer(CoordinateSystem::Sk42, ShapeType::Point, base(), tooMany, layer);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_FALSE(created);
    EXPECT_NE(created.reason().find("column Wide"), std::string::npos) << created.reason();
    EXPECT_NE(created.reason().find("Record length limit reached"), std::string::npos)
        << created.reason();
}

TEST_F(LayerFileTest, LayerLeftOpenLeavesNothingOnDisk) {
    const std::vector<AttributeValue> values{7, "x", "2", "30", "y"};
    {
        Layer layer = open(HYPSL_FIELDS);
        ASSERT_TRUE(writeAttributeRecord(layer.table.get(), 1, 1, values, HYPSL_FIELDS));
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(LayerFileTest, RefusedColumnLeavesNothingOnDisk) {
    // A column of no width.
    const std::vector<FieldDef> fields = {{"L_code", FieldType::Integer, 6, 0},
                                          {"Broken", FieldType::Text, 0, 0},
                                          {"Text", FieldType::Text, 40, 0}};
    Layer layer;
    const Outcome created =
        createLayer(CoordinateSystem::Sk42, ShapeType::Arc, base(), fields, layer);
    ASSERT_FALSE(created);
    EXPECT_NE(created.reason().find("Broken"), std::string::npos) << created.reason();
    EXPECT_EQ(layer.table, nullptr);
    EXPECT_EQ(layer.shape, nullptr);
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(LayerFileTest, WithoutUserFieldsOnlyTheIdentifierIsWritten) {
    Layer layer = open({});
    EXPECT_TRUE(writeAttributeRecord(layer.table.get(), 1, 17, {}, {}));
    ASSERT_TRUE(closeLayer(layer));
    const TableHandle table = reread();
    ASSERT_EQ(DBFGetRecordCount(table.get()), 1);
    EXPECT_EQ(DBFGetFieldCount(table.get()), 1);
    EXPECT_EQ(DBFReadIntegerAttribute(table.get(), 0, 0), 17);
}

TEST_F(LayerFileTest, ValuesAreStoredByColumnType) {
    const std::vector<FieldDef> fields = {{"L_code", FieldType::Integer, 6, 0},
                                          {"Value", FieldType::Double, 12, 3},
                                          {"Name", FieldType::Text, 20, 0}};
    std::string reason;
    const TableHandle table = writeOne(fields, {-1, 12.5, "Sheet N-37"}, reason);
    EXPECT_EQ(reason, "");
    EXPECT_EQ(DBFReadIntegerAttribute(table.get(), 0, 1), -1);
    EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(table.get(), 0, 2), 12.5);
    EXPECT_STREQ(DBFReadStringAttribute(table.get(), 0, 3), "Sheet N-37");
}

TEST_F(LayerFileTest, ValueOfAnotherTypeRefusesTheRecordAtItsColumn) {
    const std::vector<FieldDef> fields = {{"L_code", FieldType::Integer, 6, 0},
                                          {"Name", FieldType::Text, 20, 0},
                                          {"Value", FieldType::Double, 12, 3}};
    std::string reason;
    const TableHandle table = writeOne(fields, {400901, 5, 1.0}, reason);
    EXPECT_EQ(reason, "record 1: the column Name refuses its value");
    EXPECT_EQ(DBFGetRecordCount(table.get()), 0);
}

TEST_F(LayerFileTest, LongTextIsCutToColumnWidthAndReportedAsSuccess) {
    const std::vector<FieldDef> fields = {{"Text", FieldType::Text, 100, 0}};
    std::string value;
    for (int i = 0; i < 120; ++i) value += static_cast<char>('a' + i % 26);
    std::string reason;
    const TableHandle table = writeOne(fields, {value}, reason);
    EXPECT_EQ(reason, "");
    EXPECT_EQ(std::string(DBFReadStringAttribute(table.get(), 0, 1)), value.substr(0, 100));
}

TEST_F(LayerFileTest, Windows1251BytesAreStoredUnchanged) {
    const std::vector<FieldDef> fields = {{"Lat", FieldType::Text, 20, 0}};
    const std::string latitude = cp1251("52°40' с.ш.");
    ASSERT_EQ(latitude,
              "52\xB0"
              "40' \xF1.\xF8.");
    std::string reason;
    const TableHandle table = writeOne(fields, {latitude}, reason);
    EXPECT_EQ(reason, "");
    EXPECT_EQ(std::string(DBFReadStringAttribute(table.get(), 0, 1)), latitude);
}

TEST_F(LayerFileTest, RecordsTheTableCannotTakeAreReportedWithTheirReason) {
    const std::vector<FieldDef> fields = {{"L_code", FieldType::Integer, 6, 0}};
    Layer layer = open(fields);
    const std::vector<AttributeValue> fits{1};
    const struct {
        std::int32_t record;
        std::int32_t id;
        std::vector<AttributeValue> values;
        std::string reason;
    } cases[] = {
        {1, 1, {1234567}, "record 1: the column L_code refuses its value"},
        {1, 1, {}, "record 1: 0 values for 1 columns"},
        // Records are appended in order: neither a gap nor a record before the first.
        {3, 1, fits, "record 3 cannot be stored"},
        {0, 1, fits, "record 0 names no record"},
        {INT32_MIN, 1, fits, "record -2147483648 names no record"},
        // The identifier column is 6 wide.
        {2, 1000000, fits, "record 2: the column Id refuses 1000000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            writeAttributeRecord(layer.table.get(), c.record, c.id, c.values, fields).reason(),
            c.reason);
    }
    EXPECT_FALSE(writeAttributeRecord(nullptr, 1, 1, fits, fields));
}

// Texts come from job files and dialogs; whatever their bytes and lengths, the record is
// either stored or refused with a reason, never written out of bounds.
TEST_F(LayerFileTest, ArbitraryValuesAreStoredOrRefused) {
    const std::vector<FieldDef> fields = {{"L_code", FieldType::Integer, 6, 0},
                                          {"Value", FieldType::Double, 10, 2},
                                          {"Name", FieldType::Text, 8, 0}};
    std::mt19937 random(20240611);  // fixed seed: the same values on every run
    std::uniform_int_distribution<std::size_t> length(0, 300);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::int32_t> integer(INT32_MIN, INT32_MAX);
    std::uniform_real_distribution<double> exponent(-300.0, 300.0);
    Layer layer = open(fields);
    std::int32_t stored = 0;
    for (std::int32_t attempt = 1; attempt <= 2000; ++attempt) {
        const std::int32_t record = stored + 1;
        std::string text;
        for (std::size_t n = length(random); n > 0; --n) text += static_cast<char>(byte(random));
        const std::vector<AttributeValue> values{integer(random), std::pow(10.0, exponent(random)),
                                                 text};
        const Outcome written =
            writeAttributeRecord(layer.table.get(), record, record % 1000, values, fields);
        if (!written) {
            EXPECT_NE(written.reason().find("refuses"), std::string::npos) << written.reason();
        }
        stored += written ? 1 : 0;
    }
    EXPECT_EQ(DBFGetRecordCount(layer.table.get()), stored);
}

}  // namespace
}  // namespace sheetbasis
