#pragma once
// Helpers that reproduce the behaviour of the program's blank-padded text buffers on
// std::string: an all-blank text is empty, trailing blanks never count, and many steps
// left-adjust a text before they look at it.

#include <cstddef>
#include <string>
#include <string_view>

namespace sheetbasis {

// Capacities of the fixed-length texts; longer values are cut to them.
inline constexpr std::size_t FOLDER_TEXT_LENGTH = 260;
inline constexpr std::size_t NAME_TEXT_LENGTH = 200;
inline constexpr std::size_t JOB_LINE_LENGTH = 1000;

// Moves the leading blanks away: the text without its leading blanks.
std::string leftAdjust(std::string_view text);
// The text without its trailing blanks.
std::string trimTrailing(std::string_view text);
// The text without leading and trailing blanks.
std::string trimBoth(std::string_view text);
// True when the text holds nothing but blanks.
bool isBlank(std::string_view text);
// The text cut to at most n characters.
std::string cutTo(std::string_view text, std::size_t n);

}  // namespace sheetbasis
