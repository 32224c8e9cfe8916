#pragma once
// The lines of a job file as Windows-1251 texts, whatever encoding the file was saved in.

#include <string>
#include <string_view>
#include <vector>

namespace sheetbasis {

struct JobLines {
    bool opened = false;
    // The lines read before the end of the file or before a read error.
    std::vector<std::string> lines;
    // A read error ended the file early; the lines before it are still usable.
    bool readFailed = false;
};

// Splits the bytes of a job file into Windows-1251 lines: a UTF-8 file (with or without
// its byte-order mark) is converted, anything else is taken as Windows-1251. Lines end
// with LF or CR LF and are cut at JOB_LINE_LENGTH characters.
std::vector<std::string> splitJobText(std::string_view bytes);

// Reads the job file. A folder or a file that cannot be opened gives opened = false.
JobLines readJobLines(const std::string& fileName);

}  // namespace sheetbasis
