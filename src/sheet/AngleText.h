#pragma once
// Texts of angles in degrees and minutes as the dialogs show them and the job file gives
// them: " 52° 40'" and "10'". Texts are Windows-1251 (degree sign byte 0xB0).

#include <cstdint>
#include <string>
#include <string_view>

namespace sheetbasis {

// Error flag of the readers.
inline constexpr int TEXT_READ = 0;
inline constexpr int TEXT_REJECTED = 1;

// The angle as degrees (right-adjusted in 3 characters) and whole minutes: " 36° 00'".
std::string degreesToAngleText(double angle);
// A minute count as two digits and the minute sign ("01'"; "**'" from 100 on).
std::string minutesToText(std::int32_t minutes);
// Reads degrees and optional minutes. Returns TEXT_READ and sets angle, or
// TEXT_REJECTED and leaves angle unchanged.
int angleTextToDegrees(std::string_view text, double& angle);
// Reads a minute count. A count above 59 is stored in minutes and flagged TEXT_REJECTED;
// a malformed text leaves minutes unchanged and is flagged TEXT_REJECTED.
int textToMinutes(std::string_view text, std::int32_t& minutes);

}  // namespace sheetbasis
