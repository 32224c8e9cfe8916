#include <gtest/gtest.h>

#include <tuple>
#include <utility>

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

TEST(TextTest, EditDistanceCountsInsertionsDeletionsAndSubstitutions) {
    const std::tuple<const char*, const char*, std::size_t> cases[] = {{"", "", 0},
                                                                       {"", "abc", 3},
                                                                       {"abc", "", 3},
                                                                       {"kitten", "sitting", 3},
                                                                       {"--sheet", "--sheets", 1},
                                                                       {"--xfrom", "--x-from", 1},
                                                                       {"flaw", "lawn", 2},
                                                                       {"xFrom", "xfrom", 1},
                                                                       {"ab", "ba", 2}};
    for (const auto& [a, b, distance] : cases) {
        EXPECT_EQ(editDistance(a, b), distance) << a << " " << b;
        EXPECT_EQ(editDistance(b, a), distance) << b << " " << a;
    }
}

TEST(TextTest, TheNearestKnownWordOnlyWhenItIsNearEnough) {
    constexpr std::string_view known[] = {"--sheets", "--series", "--scale", "--out", "--list"};
    const std::pair<const char*, const char*> cases[] = {{"--sheet", "--sheets"},
                                                         {"--serie", "--series"},
                                                         {"--scales", "--scale"},
                                                         {"--lis", "--list"},
                                                         {"--oot", "--out"},
                                                         {"--frobnicate", ""},
                                                         {"--o", ""},
                                                         {"", ""}};
    for (const auto& [typed, nearest] : cases) {
        EXPECT_EQ(nearestWord(typed, known).value_or(""), nearest) << typed;
    }
}

}  // namespace
}  // namespace sheetbasis
