// applySheetName on arbitrary bytes; an accepted name must describe a real sheet.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "job/FileArg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sheetbasis;
    SheetParameters p;
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    if (applySheetName(value, p) == ValueStatus::Accepted) {
        const bool valid = p.yZone >= FIRST_ROW && p.yZone <= LAST_ROW && p.xZone >= 1 &&
                           p.xZone <= 60 && sheetTypeOfColumns(joinedColumns(p.sheetType)) &&
                           p.base.edges.west < p.base.edges.east &&
                           p.base.edges.south < p.base.edges.north;
        if (!valid) std::abort();
    }
    return 0;
}
