#pragma once
// The job file of the unattended mode: entries "key=value;" that name the sheet, the
// result folder and optional overrides of the result trapezoid and steps.

#include <cstdint>
#include <string>
#include <string_view>

#include "sheet/SheetParameters.h"

namespace sheetbasis {

// Statuses of READARGFILE.
inline constexpr int JOB_READ = 0;
inline constexpr int JOB_NOT_OPENED = 2;
inline constexpr int JOB_LINE_NOT_READ = 3;
inline constexpr int JOB_ENTRY_REJECTED = 4;
inline constexpr int JOB_INCOMPLETE = 5;
inline constexpr int JOB_OUT_OF_RANGE = 6;
inline constexpr int JOB_FOLDER_NOT_ATTEMPTED = 7;

// Statuses of READARG and of the value readers.
inline constexpr int VALUE_ACCEPTED = 0;
inline constexpr int VALUE_REJECTED = 1;

// Reads the job file into the record. The file may be Windows-1251 or UTF-8.
int READARGFILE(const std::string& jobFileName, SheetParameters& p);
// Interprets the first entry of text (Windows-1251) and leaves in text what follows it,
// left-adjusted. Returns VALUE_ACCEPTED or VALUE_REJECTED.
int READARG(std::string& text, SheetParameters& p);

// Value readers (Windows-1251 value texts). Each returns VALUE_ACCEPTED or VALUE_REJECTED.
int READNOMENCLATURE(std::string_view value, SheetParameters& p);
int READCS(std::string_view value, std::int32_t& cs);
int READSCALE2(std::int32_t setScale, std::string_view value, std::int32_t& mapScale);
// The folder comes back as a native (UTF-8) path that ends with the separator.
int READPATH(std::string_view value, std::string& path);

}  // namespace sheetbasis
