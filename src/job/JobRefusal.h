#pragma once
// Why the job-file reader refuses a job text, told as its writer would want to hear it: the
// entry as typed and what its key takes there. The reader itself answers with a status
// only; this is for runs of many sheets, whose summary names the reason of each failure.

#include <string>

#include "job/FileArg.h"
#include "job/JobText.h"

namespace sheetbasis {

struct JobRefusal {
    JobStatus status = JobStatus::Read;
    std::string key;    // the entry to blame; for a missing entry the key it needs; "" for none
    std::string value;  // its value as typed, UTF-8
    std::string rule;   // what is allowed: "the 1:200 000 series draws at 200, 500 or 1000"
};

// Reads the job text again entry by entry, as readJobEntries reads it (or, with
// folderGivenApart, readJobEntriesForFolder, whose folder is not an entry), and tells the
// first thing it refuses: status Read when it refuses nothing, LineNotRead when the file
// ended in a read error.
JobRefusal explainJobText(const JobLines& job, bool folderGivenApart);

// "xFrom=52°10': the west edge of N-37-XXXVI must lie strictly between 40°00' and 42°00'",
// or the rule alone when no entry is to blame.
std::string jobRefusalText(const JobRefusal& refusal);

}  // namespace sheetbasis
