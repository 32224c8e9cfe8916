#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "TempFolder.h"
#include "qgis/QgisStyle.h"

namespace sheetbasis {
namespace {

std::string fileText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(QgisStyleTest, xmlEscapingCoversTheReservedCharactersAndKeepsOtherBytes) {
    EXPECT_EQ(xmlEscaped(R"("L_code" = 1 & x<2 AND y>3 OR 'a')"),
              "&quot;L_code&quot; = 1 &amp; x&lt;2 AND y&gt;3 OR &apos;a&apos;");
    EXPECT_EQ(xmlEscaped("52\xB0"), "52\xB0");  // the degree sign of Windows-1251
    EXPECT_EQ(xmlEscaped(""), "");
}

TEST(QgisStyleTest, decimalTextReadsBackToTheSameNumber) {
    for (double value :
         {0.0, 6.5, -96.0, 0.1, 1.2000000476837158, 52.111111111111114, 6378136.5, 1e-12, 3.5e9}) {
        EXPECT_EQ(std::stod(decimalText(value)), value) << decimalText(value);
    }
    EXPECT_EQ(decimalText(6.5), "6.5");
    EXPECT_EQ(decimalText(400901.0), "400901");
}

TEST(QgisStyleTest, ruleRendererGivesEachRuleItsOwnSymbol) {
    const std::string xml =
        lineRuleRenderer({{"thin", "\"L_code\" = 1", {0.1}},
                          {"bold", "\"L_code\" = 2", {0.5, LineStroke::Dashed, true}}});
    EXPECT_NE(xml.find(R"(filter="&quot;L_code&quot; = 1" symbol="0")"), std::string::npos);
    EXPECT_NE(xml.find(R"(filter="&quot;L_code&quot; = 2" symbol="1")"), std::string::npos);
    EXPECT_NE(xml.find(R"(<symbol name="1" type="line")"), std::string::npos);
    const std::string second = xml.substr(xml.find(R"(<symbol name="1")"));
    EXPECT_NE(second.find(R"(name="line_width" type="QString" value="0.5")"), std::string::npos);
    EXPECT_NE(second.find(R"(value="dash")"), std::string::npos);
    EXPECT_NE(second.find(R"(value="flat")"), std::string::npos);
}

TEST(QgisStyleTest, labellingLetsTheTextBoxDownByTheMiddleExpressionAtTheSizeOfTheLabel) {
    const std::string labels = lineLabelling({"Text", "Size", "'A'", "A", "0.25"});
    EXPECT_NE(labels.find(R"(fieldName="Text")"), std::string::npos);
    // 0.25 of the size in points, in millimetres.
    EXPECT_NE(labels.find("-(0.25) * 0.35277777777777"), std::string::npos);
    EXPECT_NE(labels.find(R"(displayAll="1" obstacle="0")"), std::string::npos);
}

TEST(QgisStyleTest, styleFileReplacesAnEarlierOneAndTellsWhetherItWasWritten) {
    TempFolder tmp;
    const std::string base = (tmp.path() / "Frame").string();
    std::ofstream(base + ".qml") << "an earlier style that is much longer than nothing at all";
    const LayerStyle style{
        StyleGeometry::Polygon, singleSymbolRenderer(outlineSymbol("0", 0.2)), {}};
    ASSERT_TRUE(writeStyleFile(base, style));
    const std::string text = fileText(base + ".qml");
    EXPECT_EQ(text, styleDocument(style));
    EXPECT_EQ(text.rfind("<!DOCTYPE qgis", 0), 0u);
    EXPECT_NE(text.find(R"(labelsEnabled="0")"), std::string::npos);
    EXPECT_NE(text.find("<layerGeometryType>2</layerGeometryType>"), std::string::npos);
    EXPECT_FALSE(writeStyleFile((tmp.path() / "missing" / "Frame").string(), style));
}

}  // namespace
}  // namespace sheetbasis
