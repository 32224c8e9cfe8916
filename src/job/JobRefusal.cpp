#include "job/JobRefusal.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>

#include "sheet/AngleText.h"
#include "sheet/Cp1251.h"
#include "sheet/Nomenclature.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

// The keys a job file takes, in the order the reader compares them.
constexpr std::string_view JOB_KEYS[] = {"CS",           "Nom",          "Path",    "MapScale",
                                         "xFrom",        "yFrom",        "xTo",     "yTo",
                                         "ParallelStep", "MeridianStep", "xMinute", "yMinute"};
// Keys that may be given again, the last one counting.
constexpr std::string_view REPEATABLE_KEY = "CS";
constexpr std::string_view NOM_KEY = "Nom";
constexpr std::string_view PATH_KEY = "Path";
// A job file gives a map scale's denominator in thousands.
constexpr std::int32_t JOB_SCALE_UNIT = 1000;
// Digits of a scale denominator are grouped in threes: 1:200 000.

constexpr std::string_view ENTRY_FORM = R"(an entry is a key, "=", a value and ";")";
constexpr std::string_view CS_RULE =
    "one of CK-42, CK-95, ГCK-2011, \"ГCK-2011 / СК-42\" (C and K Latin or Cyrillic)";
constexpr std::string_view ANGLE_RULE =
    "whole degrees and minutes 0..59, such as 52°10', \"52 10'\" or 52";
constexpr std::string_view STEP_RULE =
    "an angle other than 0 in whole degrees and minutes, such as 0°20' or 1";
constexpr std::string_view MINUTES_RULE = "whole minutes 1..59, such as 5";
constexpr std::string_view MAP_SCALE_ORDER = "MapScale stands after Nom, whose series it needs";
constexpr std::string_view REPEATED = "given twice";

// The edge each edge key gives, as a refusal names it.
struct EdgeKey {
    std::string_view key;
    std::string_view edge;
    double DrawingRect::*field;
    OpenInterval ResultEdgeRanges::*range;
};
constexpr EdgeKey EDGE_KEYS[] = {
    {"xFrom", "west", &DrawingRect::west, &ResultEdgeRanges::west},
    {"xTo", "east", &DrawingRect::east, &ResultEdgeRanges::east},
    {"yFrom", "south", &DrawingRect::south, &ResultEdgeRanges::south},
    {"yTo", "north", &DrawingRect::north, &ResultEdgeRanges::north},
};

std::string seriesText(Series setScale) {
    return "the 1:" + groupedDigits(denominatorOf(seriesMapScale(setScale))) + " series";
}

std::string mapScaleRule(Series setScale) {
    const auto scales = mapScalesOf(setScale);
    std::string text = seriesText(setScale) + " draws at ";
    for (std::size_t i = 0; i < scales.size(); ++i) {
        if (i > 0) text += i + 1 == scales.size() ? " or " : ", ";
        text += std::to_string(denominatorOf(scales[i]) / JOB_SCALE_UNIT);
    }
    return text;
}

// Degrees and whole minutes in UTF-8, the form the entries take: 40°00'.
std::string angleText(double angle) {
    const WholeMinutes split = splitIntoWholeMinutes(angle);
    std::string text;
    appendDegreesField(text, split.degrees, 0);
    appendMinutesField(text, split.minutes);
    return cp1251ToUtf8(text);
}

std::string folderRule() {
    return "a folder of 3 characters or more, at most " + std::to_string(RESULT_FOLDER_LENGTH) +
           " with its closing \"/\"";
}

std::string unknownKeyRule(std::string_view key) {
    std::string text = "no such key";
    if (const auto near = nearestWord(key, JOB_KEYS)) {
        text += "; did you mean ";
        text += *near;
    } else {
        text += "; the keys are";
        for (const std::string_view known : JOB_KEYS) text += " " + std::string(known);
    }
    return text;
}

std::string utf8Value(std::string_view value, JobEncoding encoding) {
    return encoding == JobEncoding::Utf8 ? std::string(value) : cp1251ToUtf8(value);
}

// The entries read so far: key and value as typed.
using TypedEntries = std::map<std::string, std::string, std::less<>>;

