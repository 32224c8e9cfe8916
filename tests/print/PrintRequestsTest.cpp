#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "print/PrintRequests.h"

namespace sheetbasis {
namespace {

std::vector<std::string> fieldsClosedByNul(const std::string& text) {
    std::vector<std::string> fields;
    for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos;
         start = end + 1) {
        fields.push_back(text.substr(start, end - start));
    }
    return fields;
}

// A path is data: any byte but NUL goes across as it is, line breaks and tabs too.
TEST(PrintRequestsTest, pathsGoAcrossByteForByte) {
    const PrintRequest requests[] = {
        {"out/N-37-XXXVI/N-37-XXXVI.qgs", "out/N-37-XXXVI/N-37-XXXVI.pdf"},
        {" a\nb\tc/T-37-I,II,III.qgs", "\xcf\xf0\xe8.pdf"},
        {"", ""},
    };
    for (const PrintRequest& request : requests) {
        const std::vector<std::string> fields = fieldsClosedByNul(requestText(request));
        ASSERT_EQ(fields.size(), 2U) << request.project;
        EXPECT_EQ(fields[0], request.project);
        EXPECT_EQ(fields[1], request.pdf);
    }
}

TEST(PrintRequestsTest, anAnswerIsOneLineThatTellsTheOutcomeBack) {
    struct Case {
        Outcome outcome;
        std::string reasonRead;  // "" for success
    };
    const Case cases[] = {
        {Outcome(), ""},
        {Outcome::failure("out/N.pdf: Is a directory"), "out/N.pdf: Is a directory"},
        {Outcome::failure("QGIS could not print\nthe layout\r\n"),
         "QGIS could not print the layout  "},
        {Outcome::failure("tab\tkept"), "tab\tkept"},
    };
    for (const Case& c : cases) {
        const std::string line = answerLine(c.outcome);
        ASSERT_TRUE(line.ends_with('\n'));
        EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
        const std::optional<Outcome> read = parseAnswer(line.substr(0, line.size() - 1));
        ASSERT_TRUE(read.has_value()) << line;
        EXPECT_EQ(read->succeeded(), c.outcome.succeeded()) << line;
        EXPECT_EQ(read->reason(), c.reasonRead);
    }
}

TEST(PrintRequestsTest, linesThatAreNoAnswerAreNotTakenForOne) {
    for (const char* line : {"", "ready", "printed ", "failed", "failed reason", "Printed"}) {
        EXPECT_FALSE(parseAnswer(line).has_value()) << line;
    }
}

}  // namespace
}  // namespace sheetbasis
