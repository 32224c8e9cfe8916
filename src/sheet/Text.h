#pragma once
// Helpers that reproduce the behaviour of the program's blank-padded text buffers on
// std::string: an all-blank text is empty, trailing blanks never count, and many steps
// left-adjust a text before they look at it.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sheetbasis {

// Capacities of the fixed-length texts, in characters. Folder and job-file names longer than
// theirs are refused, never cut: a cut path names another folder or file.
inline constexpr std::size_t FOLDER_TEXT_LENGTH = 260;
// A result folder leaves room in the folder text for its longest sub-folder name, "FRAME".
inline constexpr std::size_t LONGEST_SUB_FOLDER_NAME = 5;
inline constexpr std::size_t RESULT_FOLDER_LENGTH = FOLDER_TEXT_LENGTH - LONGEST_SUB_FOLDER_NAME;
inline constexpr std::size_t NAME_TEXT_LENGTH = 200;
// A result folder text ends with this; the sub-folder names are appended to it directly.
inline constexpr char FOLDER_SEPARATOR = '/';
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
// True when the texts differ in the case of ASCII letters at most.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
// The number's digits in groups of three, parted by a blank, as a map scale is written:
// "200 000".
std::string groupedDigits(long long value);

// The number of single-byte insertions, deletions and substitutions that turn one text into
// the other (the Levenshtein distance).
std::size_t editDistance(std::string_view a, std::string_view b);
// The known word a mistyped one most likely meant: the nearest by editDistance, the first
// of equals, if it lies within a third of its length (one edit at least); nothing else.
std::optional<std::string_view> nearestWord(std::string_view typed,
                                            std::span<const std::string_view> known);

}  // namespace sheetbasis
