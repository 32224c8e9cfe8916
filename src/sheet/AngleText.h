#pragma once
// Texts of angles in degrees and minutes as the dialogs show them and the job file gives
// them: " 52° 40'" and "10'". Texts are Windows-1251 (degree sign byte 0xB0).

#include <cstdint>
#include <string>
#include <string_view>

namespace sheetbasis {

// Error flag of the readers.
enum class AngleTextStatus {
    Read = 0,
    Rejected = 1,
};

// The angle as degrees (right-adjusted in 3 characters) and whole minutes: " 36° 00'".
std::string degreesToAngleText(double angle);
// A minute count as two digits and the minute sign ("01'"; "**'" from 100 on).
std::string minutesToText(std::int32_t minutes);
// Reads degrees and optional minutes. Returns AngleTextStatus::Read and sets angle, or
// AngleTextStatus::Rejected and leaves angle unchanged.
AngleTextStatus angleTextToDegrees(std::string_view text, double& angle);
// Reads a minute count. A count above 59 is stored in minutes and flagged
// AngleTextStatus::Rejected; a malformed text leaves minutes unchanged and is flagged
// AngleTextStatus::Rejected.
AngleTextStatus textToMinutes(std::string_view text, std::int32_t& minutes);

}  // namespace sheetbasis
