#pragma once
// The series of the nomenclature.

#include <cstdint>

namespace sheetbasis {

// The series a sheet belongs to (field setScale): the scale its nomenclature is laid out
// for.
enum class Series : std::int32_t {
    Scale200k = 0,  // 1:200 000
    Scale1m = 1,    // 1:1 000 000
};

}  // namespace sheetbasis
