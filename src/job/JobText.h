#pragma once
// The lines of a job file in the file's own encoding, Windows-1251 or UTF-8.

#include <string>
#include <string_view>
#include <vector>

namespace sheetbasis {

// A valid UTF-8 file stays UTF-8 as a whole, so that a folder may hold any character the
// file system takes; anything else is read as Windows-1251.
enum class JobEncoding { Windows1251, Utf8 };

struct JobText {
    JobEncoding encoding = JobEncoding::Windows1251;
    std::vector<std::string> lines;
};

struct JobLines {
    bool opened = false;
    // The lines read before the end of the file or before a read error.
    JobText text;
    // A read error ended the file early; the lines before it are still usable.
    bool readFailed = false;
};

// Splits the bytes of a job file into lines: a UTF-8 file (without its byte-order mark, if
// it has one) stays UTF-8, anything else is Windows-1251. Lines end with LF or CR LF and are
// cut at JOB_LINE_LENGTH characters, never inside a character.
JobText splitJobText(std::string_view bytes);

// Reads the job file. A folder or a file that cannot be opened gives opened = false.
JobLines readJobLines(const std::string& fileName);

}  // namespace sheetbasis
