#include "job/FileArg.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "job/JobText.h"
#include "sheet/AngleText.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

// Marks a field that no entry has given yet; values read from the file are never negative.
constexpr std::int32_t NOT_GIVEN = -999;
constexpr double NOT_GIVEN_ANGLE = -999.0;
// Values outside the enumerations: no series or map scale a job could give.
constexpr Series NOT_GIVEN_SERIES = static_cast<Series>(NOT_GIVEN);
constexpr MapScale NOT_GIVEN_MAP_SCALE = static_cast<MapScale>(NOT_GIVEN);
// Fewest characters of an entry up to its ";": a one-letter key, "=" and a one-letter value.
constexpr std::size_t SHORTEST_ENTRY = 4;

// The marker is stored exactly and no value read can be negative, so exact comparison
// tells a given field from one not given.
bool isGiven(double field) {
    return field != NOT_GIVEN_ANGLE;
}
bool isGiven(std::int32_t field) {
    return field != NOT_GIVEN;
}
bool isGiven(Series field) {
    return field != NOT_GIVEN_SERIES;
}
bool isGiven(MapScale field) {
    return field != NOT_GIVEN_MAP_SCALE;
}

ValueStatus readAngle(std::string_view value, double& field, bool zeroAllowed) {
    if (isGiven(field) || angleTextToDegrees(value, field) != AngleTextStatus::Read) {
        return ValueStatus::Rejected;
    }
    // A step of exactly 0 (every digit zero) would draw no graticule.
    return zeroAllowed || field != 0.0 ? ValueStatus::Accepted : ValueStatus::Rejected;
}

ValueStatus readMinutes(std::string_view value, std::int32_t& field) {
    if (isGiven(field) || textToMinutes(value, field) != AngleTextStatus::Read) {
        return ValueStatus::Rejected;
    }
    return field != 0 ? ValueStatus::Accepted : ValueStatus::Rejected;
}

ValueStatus readSheetName(std::string_view value, SheetParameters& p) {
    return isGiven(p.setScale) ? ValueStatus::Rejected : applySheetName(value, p);
}

ValueStatus readPath(std::string_view value, JobEncoding encoding, SheetParameters& p) {
    if (!p.path.empty()) {
        return ValueStatus::Rejected;
    }
    return encoding == JobEncoding::Utf8 ? readUtf8Path(value, p.path)
                                         : parseResultFolder(value, p.path);
}

ValueStatus readMapScale(std::string_view value, SheetParameters& p) {
    if (isGiven(p.mapScale) || !isGiven(p.setScale)) {
        return ValueStatus::Rejected;
    }
    return parseMapScale(p.setScale, value, p.mapScale);
}

// Acts on one entry. A folder is taken in the file's encoding; every other value is a
// Windows-1251 text, and a character that Windows-1251 lacks belongs to no keyword, sheet
// name or number.
ValueStatus readValue(std::string_view key, std::string_view fileValue, JobEncoding encoding,
                      SheetParameters& p) {
    if (key == "Path") return readPath(fileValue, encoding, p);
    const std::optional<std::string> text = encoding == JobEncoding::Utf8
                                                ? utf8ToCp1251(fileValue)
                                                : std::optional<std::string>(fileValue);
    if (!text) return ValueStatus::Rejected;
    const std::string_view value = *text;
    constexpr bool ZERO_ALLOWED = true;
    if (key == "CS") return parseCoordinateSystem(value, p.cs);
    if (key == "Nom") return readSheetName(value, p);
    if (key == "MapScale") return readMapScale(value, p);
    Trapezoid& r = p.result;
    if (key == "xFrom") return readAngle(value, r.edges.west, ZERO_ALLOWED);
    if (key == "yFrom") return readAngle(value, r.edges.south, ZERO_ALLOWED);
    if (key == "xTo") return readAngle(value, r.edges.east, ZERO_ALLOWED);
    if (key == "yTo") return readAngle(value, r.edges.north, ZERO_ALLOWED);
    if (key == "ParallelStep") return readAngle(value, r.parallelStep, !ZERO_ALLOWED);
    if (key == "MeridianStep") return readAngle(value, r.meridianStep, !ZERO_ALLOWED);
    if (key == "xMinute") return readMinutes(value, r.xMinute);
    if (key == "yMinute") return readMinutes(value, r.yMinute);
    return ValueStatus::Rejected;
}

// A result field not given takes its base value.
template <typename T>
void takeBaseIfNotGiven(T& field, T base) {
    if (!isGiven(field)) field = base;
}

// The completed edges must lie in their ranges (resultEdgeRanges): an edge given far beyond
// the sheet would make the outlines run for ever, an inverted trapezoid would make them run
// backwards; the refine dialog refuses both, and so does the job file. A given count or
// step must not be 0 (the base ones never are).
bool completeResult(SheetParameters& p) {
    Trapezoid& r = p.result;
    const Trapezoid& b = p.base;
    takeBaseIfNotGiven(r.edges.west, b.edges.west);
    takeBaseIfNotGiven(r.edges.east, b.edges.east);
    takeBaseIfNotGiven(r.edges.south, b.edges.south);
    takeBaseIfNotGiven(r.edges.north, b.edges.north);
    takeBaseIfNotGiven(r.xMinute, b.xMinute);
    takeBaseIfNotGiven(r.yMinute, b.yMinute);
    takeBaseIfNotGiven(r.parallelStep, b.parallelStep);
    takeBaseIfNotGiven(r.meridianStep, b.meridianStep);
    const ResultEdgeRanges ranges = resultEdgeRanges(b.edges, r.edges, p.setScale);
    return ranges.west.holds(r.edges.west) && ranges.east.holds(r.edges.east) &&
           ranges.south.holds(r.edges.south) && ranges.north.holds(r.edges.north) &&
           r.xMinute != 0 && r.yMinute != 0 && r.parallelStep != 0 && r.meridianStep != 0;
}

