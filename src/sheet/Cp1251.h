#pragma once
// The program keeps every text in the Windows-1251 code page (the degree sign is byte
// 0xB0, the Cyrillic capital Г byte 0xC3). These conversions connect it with UTF-8, the
// encoding of the Qt interface and of job files written on this platform.

#include <optional>
#include <string>
#include <string_view>

namespace sheetbasis {

// Byte of the degree sign in Windows-1251.
inline constexpr char CP1251_DEGREE = '\xB0';

// Every Windows-1251 byte has a Unicode counterpart except 0x98, which is undefined and
// becomes U+FFFD.
std::string cp1251ToUtf8(std::string_view cp1251);

// Converts UTF-8 to Windows-1251. Returns nothing when the input is not valid UTF-8 or
// holds a character that Windows-1251 cannot represent.
std::optional<std::string> utf8ToCp1251(std::string_view utf8);

// A Windows-1251 literal from UTF-8 source text, for the program's own Russian texts
// ("Параллель"). Characters that Windows-1251 lacks become '?'.
std::string cp1251(std::string_view utf8);

// True when the bytes form valid UTF-8 and at least one multi-byte sequence, i.e. the
// text cannot be plain ASCII and must be UTF-8 rather than a single-byte code page.
bool looksLikeUtf8(std::string_view bytes);

// The number of characters of a UTF-8 text; a byte that starts no well-formed sequence
// counts as one character, as a Windows-1251 reading would see it.
std::size_t utf8CharacterCount(std::string_view utf8);

// The first n characters of a UTF-8 text, never ending inside a character.
std::string utf8Prefix(std::string_view utf8, std::size_t n);

}  // namespace sheetbasis
