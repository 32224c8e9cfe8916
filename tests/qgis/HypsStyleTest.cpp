#include <gtest/gtest.h>

#include <string>

#include "qgis/HypsStyle.h"

namespace sheetbasis {
namespace {

// The part of a rule renderer from the symbol with the given key to the next one.
std::string symbolText(const std::string& renderer, const std::string& key) {
    const auto start = renderer.find("<symbol name=\"" + key + "\"");
    return start == std::string::npos
               ? std::string()
               : renderer.substr(start, renderer.find("</symbol>", start) - start);
}

TEST(HypsStyleTest, onlyThePolarCircleIsDashed) {
    const std::string renderer = hypsLineStyle().renderer;
    ASSERT_NE(renderer.find(R"(filter="&quot;L_code&quot; = 400013" symbol="0")"),
              std::string::npos);
    ASSERT_NE(renderer.find(R"x(filter="NOT (&quot;L_code&quot; = 400013)" symbol="1")x"),
              std::string::npos);
    EXPECT_NE(symbolText(renderer, "0").find(R"(value="dash")"), std::string::npos);
    EXPECT_NE(symbolText(renderer, "1").find(R"(value="solid")"), std::string::npos);
}

TEST(HypsStyleTest, theSheetAreaIsAnOutlineOverWhatLiesBelow) {
    const LayerStyle area = hypsAreaStyle();
    EXPECT_EQ(area.geometry, StyleGeometry::Polygon);
    EXPECT_NE(area.renderer.find(R"(name="style" type="QString" value="no")"), std::string::npos);
    EXPECT_NE(area.renderer.find(R"(name="outline_style" type="QString" value="solid")"),
              std::string::npos);
    EXPECT_NE(hypsPointStyle().renderer.find(R"(value="cross")"), std::string::npos);
    EXPECT_TRUE(hypsPointStyle().labelling.empty());
}

}  // namespace
}  // namespace sheetbasis
