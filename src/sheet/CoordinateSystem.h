#pragma once
// The coordinate systems a sheet can be generated in.

#include <array>
#include <cstdint>
#include <string_view>

namespace sheetbasis {

// The values are the systems' places in the dialog's list and in the job file's list of
// names, counted from 1.
enum class CoordinateSystem : std::int32_t {
    Sk42 = 1,
    Sk95 = 2,
    Gsk2011 = 3,
    // Laid out in SK-42, generated in GSK-2011 (corners carried by sk42ToGsk2011).
    Gsk2011FromSk42 = 4,
};

// Every system in the order of the lists.
inline constexpr std::array<CoordinateSystem, 4> COORDINATE_SYSTEMS = {
    CoordinateSystem::Sk42, CoordinateSystem::Sk95, CoordinateSystem::Gsk2011,
    CoordinateSystem::Gsk2011FromSk42};

// The coordinate system's name as a user reads it ("СК-42", ..., "ГСК-2011 / СК-42"); empty
// for a value that names none.
std::string_view coordinateSystemName(CoordinateSystem cs);

}  // namespace sheetbasis
