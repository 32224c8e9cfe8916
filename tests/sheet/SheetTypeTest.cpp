#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "sheet/SheetType.h"

namespace sheetbasis {
namespace {

TEST(SheetTypeTest, OnlyOneToFourSheetsSideBySideMakeATypeAndEachCountComesBack) {
    const std::pair<std::int32_t, std::optional<SheetType>> cases[] = {
        {-1, std::nullopt},     {0, std::nullopt},      {1, SheetType::Standard},
        {2, SheetType::Double}, {3, SheetType::Triple}, {4, SheetType::Quadruple},
        {5, std::nullopt},
    };
    for (const auto& [columns, type] : cases) {
        EXPECT_EQ(sheetTypeOfColumns(columns), type) << columns;
        if (type) {
            EXPECT_EQ(joinedColumns(*type), columns);
        }
    }
}

}  // namespace
}  // namespace sheetbasis
