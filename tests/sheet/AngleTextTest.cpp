#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "sheet/AngleText.h"
#include "sheet/Cp1251.h"

namespace sheetbasis {
namespace {

// Texts are written here in UTF-8 and held by the program in Windows-1251.
std::string t(std::string_view utf8) {
    return cp1251(utf8);
}

TEST(GradMin2TxtTest, WorkedValues) {
    EXPECT_EQ(degreesToAngleText(36.0), t(" 36° 00'"));
    EXPECT_EQ(degreesToAngleText(52.0 + 2.0 / 3.0), t(" 52° 40'"));
    EXPECT_EQ(degreesToAngleText(52.666666666666664), t(" 52° 40'"));
    EXPECT_EQ(degreesToAngleText(41.5), t(" 41° 30'"));
    EXPECT_EQ(degreesToAngleText(354.0), t("354° 00'"));
    EXPECT_EQ(degreesToAngleText(7.25), t("  7° 15'"));
    EXPECT_EQ(degreesToAngleText(174.5), t("174° 30'"));
    EXPECT_EQ(degreesToAngleText(1.0 / 6.0), t("  0° 10'"));
    EXPECT_EQ(degreesToAngleText(0.0), t("  0° 00'"));
    EXPECT_EQ(degreesToAngleText(-0.0), t("  0° 00'"));
}

TEST(GradMin2TxtTest, DegreeSignIsTheCodePageByte) {
    const std::string text = degreesToAngleText(36.0);
    ASSERT_EQ(text.size(), 8u);
    EXPECT_EQ(text[3], '\xB0');
}

TEST(GradMin2TxtTest, SixtyMinutesCarryIntoTheNextDegree) {
    EXPECT_EQ(degreesToAngleText(36.9999), t(" 37° 00'"));
    EXPECT_EQ(degreesToAngleText(359.9999), t("360° 00'"));
    // Halves of a minute round away from zero: 0.125 degrees is exactly 7.5 minutes.
    EXPECT_EQ(degreesToAngleText(10.125), t(" 10° 08'"));
}

TEST(GradMin2TxtTest, UnusualAnglesNeverCutTheDegrees) {
    EXPECT_EQ(degreesToAngleText(1234.5), t("1234° 30'"));
    EXPECT_EQ(degreesToAngleText(-0.5), t(" -1° 30'"));
    EXPECT_FALSE(degreesToAngleText(1e300).empty());
    EXPECT_FALSE(degreesToAngleText(std::nan("")).empty());
}

// The fields replaced printf's "%*.0f" and "%02.0f"; they must write what it wrote, down to
// a negative zero, NaN and the widest double.
TEST(AngleFieldsTest, WholeFieldsWriteWhatPrintfWrote) {
    const double values[] = {0.0,  -0.0, 7.0,    -1.0,    59.0,  354.0, 1234.0,
                             9.0e15, -9.0e15, 1.0e300, -1e300, std::nan(""), -std::nan("")};
    for (const double v : values) {
        std::array<char, 400> printed{};
        std::snprintf(printed.data(), printed.size(), "%4.0f", v);
        std::string degrees;
        appendDegreesField(degrees, v, 4);
        EXPECT_EQ(degrees, std::string(printed.data()) + '\xB0') << v;
        std::snprintf(printed.data(), printed.size(), "%02.0f", v);
        std::string minutes;
        appendMinutesField(minutes, v);
        EXPECT_EQ(minutes, std::string(printed.data()) + '\'') << v;
    }
}

TEST(Min2TxtTest, TwoDigitsAndTheMinuteSign) {
    EXPECT_EQ(minutesToText(1), "01'");
    EXPECT_EQ(minutesToText(10), "10'");
    EXPECT_EQ(minutesToText(40), "40'");
    EXPECT_EQ(minutesToText(0), "00'");
    EXPECT_EQ(minutesToText(99), "99'");
    EXPECT_EQ(minutesToText(100), "**'");
    EXPECT_EQ(minutesToText(-5), "**'");
}

double readAngle(std::string_view utf8, AngleTextStatus expectedFlag = AngleTextStatus::Read) {
    double angle = -1.0;
    EXPECT_EQ(angleTextToDegrees(t(utf8), angle), expectedFlag) << "text «" << utf8 << "»";
    return angle;
}

TEST(TxtGradMin2GradTest, AcceptedForms) {
    EXPECT_EQ(readAngle("36"), 36.0);
    EXPECT_EQ(readAngle("36°"), 36.0);
    EXPECT_EQ(readAngle("36° 30'"), 36.5);
    EXPECT_EQ(readAngle("36°30'"), 36.5);
    EXPECT_EQ(readAngle("36 30'"), 36.5);
    EXPECT_EQ(readAngle("36 30"), 36.5);
    EXPECT_EQ(readAngle("36°30"), 36.5);
    EXPECT_EQ(readAngle("   36° 30'   "), 36.5);
    EXPECT_EQ(readAngle("40      "), 40.0);
    EXPECT_EQ(readAngle("36° 30' north"), 36.5);  // after the minute sign nothing counts
    EXPECT_EQ(readAngle("36°    "), 36.0);
    EXPECT_EQ(readAngle("400° 59'"), 400.0 + 59.0 / 60.0);
    EXPECT_EQ(readAngle("2147483647"), 2147483647.0);
}

TEST(TxtGradMin2GradTest, RejectedFormsLeaveTheAngleUnchanged) {
    for (std::string_view bad : {"36'", "-36", "°30'", "36° 60'", "36° 3x'", "", "      ", "36° '",
                                 "'", "36x", "36 30 40", "+36", "\t36", "36° -5'", "2147483648",
                                 "99999999999999999999", "36° 99999999999999999999'"}) {
        double angle = 12.5;
        EXPECT_EQ(angleTextToDegrees(t(bad), angle), AngleTextStatus::Rejected)
            << "text «" << bad << "»";
        EXPECT_EQ(angle, 12.5) << "text «" << bad << "»";
    }
}

TEST(TxtGradMin2GradTest, Utf8DegreeSignIsNotTheCodePageOne) {
    double angle = 0.0;
    EXPECT_EQ(angleTextToDegrees("36\xC2\xB0 30'", angle), AngleTextStatus::Rejected);
}

TEST(TxtGradMin2GradTest, ReadsBackWhatGradMin2TxtWroteRoundedToTheMinute) {
    std::mt19937 random(20240601u);
    std::uniform_real_distribution<double> angles(0.0, 400.0);
    for (int i = 0; i < 20000; ++i) {
        const double a = i < 2000 ? i / 60.0 : angles(random);
        double back = -1.0;
        ASSERT_EQ(angleTextToDegrees(degreesToAngleText(a), back), AngleTextStatus::Read) << a;
        const double roundedMinutes = std::round(a * 60.0);
        EXPECT_NEAR(back * 60.0, roundedMinutes, 1e-9) << a;  // minute arithmetic noise only
    }
}

std::int32_t readMinutes(std::string_view text,
                         AngleTextStatus expectedFlag = AngleTextStatus::Read) {
    std::int32_t minutes = -1;
    EXPECT_EQ(textToMinutes(text, minutes), expectedFlag) << "text «" << text << "»";
    return minutes;
}

TEST(TxtMin2MinTest, AcceptedAndRejectedForms) {
    EXPECT_EQ(readMinutes("10"), 10);
    EXPECT_EQ(readMinutes("10'"), 10);
    EXPECT_EQ(readMinutes(" 5'"), 5);
    EXPECT_EQ(readMinutes("0"), 0);
    EXPECT_EQ(readMinutes("59'"), 59);
    EXPECT_EQ(readMinutes("05' each"), 5);
    // Too large: flagged, but the count read is kept.
    EXPECT_EQ(readMinutes("60'", AngleTextStatus::Rejected), 60);
    EXPECT_EQ(readMinutes("60", AngleTextStatus::Rejected), 60);
    // Malformed: flagged and the output untouched.
    for (std::string_view bad :
         {"1.5", "x", "", "     ", "'", "-5", "10 '", "5 5", "2147483648'", "99999999999999999999"})
        EXPECT_EQ(readMinutes(bad, AngleTextStatus::Rejected), -1) << "text «" << bad << "»";
}

// The readers take texts from dialogs and job files; no byte sequence may upset them.
TEST(AngleTextReadersTest, ArbitraryBytesAreEitherReadOrRejected) {
    std::mt19937 random(7u);
    std::uniform_int_distribution<int> length(0, 24);
    // Mostly digits, blanks and the two signs, so that many inputs get deep into the rules.
    const std::string alphabet = std::string("0123456789 '") + CP1251_DEGREE + "-+.x\t\xFF";
    std::uniform_int_distribution<int> pickAlphabet(0, static_cast<int>(alphabet.size()) - 1);
    std::uniform_int_distribution<int> anyByte(0, 255);
    for (int i = 0; i < 50000; ++i) {
        std::string text;
        const int n = length(random);
        for (int k = 0; k < n; ++k)
            text += i % 2 ? alphabet[static_cast<std::size_t>(pickAlphabet(random))]
                          : static_cast<char>(anyByte(random));
        double angle = -1.0;
        const auto flag = angleTextToDegrees(text, angle);
        ASSERT_TRUE(flag == AngleTextStatus::Read || flag == AngleTextStatus::Rejected);
        if (flag == AngleTextStatus::Read) {
            EXPECT_GE(angle, 0.0);
            EXPECT_LT(angle - std::floor(angle), 1.0);
        } else {
            EXPECT_EQ(angle, -1.0);
        }
        std::int32_t minutes = -1;
        const auto minuteFlag = textToMinutes(text, minutes);
        if (minuteFlag == AngleTextStatus::Read) {
            EXPECT_GE(minutes, 0);
            EXPECT_LE(minutes, 59);
        } else {
            EXPECT_EQ(minuteFlag, AngleTextStatus::Rejected);
        }
    }
}

TEST(ToldLongitude, EastUpTo180WestBeyondAndPast360ATurnEarlier) {
    const struct {
        double longitude;
        double degrees;
        bool western;
    } cases[] = {
        {0.0, 0.0, false},  {37.5, 37.5, false}, {180.0, 180.0, false}, {190.5, 169.5, true},
        {354.0, 6.0, true}, {360.0, 0.0, true},  {366.0, 6.0, false},
    };
    for (const auto& c : cases) {
        const ToldLongitude told = toldLongitude(c.longitude);
        EXPECT_DOUBLE_EQ(told.degrees, c.degrees) << c.longitude;
        EXPECT_EQ(told.western, c.western) << c.longitude;
    }
}

TEST(SplitIntoWholeMinutes, RoundsToTheNearestMinuteBeforeSplitting) {
    const struct {
        double angle;
        double degrees;
        double minutes;
    } cases[] = {
        {52.0 + 2.0 / 3.0, 52.0, 40.0},
        {52.0 + 59.5 / 60.0, 53.0, 0.0},  // halves away from zero carry into the degree
        {170.0 - 1e-12, 170.0, 0.0},      // never 169 degrees 60 minutes
        {0.25 / 60.0, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        const WholeMinutes split = splitIntoWholeMinutes(c.angle);
        EXPECT_EQ(split.degrees, c.degrees) << c.angle;
        EXPECT_EQ(split.minutes, c.minutes) << c.angle;
    }
}

}  // namespace
}  // namespace sheetbasis
