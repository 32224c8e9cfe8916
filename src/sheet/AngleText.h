#pragma once
// Texts of angles in degrees and minutes as the dialogs show them and the job file gives
// them: " 52° 40'" and "10'". Texts are Windows-1251 (degree sign byte 0xB0).

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace sheetbasis {

inline constexpr double MINUTES_PER_DEGREE = 60.0;
inline constexpr double SECONDS_PER_MINUTE = 60.0;

// An angle rounded to the nearest whole minute (halves away from zero) and split into
// whole degrees and whole minutes, the form of every degree-and-minute text of the layers.
struct WholeMinutes {
    double degrees = 0.0;
    double minutes = 0.0;
};
WholeMinutes splitIntoWholeMinutes(double angle);

// A longitude of the program's 0..360 scale as a map tells it: up to 180 degrees east of
// Greenwich, beyond that 360 - v degrees west (360 itself is 0 degrees west). An east edge
// may pass 360 (a sheet across Greenwich); such a longitude is the same one a turn earlier.
// The rule is the same on degrees and on whole units of a precision (halfTurn is the
// amount of 180 degrees): texts that split an angle exactly count it in units.
template <typename Number>
struct ToldLongitudeOf {
    Number amount{};
    bool western = false;
};
template <typename Number>
ToldLongitudeOf<Number> tellLongitude(Number longitude, Number halfTurn) {
    const Number turn = halfTurn + halfTurn;
    Number v = longitude;
    if (v > turn) {
        if constexpr (std::is_integral_v<Number>) {
            v %= turn;
        } else {
            v = std::fmod(v, turn);
        }
    }
    if (v > halfTurn) return {turn - v, true};
    return {v, false};
}

struct ToldLongitude {
    double degrees = 0.0;
    bool western = false;
};
ToldLongitude toldLongitude(double longitude);

// Error flag of the readers.
enum class AngleTextStatus {
    Read = 0,
    Rejected = 1,
};

// The fields every angle text of the program is made of. They are written here alone, so
// that degrees, minutes and seconds read alike in every text; the texts differ only in how
// they round and split the angle, in the width of their degrees and in which fields they
// show. Texts are Windows-1251.
//
// Whole degrees (an integral value, or NaN) right-aligned with blanks in `width`
// characters, then the degree sign: " 36°".
void appendDegreesField(std::string& text, double wholeDegrees, int width);
// Whole minutes (an integral value) in two digits, then the minute sign: "05'".
void appendMinutesField(std::string& text, double wholeMinutes);
// Seconds cut to whole ones in two digits ("07""), or with `decimals` decimals (from 1)
// as many digits as they take ("7.25""), then the second sign.
void appendSecondsField(std::string& text, double seconds, int decimals);

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
