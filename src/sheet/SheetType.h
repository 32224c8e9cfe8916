#pragma once
// The sheet types of the nomenclature: near the pole neighbouring sheets of a row are
// joined into one, always eastward from the sheet that names it.

#include <cstdint>
#include <optional>

namespace sheetbasis {

// The value of a type counts the sheets joined to the one that names it (field sheetType).
enum class SheetType : std::int32_t {
    Standard = 0,
    Double = 1,
    Triple = 2,
    Quadruple = 3,
};

// How many sheets of its series side by side in a row the sheet spans: 1 for a standard
// sheet, 4 for a quadruple one. It is the number a job file's suffix "(2)".."(4)" shows.
constexpr std::int32_t joinedColumns(SheetType type) {
    return static_cast<std::int32_t>(type) + 1;
}

// The type of a sheet that spans `columns` sheets of a row; nothing for a count no type has.
constexpr std::optional<SheetType> sheetTypeOfColumns(std::int32_t columns) {
    if (columns < joinedColumns(SheetType::Standard) ||
        columns > joinedColumns(SheetType::Quadruple)) {
        return std::nullopt;
    }
    return static_cast<SheetType>(columns - joinedColumns(SheetType::Standard));
}

}  // namespace sheetbasis
