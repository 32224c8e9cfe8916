#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <type_traits>
#include <variant>

#include "output/LayerFile.h"
#include "output/NumberFields.h"
#include "support/TempFolder.h"

namespace sheetbasis {
namespace {

struct Written {
    bool stored = false;
    std::string record;  // the whole record as the table holds it
};

// One record of one numeric column, the value stored either by the table library's own
// printf-based writers or by ours into a record the library then stores whole.
Written writeOnce(const std::string& file, int width, int decimals,
                  std::variant<std::int32_t, double> value, bool library) {
    const TableHandle table{DBFCreate(file.c_str())};
    EXPECT_GE(
        DBFAddField(table.get(), "Value", decimals > 0 ? FTDouble : FTInteger, width, decimals), 0);
    bool stored = false;
    if (library) {
        stored = std::visit(
            [&table](auto number) {
                if constexpr (std::is_same_v<decltype(number), double>) {
                    return DBFWriteDoubleAttribute(table.get(), 0, 0, number) != 0;
                } else {
                    return DBFWriteIntegerAttribute(table.get(), 0, 0, number) != 0;
                }
            },
            value);
    } else {
        std::string record(static_cast<std::size_t>(table->nRecordLength), ' ');
        const std::span<char> field(record.data() + table->panFieldOffset[0],
                                    static_cast<std::size_t>(width));
        stored =
            std::visit([&](auto number) { return storeNumber(field, number, decimals); }, value);
        EXPECT_NE(DBFWriteTuple(table.get(), 0, record.data()), 0);
    }
    const char* record = DBFReadTuple(table.get(), 0);
    return {stored, record == nullptr ? std::string() : std::string(record, table->nRecordLength)};
}

TEST(NumberFieldsTest, StoresTheLibrarysOwnBytes) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct {
        int width;
        int decimals;
        std::variant<std::int32_t, double> value;
    } cases[] = {
        {6, 0, 0},         {6, 0, -1},         {6, 0, 999999},
        {6, 0, 1000000},  // one digit too many: cut and refused
        {6, 0, -100000},   {11, 0, INT32_MIN}, {10, 0, INT32_MAX},
        {8, 0, INT32_MIN}, {12, 3, 42},  // an integer in a column with decimals
        {254, 0, -7},                    // the widest column padded in full
        {255, 0, 7},                     // the widest column: the library pads to one less
        {12, 3, 12.5},     {12, 3, 0.0},       {12, 3, -0.0},
        {10, 2, -0.004},                     // rounds to a negative zero
        {10, 2, 0.125},                      // exact halves round to even
        {10, 2, 0.375},    {10, 2, 2.675},   // just below the half in binary
        {6, 2, 123.456},   {5, 2, 123.456},  // wider than the column
        {19, 8, 1e300},    {12, 3, 1e-300},    {20, 15, 0.1},
        {10, 0, 2.5},      {10, 0, -3.5},      {255, 3, -1.5},
        {12, 3, nan},      {12, 3, -nan},      {12, 3, inf},
        {12, 3, -inf},
    };
    const TempFolder dir;
    for (const auto& c : cases) {
        const Written library =
            writeOnce((dir.path() / "library.dbf").string(), c.width, c.decimals, c.value, true);
        const Written ours =
            writeOnce((dir.path() / "ours.dbf").string(), c.width, c.decimals, c.value, false);
        const std::string label = std::to_string(c.width) + "." + std::to_string(c.decimals) + " " +
                                  std::visit([](auto v) { return std::to_string(v); }, c.value);
        EXPECT_EQ(ours.stored, library.stored) << label;
        EXPECT_EQ(ours.record, library.record) << label;
    }
}

}  // namespace
}  // namespace sheetbasis