// What a key takes, for an entry that the reader refused; `read` is the record before it.
std::string ruleOf(const EntryText& entry, const TypedEntries& typed, const SheetParameters& read,
                   JobEncoding encoding) {
    const std::string_view key = entry.key;
    if (std::find(std::begin(JOB_KEYS), std::end(JOB_KEYS), key) == std::end(JOB_KEYS)) {
        return unknownKeyRule(key);
    }
    if (typed.contains(key) && key != REPEATABLE_KEY) return std::string(REPEATED);
    if (key == "CS") return std::string(CS_RULE);
    if (key == PATH_KEY) return folderRule();
    if (key == NOM_KEY) {
        const std::optional<std::string> name = encoding == JobEncoding::Utf8
                                                    ? utf8ToCp1251(entry.value)
                                                    : std::optional<std::string>(entry.value);
        return sheetNameRule(name ? readSheetIdentity(*name).status
                                  : SheetNameStatus::NotASheetName);
    }
    if (key == "MapScale") {
        return typed.contains(NOM_KEY) ? mapScaleRule(read.setScale) : std::string(MAP_SCALE_ORDER);
    }
    if (key == "xMinute" || key == "yMinute") return std::string(MINUTES_RULE);
    if (key == "ParallelStep" || key == "MeridianStep") return std::string(STEP_RULE);
    return std::string(ANGLE_RULE);
}

// The first given edge outside its range, every edge not given being the base one.
JobRefusal edgeRefusal(const SheetParameters& read, const TypedEntries& typed) {
    DrawingRect edges = read.base.edges;
    for (const EdgeKey& e : EDGE_KEYS) {
        if (typed.contains(e.key)) edges.*e.field = read.result.edges.*e.field;
    }
    const ResultEdgeRanges ranges = resultEdgeRanges(read.base.edges, edges, read.setScale);
    for (const EdgeKey& e : EDGE_KEYS) {
        const OpenInterval range = ranges.*e.range;
        if (!typed.contains(e.key) || range.holds(edges.*e.field)) continue;
        const std::string sheet =
            sheetNameOf(read.setScale, read.yZone, read.xZone, read.sheetNumber, read.sheetType);
        return {JobStatus::OutOfRange, std::string(e.key), typed.find(e.key)->second,
                "the " + std::string(e.edge) + " edge of " + sheet + " must lie strictly between " +
                    angleText(range.low) + " and " + angleText(range.high)};
    }
    return {};
}

JobRefusal missingEntry(std::string_view key, std::string rule) {
    return {JobStatus::Incomplete, std::string(key), {}, std::move(rule)};
}

}  // namespace

JobRefusal explainJobText(const JobLines& job, bool folderGivenApart) {
    const JobEncoding encoding = job.text.encoding;
    SheetParameters p;
    setNotGivenMarkers(p);
    if (folderGivenApart) p.path = std::string(1, FOLDER_SEPARATOR);
    TypedEntries typed;
    for (const std::string& line : job.text.lines) {
        std::string rest = line;
        while (!isBlank(rest)) {
            const std::optional<EntryText> entry = splitEntry(rest);
            if (!entry) {
                return {JobStatus::EntryRejected,
                        {},
                        utf8Value(trimBoth(rest), encoding),
                        std::string(ENTRY_FORM)};
            }
            const SheetParameters before = p;
            if (readEntry(rest, encoding, p) != ValueStatus::Accepted) {
                return {JobStatus::EntryRejected, entry->key, utf8Value(entry->value, encoding),
                        ruleOf(*entry, typed, before, encoding)};
            }
            typed.emplace(entry->key, utf8Value(entry->value, encoding));
        }
    }
    if (job.readFailed)
        return {JobStatus::LineNotRead, {}, {}, "the job file cannot be read to its end"};
    if (!typed.contains(NOM_KEY))
        return missingEntry(NOM_KEY, "no Nom entry names the sheet, such as Nom=N-37-XXXVI;");
    if (!folderGivenApart && !typed.contains(PATH_KEY)) {
        return missingEntry(
            PATH_KEY, "no Path entry names the result folder, such as Path=/maps/N-37-XXXVI/;");
    }
    return edgeRefusal(p, typed);
}

std::string jobRefusalText(const JobRefusal& refusal) {
    if (refusal.key.empty() || refusal.status == JobStatus::Incomplete) {
        return refusal.value.empty() ? refusal.rule : refusal.value + ": " + refusal.rule;
    }
    return refusal.key + "=" + refusal.value + ": " + refusal.rule;
}

}  // namespace sheetbasis
