#include "job/JobText.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

// The UTF-8 byte-order mark that editors put at the start of a UTF-8 file.
constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";
// Bytes taken from the stream per read; any size works, job files are a few lines.
constexpr std::size_t READ_CHUNK_BYTES = 4096;
// A job file is a few lines of text. Anything far larger (a device such as /dev/zero, a
// file given by mistake) is not read to its end, so that memory stays bounded; it counts
// as a file that could not be read.
constexpr std::size_t MAX_JOB_FILE_BYTES = std::size_t{4} * 1024 * 1024;

JobEncoding encodingOf(std::string_view bytes) {
    return looksLikeUtf8(bytes) ? JobEncoding::Utf8 : JobEncoding::Windows1251;
}

std::string asJobLine(std::string_view line, JobEncoding encoding) {
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return encoding == JobEncoding::Utf8 ? utf8Prefix(line, JOB_LINE_LENGTH)
                                         : cutTo(line, JOB_LINE_LENGTH);
}

}  // namespace

JobText splitJobText(std::string_view bytes) {
    if (bytes.starts_with(UTF8_BOM)) {
        bytes.remove_prefix(UTF8_BOM.size());
    }
    JobText text{encodingOf(bytes), {}};
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        text.lines.push_back(asJobLine(rest.substr(0, end), text.encoding));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return text;
}

JobLines readJobLines(const std::string& fileName) {
    JobLines result;
    std::error_code ec;
    // A folder opens like a file on this platform and fails only on reading; it is no job
    // file, so it counts as not opened.
    if (std::filesystem::is_directory(std::filesystem::path(fileName), ec)) {
        return result;
    }
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        return result;
    }
    result.opened = true;
    std::string bytes;
    std::string chunk(READ_CHUNK_BYTES, '\0');
    bool tooLarge = false;
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > MAX_JOB_FILE_BYTES) {
            tooLarge = true;
            break;
        }
    }
    if (in.bad() || tooLarge) {
        // Only complete lines were read; the one the error interrupted was not.
        result.readFailed = true;
        const std::size_t lastEnd = bytes.rfind('\n');
        bytes.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
    }
    result.text = splitJobText(bytes);
    return result;
}

}  // namespace sheetbasis
