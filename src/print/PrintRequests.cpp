#include "print/PrintRequests.h"

#include <algorithm>

namespace sheetbasis {
namespace {

constexpr std::string_view PRINTED = "printed";
constexpr std::string_view FAILED = "failed\t";

}  // namespace

std::string requestText(const PrintRequest& request) {
    std::string text = request.project;
    text += '\0';
    text += request.pdf;
    text += '\0';
    return text;
}

std::string answerLine(const Outcome& outcome) {
    if (outcome) return std::string(PRINTED) + '\n';
    std::string reason = outcome.reason();
    std::replace_if(
        reason.begin(), reason.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return std::string(FAILED) + reason + '\n';
}

std::optional<Outcome> parseAnswer(std::string_view line) {
    if (line == PRINTED) return Outcome();
    if (line.starts_with(FAILED)) return Outcome::failure(std::string(line.substr(FAILED.size())));
    return std::nullopt;
}

}  // namespace sheetbasis