// Creates a missing result folder. Whether that worked is for the result-folder step to
// find out; only a folder text that the file system cannot take at all is reported.
JobStatus ensureResultFolder(const std::string& folder) {
    // The operating system takes a path up to its first NUL, which would name another folder.
    if (folder.find('\0') != std::string::npos) {
        return JobStatus::FolderNotAttempted;
    }
    // An existing folder is left as it is; one that cannot be made shows in the next step.
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(folder), ec);
    return JobStatus::Read;
}

// Steps 3 and 4 of the reading: every entry of every line.
JobStatus readEntries(const JobLines& job, SheetParameters& p) {
    for (const std::string& line : job.text.lines) {
        std::string buffer = line;
        while (!isBlank(buffer)) {
            if (readEntry(buffer, job.text.encoding, p) != ValueStatus::Accepted) {
                return JobStatus::EntryRejected;
            }
        }
    }
    return job.readFailed ? JobStatus::LineNotRead : JobStatus::Read;
}

// The entries of the lines, then the checks and the completion of the result fields.
JobStatus readAndCompleteEntries(const JobLines& job, SheetParameters& p) {
    if (const auto status = readEntries(job, p); status != JobStatus::Read) {
        return status;
    }
    if (!isGiven(p.setScale) || p.path.empty()) {
        return JobStatus::Incomplete;
    }
    if (!isGiven(p.mapScale)) {
        p.mapScale = seriesMapScale(p.setScale);
    }
    if (!completeResult(p)) {
        return JobStatus::OutOfRange;
    }
    return JobStatus::Read;
}

}  // namespace

void setNotGivenMarkers(SheetParameters& p) {
    p.cs = CoordinateSystem::Sk42;
    p.setScale = NOT_GIVEN_SERIES;
    p.mapScale = NOT_GIVEN_MAP_SCALE;
    p.path.clear();
    p.result.edges = {NOT_GIVEN_ANGLE, NOT_GIVEN_ANGLE, NOT_GIVEN_ANGLE, NOT_GIVEN_ANGLE};
    p.result.meridianStep = p.result.parallelStep = NOT_GIVEN_ANGLE;
    p.result.xMinute = p.result.yMinute = NOT_GIVEN;
}

ValueStatus readJobEntry(std::string& text, SheetParameters& p) {
    return readEntry(text, JobEncoding::Windows1251, p);
}

std::optional<EntryText> splitEntry(std::string_view text) {
    const std::string line = leftAdjust(text);
    const std::size_t s = line.find(';');
    if (s == std::string::npos || s + 1 < SHORTEST_ENTRY) {
        return std::nullopt;
    }
    const std::size_t e = line.find('=');
    if (e == std::string::npos || e == 0 || e > s) {
        return std::nullopt;
    }
    EntryText entry{trimBoth(std::string_view(line).substr(0, e)),
                    trimBoth(std::string_view(line).substr(e + 1, s - e - 1)),
                    leftAdjust(std::string_view(line).substr(s + 1))};
    if (entry.key.empty() || entry.value.empty()) {
        return std::nullopt;
    }
    return entry;
}

ValueStatus readEntry(std::string& text, JobEncoding encoding, SheetParameters& p) {
    std::optional<EntryText> entry = splitEntry(text);
    if (!entry) {
        text = leftAdjust(text);
        return ValueStatus::Rejected;
    }
    text = std::move(entry->rest);
    return readValue(entry->key, entry->value, encoding, p);
}

JobStatus readJobFile(const std::string& jobFileName, SheetParameters& p) {
    setNotGivenMarkers(p);
    const JobLines job = readJobLines(jobFileName);
    if (!job.opened) {
        return JobStatus::NotOpened;
    }
    return readJobEntries(job, p);
}

JobStatus readJobEntries(const JobLines& job, SheetParameters& p) {
    setNotGivenMarkers(p);
    return readAndCompleteEntries(job, p);
}

JobStatus readJobEntriesForFolder(const JobLines& job, const std::string& folder,
                                  SheetParameters& p) {
    setNotGivenMarkers(p);
    std::string path = folder;
    if (!path.ends_with(FOLDER_SEPARATOR)) path.push_back(FOLDER_SEPARATOR);
    if (utf8CharacterCount(path) > RESULT_FOLDER_LENGTH) return JobStatus::EntryRejected;
    // Given, a "Path" entry of the text is then refused as a repetition.
    p.path = std::move(path);
    return readAndCompleteEntries(job, p);
}

JobStatus readJobFileAndMakeFolder(const std::string& jobFileName, SheetParameters& p) {
    const auto status = readJobFile(jobFileName, p);
    return status == JobStatus::Read ? ensureResultFolder(p.path) : status;
}

JobStatus readJobEntriesAndMakeFolder(const JobLines& job, SheetParameters& p) {
    const auto status = readJobEntries(job, p);
    return status == JobStatus::Read ? ensureResultFolder(p.path) : status;
}

}  // namespace sheetbasis
