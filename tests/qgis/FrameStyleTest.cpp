#include <gtest/gtest.h>

#include <string>

#include "frame/FontMetrics.h"
#include "qgis/FrameStyle.h"

namespace sheetbasis {
namespace {

TEST(FrameStyleTest, everyFontOfTheTableHasAnInstalledStandIn) {
    EXPECT_EQ(substituteFamily(LabelFont::Pragmatica), "Lato");
    EXPECT_EQ(substituteFamily(LabelFont::FreeSet), "Averia Sans GWF");
    EXPECT_EQ(substituteFamily(LabelFont::Centurion), "P052");
    EXPECT_EQ(substituteFamily(static_cast<LabelFont>(0)), "");
    const std::string labels = frameLabelStyle().labelling;
    for (const LabelFont font : LABEL_FONTS) {
        const std::string mapping = "WHEN &quot;Font&quot; = &apos;" + std::string(fontName(font)) +
                                    "&apos; THEN &apos;" + std::string(substituteFamily(font)) +
                                    "&apos;";
        EXPECT_NE(labels.find(mapping), std::string::npos) << fontName(font);
    }
}

TEST(FrameStyleTest, bandBarsAreAsWideAsTheBandOfTheSheet) {
    const FrameSettings settings = frameSettingsFor(Series::Scale200k, MapScale::Scale200k);
    const LayerStyle style = frameLineStyle(settings, {41.0, 42.0, 52.0, 52.5});
    EXPECT_NE(style.renderer.find(R"(value="1.2000000476837158")"), std::string::npos);
    // The sides of the sheet decide what a division line is.
    EXPECT_NE(style.renderer.find("&gt; 52.5 OR"), std::string::npos);
    EXPECT_NE(style.renderer.find("&lt; 52,"), std::string::npos);
    EXPECT_TRUE(style.labelling.empty());
}

TEST(FrameStyleTest, labelLinesThemselvesAreNotDrawn) {
    EXPECT_NE(frameLabelStyle().renderer.find(R"(value="no")"), std::string::npos);
}

}  // namespace
}  // namespace sheetbasis
