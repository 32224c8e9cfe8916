#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <string>

#include "sheet/Cp1251.h"

namespace sheetbasis {
namespace {

// The C library's converter serves as an independent table of the code page.
std::optional<std::string> iconvConvert(const char* to, const char* from, std::string in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(in.size() * 4 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

// The one byte without a character in Windows-1251.
constexpr int UNDEFINED_BYTE = 0x98;

TEST(Cp1251Test, EveryByteAgreesWithTheCLibraryTable) {
    for (int byte = 0; byte < 256; ++byte) {
        if (byte == UNDEFINED_BYTE) continue;
        const std::string one(1, static_cast<char>(byte));
        const std::optional<std::string> expected = iconvConvert("UTF-8", "CP1251", one);
        ASSERT_TRUE(expected.has_value()) << "iconv lacks CP1251 byte " << byte;
        EXPECT_EQ(cp1251ToUtf8(one), *expected) << "byte " << byte;
        EXPECT_EQ(utf8ToCp1251(*expected), one) << "byte " << byte;
    }
}

TEST(Cp1251Test, UndefinedByteBecomesReplacementCharacterAndCannotComeBack) {
    EXPECT_EQ(cp1251ToUtf8("\x98"), "\xEF\xBF\xBD");
    EXPECT_FALSE(utf8ToCp1251("\xEF\xBF\xBD").has_value());
}

TEST(Cp1251Test, ProgramTextsConvert) {
    EXPECT_EQ(cp1251("°"), std::string(1, CP1251_DEGREE));
    EXPECT_EQ(cp1251("Г"), "\xC3");
    EXPECT_EQ(cp1251("СК-42"), "\xD1\xCA-42");
    EXPECT_EQ(cp1251("Параллель"), "\xCF\xE0\xF0\xE0\xEB\xEB\xE5\xEB\xFC");
    EXPECT_EQ(cp1251ToUtf8(cp1251("ГСК-2011 / СК-42")), "ГСК-2011 / СК-42");
}

TEST(Cp1251Test, StrictConversionRejectsMalformedOrForeignText) {
    EXPECT_FALSE(utf8ToCp1251("\xC0\xAF").has_value());          // overlong '/'
    EXPECT_FALSE(utf8ToCp1251("\xED\xA0\x80").has_value());      // surrogate
    EXPECT_FALSE(utf8ToCp1251("\xF4\x90\x80\x80").has_value());  // beyond U+10FFFF
    EXPECT_FALSE(utf8ToCp1251("\xD0").has_value());              // cut short
    EXPECT_FALSE(utf8ToCp1251("\x80").has_value());              // lone continuation
    EXPECT_FALSE(utf8ToCp1251("日本").has_value());              // not in the code page
    EXPECT_EQ(utf8ToCp1251(""), "");
}

TEST(Cp1251Test, LiteralHelperMarksWhatItCannotConvert) {
    EXPECT_EQ(cp1251("a日b"), "a?b");
    EXPECT_EQ(cp1251("a\xD0"), "a?");
    EXPECT_EQ(cp1251("\xD0Z"), "?Z");  // the byte after a cut sequence is kept
}

TEST(Cp1251Test, Utf8IsRecognisedOnlyWithMultiByteSequences) {
    EXPECT_TRUE(looksLikeUtf8("CS=ГCK-2011;"));
    EXPECT_FALSE(looksLikeUtf8("CS=CK-42;"));
    EXPECT_FALSE(looksLikeUtf8(cp1251("CS=ГCK-2011;")));
    EXPECT_FALSE(looksLikeUtf8("\xE2\x82"));
    EXPECT_FALSE(looksLikeUtf8(""));
}

TEST(Cp1251Test, Utf8CharactersAreCountedAndCutWhole) {
    EXPECT_EQ(utf8CharacterCount("/data/Лист ✓ 𝄞/"), 15u);
    EXPECT_EQ(utf8CharacterCount(""), 0u);
    // A byte that starts no sequence is one character, as Windows-1251 would read it.
    EXPECT_EQ(utf8CharacterCount("a\xD0\xC6"
                                 "b"),
              4u);
    EXPECT_EQ(utf8Prefix("ДЖ✓𝄞x", 3), "ДЖ✓");
    EXPECT_EQ(utf8Prefix("ДЖ✓𝄞x", 4), "ДЖ✓𝄞");
    EXPECT_EQ(utf8Prefix("ab", 5), "ab");
    EXPECT_EQ(utf8Prefix("\xD0\xC6", 1), "\xD0");
}

}  // namespace
}  // namespace sheetbasis
