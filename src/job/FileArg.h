#pragma once
// The job file of the unattended mode: entries "key=value;" that name the sheet, the
// result folder and optional overrides of the result trapezoid and steps.

#include <string>

#include "job/JobText.h"
#include "job/ValueReaders.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

// Statuses of readJobFileAndMakeFolder.
inline constexpr int JOB_READ = 0;
inline constexpr int JOB_NOT_OPENED = 2;
inline constexpr int JOB_LINE_NOT_READ = 3;
inline constexpr int JOB_ENTRY_REJECTED = 4;
inline constexpr int JOB_INCOMPLETE = 5;
inline constexpr int JOB_OUT_OF_RANGE = 6;
inline constexpr int JOB_FOLDER_NOT_ATTEMPTED = 7;

// Marks every field that an entry may give as not given yet (cs takes its default 1);
// readJobEntry needs them to recognise repeated keys.
void setNotGivenMarkers(SheetParameters& p);
// Reads and checks the job file without touching the file system otherwise: statuses
// JOB_READ to JOB_OUT_OF_RANGE. The file may be Windows-1251 or UTF-8.
int readJobFile(const std::string& jobFileName, SheetParameters& p);
// readJobFile, then creates the result folder when it is missing.
int readJobFileAndMakeFolder(const std::string& jobFileName, SheetParameters& p);
// Interprets the first entry of text (Windows-1251) and leaves in text what follows it,
// left-adjusted. Returns VALUE_ACCEPTED or VALUE_REJECTED.
int readJobEntry(std::string& text, SheetParameters& p);
// readJobEntry on an entry text in the given encoding; the folder of "Path" keeps every character.
int readEntry(std::string& text, JobEncoding encoding, SheetParameters& p);

}  // namespace sheetbasis
