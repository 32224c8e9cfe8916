// angleTextToDegrees and textToMinutes on arbitrary bytes; an angle that is read is written
// back by degreesToAngleText and read again to the same whole minute.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sheet/AngleText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sheetbasis;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::int32_t minutes = -1;
    textToMinutes(text, minutes);

    double angle = -1.0;
    if (angleTextToDegrees(text, angle) != AngleTextStatus::Read) return 0;
    if (!(angle >= 0.0) || !std::isfinite(angle)) std::abort();
    if (angle < 1e6) {
        double again = -1.0;
        if (angleTextToDegrees(degreesToAngleText(angle), again) != AngleTextStatus::Read)
            std::abort();
        // Both are whole minutes: they agree to far better than half a minute.
        if (std::fabs(again - angle) > 1.0 / 120.0) std::abort();
    }
    return 0;
}
