#pragma once
// The job file of the unattended mode: entries "key=value;" that name the sheet, the
// result folder and optional overrides of the result trapezoid and steps.

#include <optional>
#include <string>
#include <string_view>

#include "job/JobText.h"
#include "job/ValueReaders.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

// Statuses of readJobFileAndMakeFolder.
enum class JobStatus {
    Read = 0,
    NotOpened = 2,
    LineNotRead = 3,
    EntryRejected = 4,
    Incomplete = 5,
    OutOfRange = 6,
    FolderNotAttempted = 7,
};

// Marks every field that an entry may give as not given yet (cs takes its default 1);
// readJobEntry needs them to recognise repeated keys.
void setNotGivenMarkers(SheetParameters& p);
// Reads and checks the job file without touching the file system otherwise: statuses
// JobStatus::Read to JobStatus::OutOfRange. The file may be Windows-1251 or UTF-8.
JobStatus readJobFile(const std::string& jobFileName, SheetParameters& p);
// The part of readJobFile after the file has been read: the entries of the lines, then
// the checks and the completion of the result fields. Any status of readJobFile but
// JobStatus::NotOpened.
JobStatus readJobEntries(const JobLines& job, SheetParameters& p);
// readJobEntries for a job text without "Path" whose result folder is given apart, used
// byte for byte as it is (with a closing separator added): a folder named on the command
// line is never read as job-file text. A folder longer than a job file takes is refused
// (JobStatus::EntryRejected).
JobStatus readJobEntriesForFolder(const JobLines& job, const std::string& folder,
                                  SheetParameters& p);
// readJobFile, then creates the result folder when it is missing.
JobStatus readJobFileAndMakeFolder(const std::string& jobFileName, SheetParameters& p);
// readJobEntries, then creates the result folder when it is missing.
JobStatus readJobEntriesAndMakeFolder(const JobLines& job, SheetParameters& p);
// Interprets the first entry of text (Windows-1251) and leaves in text what follows it,
// left-adjusted. Returns ValueStatus::Accepted or ValueStatus::Rejected.
ValueStatus readJobEntry(std::string& text, SheetParameters& p);
// The first entry of a job line as the entry reader splits it: the key and the value without
// the blanks around them, and the rest of the line after the ";", left-adjusted. Nothing
// when the line does not begin with a key, "=", a value and ";".
struct EntryText {
    std::string key;
    std::string value;
    std::string rest;
};
std::optional<EntryText> splitEntry(std::string_view text);
// readJobEntry on an entry text in the given encoding; the folder of "Path" keeps every character.
ValueStatus readEntry(std::string& text, JobEncoding encoding, SheetParameters& p);

}  // namespace sheetbasis
