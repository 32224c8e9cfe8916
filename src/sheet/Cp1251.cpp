#include "sheet/Cp1251.h"

#include <array>
#include <cstdint>

namespace sheetbasis {

namespace {

// Unicode code points of the Windows-1251 bytes 0x80..0xBF; 0x98 has none.
constexpr char32_t UNDEFINED = 0;
constexpr std::array<char32_t, 64> UPPER_HALF_80_BF = {
    0x0402,    0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC,    0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452,    0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    UNDEFINED, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0,    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401,    0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0,    0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451,    0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
};
constexpr unsigned char FIRST_UPPER_BYTE = 0x80;
// 0xC0..0xFF are the 64 letters А..я in Unicode order from U+0410.
constexpr unsigned char FIRST_LETTER_BYTE = 0xC0;
constexpr char32_t FIRST_LETTER_CODE = 0x0410;
constexpr char32_t LETTER_COUNT = 64;
constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;
constexpr char32_t ASCII_END = 0x80;
constexpr char REPLACEMENT_BYTE = '?';

char32_t toUnicode(unsigned char byte) {
    if (byte < FIRST_UPPER_BYTE) return byte;
    if (byte >= FIRST_LETTER_BYTE) return FIRST_LETTER_CODE + (byte - FIRST_LETTER_BYTE);
    const char32_t code = UPPER_HALF_80_BF[byte - FIRST_UPPER_BYTE];
    return code == UNDEFINED ? REPLACEMENT_CHARACTER : code;
}

std::optional<char> fromUnicode(char32_t code) {
    if (code < ASCII_END) return static_cast<char>(code);
    if (code >= FIRST_LETTER_CODE && code < FIRST_LETTER_CODE + LETTER_COUNT)
        return static_cast<char>(FIRST_LETTER_BYTE + (code - FIRST_LETTER_CODE));
    for (std::size_t i = 0; i < UPPER_HALF_80_BF.size(); ++i)
        if (UPPER_HALF_80_BF[i] == code)  // UNDEFINED (0) never gets here: it is ASCII
            return static_cast<char>(FIRST_UPPER_BYTE + i);
    return std::nullopt;
}

// The bit masks below are the fixed lead and continuation byte patterns of UTF-8 (RFC 3629).
void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {  // every Windows-1251 character lies in the Basic Multilingual Plane
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// One decoded UTF-8 sequence: its code point, or nothing when the bytes at the position
// are not a well-formed sequence (overlong, surrogate, beyond U+10FFFF, cut short); the
// length is the number of bytes consumed, at least 1 so that decoding always advances.
struct Decoded {
    std::optional<char32_t> code;
    std::size_t length;
};

constexpr char32_t LAST_CODE_POINT = 0x10FFFF;
constexpr char32_t SURROGATE_FIRST = 0xD800;
constexpr char32_t SURROGATE_LAST = 0xDFFF;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

Decoded decodeUtf8(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    char32_t code = 0;
    char32_t least = 0;  // smallest code point that needs this length (no overlong forms)
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return {std::nullopt, 1};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (at + i >= text.size() || !isContinuation(static_cast<unsigned char>(text[at + i])))
            return {std::nullopt, i};
        code = (code << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    }
    const bool valid = code >= least && code <= LAST_CODE_POINT &&
                       (code < SURROGATE_FIRST || code > SURROGATE_LAST);
    return {valid ? std::optional<char32_t>(code) : std::nullopt, length};
}

}  // namespace

std::string cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (const char c : cp1251) appendUtf8(out, toUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::optional<std::string> utf8ToCp1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const Decoded d = decodeUtf8(utf8, at);
        if (!d.code) return std::nullopt;
        const std::optional<char> byte = fromUnicode(*d.code);
        if (!byte) return std::nullopt;
        out += *byte;
        at += d.length;
    }
    return out;
}

std::string cp1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const Decoded d = decodeUtf8(utf8, at);
        const std::optional<char> byte = d.code ? fromUnicode(*d.code) : std::nullopt;
        out += byte.value_or(REPLACEMENT_BYTE);
        at += d.length;
    }
    return out;
}

bool looksLikeUtf8(std::string_view bytes) {
    bool multiByte = false;
    for (std::size_t at = 0; at < bytes.size();) {
        const Decoded d = decodeUtf8(bytes, at);
        if (!d.code) return false;
        multiByte = multiByte || d.length > 1;
        at += d.length;
    }
    return multiByte;
}

std::size_t utf8CharacterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < utf8.size(); ++count) {
        const Decoded d = decodeUtf8(utf8, at);
        at += d.code ? d.length : 1;
    }
    return count;
}

std::string utf8Prefix(std::string_view utf8, std::size_t n) {
    std::size_t at = 0;
    for (std::size_t count = 0; count < n && at < utf8.size(); ++count) {
        const Decoded d = decodeUtf8(utf8, at);
        at += d.code ? d.length : 1;
    }
    return std::string(utf8.substr(0, at));
}

}  // namespace sheetbasis
