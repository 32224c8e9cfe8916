#pragma once
// The scales a sheet's basis can be drawn at: its series' own scale or one of two smaller
// ones.

#include <array>
#include <cstdint>

#include "sheet/Series.h"

namespace sheetbasis {

// A map scale 1:M; the value is the denominator M.
enum class MapScale : std::int32_t {
    Scale200k = 200000,
    Scale500k = 500000,
    Scale1m = 1000000,
    Scale2500k = 2500000,
    Scale5m = 5000000,
};

constexpr std::int32_t denominatorOf(MapScale scale) {
    return static_cast<std::int32_t>(scale);
}

// The map scales the series offers, its own first, then smaller and smaller: the main
// dialog's list of map scales and what a job file's "MapScale" may give.
constexpr std::array<MapScale, 3> mapScalesOf(Series setScale) {
    if (setScale == Series::Scale200k) {
        return {MapScale::Scale200k, MapScale::Scale500k, MapScale::Scale1m};
    }
    return {MapScale::Scale1m, MapScale::Scale2500k, MapScale::Scale5m};
}

// The scale the series' sheets are drawn at unless a smaller one is chosen.
constexpr MapScale seriesMapScale(Series setScale) {
    return mapScalesOf(setScale).front();
}

}  // namespace sheetbasis
