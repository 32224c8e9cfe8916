#include <gtest/gtest.h>

#include "sheet/Text.h"

namespace sheetbasis {
namespace {

TEST(TextTest, BlanksAreTrimmedButOtherWhiteSpaceIsContent) {
    EXPECT_EQ(leftAdjust("   N-37  "), "N-37  ");
    EXPECT_EQ(trimTrailing("  N-37   "), "  N-37");
    EXPECT_EQ(trimBoth("  N-37   "), "N-37");
    EXPECT_EQ(trimBoth("\tN-37\t"), "\tN-37\t");
    EXPECT_EQ(leftAdjust("     "), "");
    EXPECT_EQ(trimTrailing(""), "");
}

TEST(TextTest, AllBlankTextIsEmpty) {
    EXPECT_TRUE(isBlank(""));
    EXPECT_TRUE(isBlank("      "));
    EXPECT_FALSE(isBlank("   x  "));
    EXPECT_FALSE(isBlank("\t"));
}

TEST(TextTest, CutKeepsAtMostTheCapacity) {
    EXPECT_EQ(cutTo("abcdef", 3), "abc");
    EXPECT_EQ(cutTo("ab", 3), "ab");
    EXPECT_EQ(cutTo(std::string(FOLDER_TEXT_LENGTH + 5, 'a'), FOLDER_TEXT_LENGTH).size(),
              FOLDER_TEXT_LENGTH);
    EXPECT_EQ(cutTo("abc", 0), "");
}

}  // namespace
}  // namespace sheetbasis
