#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sheet/CoordinateText.h"
#include "sheet/Cp1251.h"

namespace sheetbasis {
namespace {

constexpr double THIRD = 1.0 / 3.0;

TEST(GradMinSec, DegreesRightAlignedInFourWithMinutesAndSeconds) {
    EXPECT_EQ(degMinSecText(0.5), cp1251("   0°30'00\""));
    EXPECT_EQ(degMinSecText(52.0 + 1.0 / 12.0), cp1251("  52°05'00\""));
    EXPECT_EQ(degMinSecText(30.125), cp1251("  30°07'30\""));
    EXPECT_EQ(degMinSecText(187.0 + 1.0 / 3600.0), cp1251(" 187°00'01\""));
    // Half a second rounds up and carries through the minutes into the degrees.
    EXPECT_EQ(degMinSecText(52.0 - 0.4 / 3600.0), cp1251("  52°00'00\""));
    EXPECT_EQ(degMinSecText(52.0 - 0.6 / 3600.0), cp1251("  51°59'59\""));
}

TEST(CoordToDegMinSec, RoundsToThePrecisionAndSplitsExactly) {
    const DegMinSec nearZero = splitDegMinSec(-0.0001, false, PRECISION_MINUTES);
    EXPECT_TRUE(nearZero.positive);
    EXPECT_EQ(nearZero.degrees, 0);
    EXPECT_EQ(nearZero.minutes, 0);
    EXPECT_EQ(nearZero.seconds, 0.0);

    const DegMinSec north = splitDegMinSec(52.0 + 2 * THIRD, false, PRECISION_MINUTES);
    EXPECT_TRUE(north.positive);
    EXPECT_EQ(north.degrees, 52);
    EXPECT_EQ(north.minutes, 40);
    EXPECT_EQ(north.seconds, 0.0);

    const DegMinSec seconds = splitDegMinSec(30.0 + 12.35 / 3600.0, true, 2);
    EXPECT_EQ(seconds.degrees, 30);
    EXPECT_EQ(seconds.minutes, 0);
    EXPECT_DOUBLE_EQ(seconds.seconds, 12.35);

    const DegMinSec whole = splitDegMinSec(52.0 + 59.6 / 3600.0, false, PRECISION_SECONDS);
    EXPECT_EQ(whole.minutes, 1);
    EXPECT_EQ(whole.seconds, 0.0);
}

TEST(CoordToDegMinSec, LongitudesEastOf180AreWestern) {
    const DegMinSec west = splitDegMinSec(190.25, true, PRECISION_MINUTES);
    EXPECT_FALSE(west.positive);
    EXPECT_EQ(west.degrees, 169);
    EXPECT_EQ(west.minutes, 45);
    // The same value as a latitude is not folded.
    EXPECT_EQ(splitDegMinSec(190.25, false, PRECISION_MINUTES).degrees, 190);
    // Beyond the full turn the longitude is east of Greenwich again.
    const DegMinSec beyond = splitDegMinSec(366.0, true, PRECISION_MINUTES);
    EXPECT_TRUE(beyond.positive);
    EXPECT_EQ(beyond.degrees, 6);
}

TEST(CoordToDegMinSec, ExtremeInputIsClampedNotOverflowed) {
    EXPECT_GT(splitDegMinSec(1e300, false, 40).degrees, 0);
    EXPECT_EQ(splitDegMinSec(std::nan(""), false, 2).degrees, 0);
}

TEST(CoordToTxtN, SecondsByPrecisionAndSuffixByStyle) {
    using Style = CoordinateTextStyle;
    const struct {
        DegMinSec angle;
        bool longitude;
        int precision;
        Style style;
        std::string expected;
    } cases[] = {
        {{52, 40, 59.9, true}, false, PRECISION_MINUTES, Style::HemisphereWord, "52°40' с.ш."},
        // Whole seconds are truncated, never rounded up to 60.
        {{52, 40, 59.9, true}, false, PRECISION_SECONDS, Style::Plain, "52°40'59\""},
        {{5, 7, 5.07, true}, true, 2, Style::Plain, "5°07'5.07\""},
        {{5, 7, 12.35, false}, true, 2, Style::HemisphereWord, "5°07'12.35\" з.д."},
        {{5, 7, 0.0, false}, false, PRECISION_MINUTES, Style::HemisphereWord, "5°07' ю.ш."},
        {{5, 7, 0.0, false}, true, PRECISION_MINUTES, Style::WestSouthLetter, "5°07' З"},
        {{5, 7, 0.0, false}, false, PRECISION_MINUTES, Style::WestSouthLetter, "5°07' Ю"},
        {{5, 7, 0.0, true}, true, PRECISION_MINUTES, Style::WestSouthLetter, "5°07'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(coordinateText(c.angle, c.longitude, c.precision, c.style), cp1251(c.expected))
            << c.expected;
    }
}

TEST(CoordPointToTxtN, CornerTextIsWindows1251) {
    // Bytes written out by hand: ° = B0, в = E2, д = E4, с = F1, ш = F8.
    EXPECT_EQ(
        pointText(30.0, 52.0 + 2 * THIRD, PRECISION_MINUTES, CoordinateTextStyle::HemisphereWord),
        "30\xB0"
        "00' \xE2.\xE4. 52\xB0"
        "40' \xF1.\xF8.");
    EXPECT_EQ(pointText(190.25, 52.0, PRECISION_MINUTES, CoordinateTextStyle::HemisphereWord),
              cp1251("169°45' з.д. 52°00' с.ш."));
}

}  // namespace
}  // namespace sheetbasis
