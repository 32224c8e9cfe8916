#pragma once
// Numbers stored in a table record without printf. The table library formats every number
// with two snprintf calls (one to build the format, one for the value), which was most of
// the cost of writing a layer; these write the same bytes, formatted with std::to_chars,
// through the library's raw field writer, so the library still keeps the record layout and
// the file. The bytes are those of DBFWriteIntegerAttribute and DBFWriteDoubleAttribute:
// right-aligned in the column's width with the column's decimals, cut to the width (and
// then refused) when longer. Unlike the library's printf, the decimal point is '.' whatever
// the locale, as the dBASE format wants it.

#include <shapefil.h>

#include <cstdint>

namespace sheetbasis {

// Stores value in column of record row (0-based; row may be the next new record). False
// when the record or column does not exist, the column is not numeric, or the value is
// wider than the column (its first characters are then stored, as the library does).
bool writeIntegerField(DBFInfo* table, int row, int column, std::int32_t value);
bool writeDecimalField(DBFInfo* table, int row, int column, double value);

}  // namespace sheetbasis
