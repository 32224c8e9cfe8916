// TXTGRADMIN2GRAD and TXTMIN2MIN on arbitrary bytes; an angle that is read is written
// back by GRADMIN2TXT and read again to the same whole minute.

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
    TXTMIN2MIN(text, minutes);

    double angle = -1.0;
    if (TXTGRADMIN2GRAD(text, angle) != TEXT_READ) return 0;
    if (!(angle >= 0.0) || !std::isfinite(angle)) std::abort();
    if (angle < 1e6) {
        double again = -1.0;
        if (TXTGRADMIN2GRAD(GRADMIN2TXT(angle), again) != TEXT_READ) std::abort();
        // Both are whole minutes: they agree to far better than half a minute.
        if (std::fabs(again - angle) > 1.0 / 120.0) std::abort();
    }
    return 0;
}
