#include <gtest/gtest.h>

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

const std::vector<FieldDef> HYPSL_FIELDS = {{"L_code", FIELD_INTEGER, 6, 0},
                                            {"Text", FIELD_TEXT, 40, 0},
                                            {"Grad", FIELD_TEXT, 5, 0},
                                            {"Min ", FIELD_TEXT, 7, 0},
                                            {"Indication", FIELD_TEXT, 5, 0}};

class LayerFileTest : public ::testing::Test {
  protected:
    std::string base(const std::string& name = "Layer") const {
        return (dir.path() / name).string();
    }

    // Opens a layer of one shape type that the test expects to be created.
    Layer open(const std::vector<FieldDef>& fields, std::int32_t cs = 1) {
        Layer layer;
        EXPECT_EQ(createLayer(cs, SHAPE_ARC, base(), fields, layer), LayerStatus::Created);
        return layer;
    }

    // Writes one record into a fresh layer, closes it and reopens the table for reading.
    TableHandle writeOne(const std::vector<FieldDef>& fields, std::string text,
                         RecordStatus expected) {
        Layer layer = open(fields);
        EXPECT_EQ(writeAttributeRecord(layer.table.get(), 1, 1, text, fields), expected);
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
    EXPECT_EQ(type, SHAPE_ARC);
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
    const std::vector<std::pair<std::int32_t, std::string>> cases = {
        {1, pulkovo42}, {2, pulkovo65}, {3, gsk2011}, {4, gsk2011}, {0, ""}, {5, ""}, {-1, ""}};

    for (const auto& [cs, expected] : cases) {
        SCOPED_TRACE(cs);
        // An earlier, longer file of the same name must be replaced, not overwritten in part.
        std::ofstream(base() + ".PRJ") << std::string(400, 'x');
        Layer layer;
        ASSERT_EQ(createLayer(cs, SHAPE_POINT, base(), {}, layer), LayerStatus::Created);
        ASSERT_TRUE(closeLayer(layer));
        EXPECT_EQ(fileBytes(base() + ".PRJ"), expected);
    }
}

TEST_F(LayerFileTest, LayerNameLosesTrailingBlanks) {
    Layer layer;
    ASSERT_EQ(createLayer(1, SHAPE_POINT, base("HypsP") + "   ", {}, layer), LayerStatus::Created);
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
        ASSERT_EQ(createLayer(1, SHAPE_POINT, c.layer, HYPSL_FIELDS, layer), LayerStatus::Created);
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

TEST_F(LayerFileTest, LibraryMessagesGoToTheLayerNotToTheTerminal) {
    // More 255-character columns than a record of 65 535 bytes holds.
    const std::vector<FieldDef> tooMany(300, FieldDef{"Wide", FIELD_TEXT, 255, 0});
    Layer layer;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(createLayer(1, SHAPE_POINT, base(), tooMany, layer), LayerStatus::ColumnRefused);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(layer.libraryMessages.find("Record length limit reached"), std::string::npos)
        << layer.libraryMessages;
}

TEST_F(LayerFileTest, LayerLeftOpenLeavesNothingOnDisk) {
    std::string text = "7\\x\\2\\30\\y\\";
    {
        Layer layer = open(HYPSL_FIELDS);
        ASSERT_EQ(writeAttributeRecord(layer.table.get(), 1, 1, text, HYPSL_FIELDS),
                  RecordStatus::Written);
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(LayerFileTest, RefusedColumnLeavesNothingOnDisk) {
    // A column of no width, and columns of types the table library does not have.
    for (const FieldDef& broken : {FieldDef{"Broken", FIELD_TEXT, 0, 0},
                                   FieldDef{"Broken", 99, 10, 0}, FieldDef{"Broken", -1, 10, 0}}) {
        SCOPED_TRACE(broken.type);
        const std::vector<FieldDef> fields = {
            {"L_code", FIELD_INTEGER, 6, 0}, broken, {"Text", FIELD_TEXT, 40, 0}};
        Layer layer;
        EXPECT_EQ(createLayer(1, SHAPE_ARC, base(), fields, layer), LayerStatus::ColumnRefused);
        EXPECT_EQ(layer.table, nullptr);
        EXPECT_EQ(layer.shape, nullptr);
        EXPECT_TRUE(fs::is_empty(dir.path()));
    }
}

TEST_F(LayerFileTest, WithoutUserFieldsOnlyTheIdentifierIsWritten) {
    Layer layer = open({});
    std::string text = "  left\\alone";
    EXPECT_EQ(writeAttributeRecord(layer.table.get(), 1, 17, text, {}), RecordStatus::Written);
    EXPECT_EQ(text, "  left\\alone");
    ASSERT_TRUE(closeLayer(layer));
    const TableHandle table = reread();
    ASSERT_EQ(DBFGetRecordCount(table.get()), 1);
    EXPECT_EQ(DBFGetFieldCount(table.get()), 1);
    EXPECT_EQ(DBFReadIntegerAttribute(table.get(), 0, 0), 17);
}

TEST_F(LayerFileTest, ValuesAreStoredByColumnTypeAndTheTextIsConsumed) {
    const std::vector<FieldDef> fields = {{"L_code", FIELD_INTEGER, 6, 0},
                                          {"Value", FIELD_DOUBLE, 12, 3},
                                          {"Name", FIELD_TEXT, 20, 0},
                                          {"Logic", 3, 1, 0}};
    Layer layer = open(fields);
    std::string text = "   400010\\ 12,5 \\  Sheet N-37   \\ignored\\  rest ";
    EXPECT_EQ(writeAttributeRecord(layer.table.get(), 1, 1, text, fields), RecordStatus::Written);
    EXPECT_EQ(text, "rest ");
    ASSERT_TRUE(closeLayer(layer));

    const TableHandle table = reread();
    EXPECT_EQ(DBFReadIntegerAttribute(table.get(), 0, 1), 400010);
    EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(table.get(), 0, 2), 12.5);
    EXPECT_STREQ(DBFReadStringAttribute(table.get(), 0, 3), "Sheet N-37");
    // The logical column takes no value from the text: it stays as a new record has it.
    EXPECT_STREQ(DBFReadStringAttribute(table.get(), 0, 4), "");
}

TEST_F(LayerFileTest, CommaDecimalIsReadOnlyInFloatingColumns) {
    const std::vector<FieldDef> floating = {{"Value", FIELD_DOUBLE, 12, 3}};
    const TableHandle stored = writeOne(floating, "12,5\\", RecordStatus::Written);
    EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(stored.get(), 0, 1), 12.5);

    const std::vector<FieldDef> integer = {{"L_code", FIELD_INTEGER, 6, 0}};
    const TableHandle refused = writeOne(integer, "12,5\\", RecordStatus::Malformed);
    EXPECT_TRUE(DBFIsAttributeNULL(refused.get(), 0, 1));
}

TEST_F(LayerFileTest, EmptyValuesStoreZeroAndEmptyText) {
    const std::vector<FieldDef> fields = {{"L_code", FIELD_INTEGER, 6, 0},
                                          {"Value", FIELD_DOUBLE, 12, 3},
                                          {"Name", FIELD_TEXT, 20, 0}};
    const TableHandle table = writeOne(fields, "\\   \\\\", RecordStatus::Written);
    EXPECT_FALSE(DBFIsAttributeNULL(table.get(), 0, 1));
    EXPECT_EQ(DBFReadIntegerAttribute(table.get(), 0, 1), 0);
    EXPECT_FALSE(DBFIsAttributeNULL(table.get(), 0, 2));
    EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(table.get(), 0, 2), 0.0);
    EXPECT_STREQ(DBFReadStringAttribute(table.get(), 0, 3), "");
}

TEST_F(LayerFileTest, MissingClosingSeparatorStopsAfterTheValuesBeforeIt) {
    const std::vector<FieldDef> fields = {{"L_code", FIELD_INTEGER, 6, 0},
                                          {"Name", FIELD_TEXT, 20, 0}};
    const TableHandle table = writeOne(fields, "400901\\unclosed", RecordStatus::Malformed);
    EXPECT_EQ(DBFReadIntegerAttribute(table.get(), 0, 1), 400901);
    EXPECT_TRUE(DBFIsAttributeNULL(table.get(), 0, 2));
}

TEST_F(LayerFileTest, LongTextIsCutToColumnWidthAndReportedAsSuccess) {
    const std::vector<FieldDef> fields = {{"Text", FIELD_TEXT, 100, 0}};
    std::string value;
    for (int i = 0; i < 120; ++i) value += static_cast<char>('a' + i % 26);
    const TableHandle table = writeOne(fields, value + "\\", RecordStatus::Written);
    EXPECT_EQ(std::string(DBFReadStringAttribute(table.get(), 0, 1)), value.substr(0, 100));
}

TEST_F(LayerFileTest, Windows1251BytesAreStoredUnchanged) {
    const std::vector<FieldDef> fields = {{"Lat", FIELD_TEXT, 20, 0}};
    const std::string latitude = cp1251("52°40' с.ш.");
    ASSERT_EQ(latitude,
              "52\xB0"
              "40' \xF1.\xF8.");
    const TableHandle table = writeOne(fields, latitude + "\\", RecordStatus::Written);
    EXPECT_EQ(std::string(DBFReadStringAttribute(table.get(), 0, 1)), latitude);
}

TEST_F(LayerFileTest, ValueIsCutTo256CharactersBeforeItIsRead) {
    // 255 zeros and "12": the cut keeps the zeros and the "1" only.
    const std::vector<FieldDef> fields = {{"Count", FIELD_INTEGER, 6, 0}};
    const TableHandle table =
        writeOne(fields, std::string(255, '0') + "12\\", RecordStatus::Written);
    EXPECT_EQ(DBFReadIntegerAttribute(table.get(), 0, 1), 1);
}

TEST_F(LayerFileTest, FreeFormNumbersAcceptOneSignedNumberOnly) {
    struct Case {
        std::string value;
        int type;
        RecordStatus status;
        double stored;
    };
    const std::vector<Case> cases = {
        {"+5", FIELD_INTEGER, RecordStatus::Written, 5},
        {"-5 ", FIELD_INTEGER, RecordStatus::Written, -5},
        {"2147483647", FIELD_INTEGER, RecordStatus::Written, 2147483647.0},
        {"2147483648", FIELD_INTEGER, RecordStatus::Malformed, 0},
        {"12.0", FIELD_INTEGER, RecordStatus::Malformed, 0},
        {"1e3", FIELD_INTEGER, RecordStatus::Malformed, 0},
        {"1 2", FIELD_INTEGER, RecordStatus::Malformed, 0},
        {"+-1", FIELD_INTEGER, RecordStatus::Malformed, 0},
        {"--1", FIELD_INTEGER, RecordStatus::Malformed, 0},
        {"+", FIELD_INTEGER, RecordStatus::Malformed, 0},
        {"0x10", FIELD_INTEGER, RecordStatus::Malformed, 0},
        {"1e3", FIELD_DOUBLE, RecordStatus::Written, 1000},
        {" 2.5E-1 ", FIELD_DOUBLE, RecordStatus::Written, 0.25},
        {".5", FIELD_DOUBLE, RecordStatus::Written, 0.5},
        {"-7.", FIELD_DOUBLE, RecordStatus::Written, -7},
        {"+0,125", FIELD_DOUBLE, RecordStatus::Written, 0.125},
        {"1,5,5", FIELD_DOUBLE, RecordStatus::Malformed, 0},
        {"1.5,5", FIELD_DOUBLE, RecordStatus::Malformed, 0},
        {"abc", FIELD_DOUBLE, RecordStatus::Malformed, 0},
        {"inf", FIELD_DOUBLE, RecordStatus::Malformed, 0},
        {"nan", FIELD_DOUBLE, RecordStatus::Malformed, 0},
        {"1e999", FIELD_DOUBLE, RecordStatus::Malformed, 0},
        {"1e300", FIELD_DOUBLE, RecordStatus::ValueRefused, 0},  // far wider than its column
        {"1e", FIELD_DOUBLE, RecordStatus::Malformed, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const std::vector<FieldDef> fields = {{"Value", c.type, 20, 4}};
        const TableHandle table = writeOne(fields, c.value + "\\", c.status);
        ASSERT_NE(table, nullptr);
        if (c.status == RecordStatus::Written) {
            EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(table.get(), 0, 1), c.stored);
        } else if (c.status == RecordStatus::Malformed) {
            EXPECT_TRUE(DBFIsAttributeNULL(table.get(), 0, 1));
        }
    }
}

TEST_F(LayerFileTest, ValuesTheTableRefusesAreReported) {
    const std::vector<FieldDef> fields = {{"L_code", FIELD_INTEGER, 6, 0}};
    Layer layer = open(fields);
    std::string tooWide = "1234567\\";
    EXPECT_EQ(writeAttributeRecord(layer.table.get(), 1, 1, tooWide, fields),
              RecordStatus::ValueRefused);

    // Records are appended in order: neither a gap nor a record before the first is taken.
    std::string text = "1\\";
    EXPECT_EQ(writeAttributeRecord(layer.table.get(), 3, 1, text, fields),
              RecordStatus::ValueRefused);
    EXPECT_EQ(writeAttributeRecord(layer.table.get(), 0, 1, text, fields),
              RecordStatus::ValueRefused);
    EXPECT_EQ(writeAttributeRecord(layer.table.get(), INT32_MIN, 1, text, fields),
              RecordStatus::ValueRefused);
    // The identifier column is 6 wide.
    EXPECT_EQ(writeAttributeRecord(layer.table.get(), 2, 1000000, text, fields),
              RecordStatus::ValueRefused);
    EXPECT_EQ(writeAttributeRecord(nullptr, 1, 1, text, fields), RecordStatus::ValueRefused);
}

// Attribute texts come from dialogs and job files; whatever their bytes, the record is
// either stored or refused with a status, never written out of bounds.
TEST_F(LayerFileTest, ArbitraryAttributeTextsGiveAStatus) {
    const std::vector<FieldDef> fields = {{"L_code", FIELD_INTEGER, 6, 0},
                                          {"Value", FIELD_DOUBLE, 10, 2},
                                          {"Name", FIELD_TEXT, 8, 0}};
    const std::string alphabet = std::string("0123456789+-.,eE \\\xB0\xC3") + '\0' + "x";
    std::mt19937 random(20240611);  // fixed seed: the same texts on every run
    std::uniform_int_distribution<std::size_t> length(0, 300);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    Layer layer = open(fields);
    int written = 0;
    for (int i = 0; i < 2000; ++i) {
        std::string text;
        for (std::size_t n = length(random); n > 0; --n) text += alphabet[pick(random)];
        const auto status = writeAttributeRecord(layer.table.get(), written + 1, 1, text, fields);
        ASSERT_TRUE(status == RecordStatus::Written || status == RecordStatus::ValueRefused ||
                    status == RecordStatus::Malformed)
            << static_cast<int>(status);
        ++written;
    }
    EXPECT_EQ(DBFGetRecordCount(layer.table.get()), written);
}

}  // namespace
}  // namespace sheetbasis
