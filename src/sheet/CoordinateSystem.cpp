#include "sheet/CoordinateSystem.h"

namespace sheetbasis {

std::string_view coordinateSystemName(CoordinateSystem cs) {
    switch (cs) {
        case CoordinateSystem::Sk42:
            return "СК-42";
        case CoordinateSystem::Sk95:
            return "СК-95";
        case CoordinateSystem::Gsk2011:
            return "ГСК-2011";
        case CoordinateSystem::Gsk2011FromSk42:
            return "ГСК-2011 / СК-42";
    }
    return {};
}

}  // namespace sheetbasis
