#pragma once
// Numbers as a table record holds them, without printf. The table library formats every
// number with two snprintf calls (one to build the format, one for the value), which was
// most of the cost of writing a layer; these give the same bytes, formatted with
// std::to_chars, into a record that the library then stores whole, so the library still
// keeps the record layout and the file. The bytes are those of DBFWriteIntegerAttribute and
// DBFWriteDoubleAttribute: right-aligned in the column's width with the column's decimals,
// cut to the width (and then refused) when longer. Unlike the library's printf, the decimal
// point is '.' whatever the locale, as the dBASE format wants it.

#include <cstdint>
#include <span>

namespace sheetbasis {

// Writes value into field, a column's bytes within a record, blank before, with the
// column's decimals. False when the value is wider than the column (its first characters
// are then written, as the library does) or cannot be written at all.
bool storeNumber(std::span<char> field, std::int32_t value, int decimals);
bool storeNumber(std::span<char> field, double value, int decimals);

}  // namespace sheetbasis
