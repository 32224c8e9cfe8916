#pragma once
// The paper a sheet's print layout is laid out on.

#include <cstdint>

namespace sheetbasis {

enum class Paper : std::int32_t {
    SmallestIso,  // the smallest of A4..A0 that holds the sheet, else Fit
    A0,
    A1,
    A2,
    A3,
    A4,
    Fit,  // a page as large as the sheet with its margin texts
};

}  // namespace sheetbasis
