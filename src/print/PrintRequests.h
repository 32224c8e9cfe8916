#pragma once
// What the main program and the printing program say to each other. The printing program
// (PRINTER_PROGRAM, beside the main one) is built on QGIS's libraries, which the main
// program never loads. It answers READY_ANSWER once QGIS is up, then reads requests, each a
// project and the PDF to print its layout to, and answers each with one line, in order.

#include <optional>
#include <string>
#include <string_view>

#include "output/Outcome.h"

namespace sheetbasis {

inline constexpr std::string_view PRINTER_PROGRAM = "sheetbasis-print";
// The Debian package of the printing program, which brings QGIS with it.
inline constexpr std::string_view PRINTER_PACKAGE = "sheetbasis-print";
// The Debian package that brings QGIS's libraries and the data providers the printing
// program needs to read the layers, for a program built from source.
inline constexpr std::string_view QGIS_PACKAGE = "qgis-providers";

inline constexpr std::string_view READY_ANSWER = "ready";

struct PrintRequest {
    std::string project;  // paths byte for byte, as the file system takes them
    std::string pdf;
};

// A request as it is sent: both paths, each closed by a NUL, the one byte a path cannot hold.
std::string requestText(const PrintRequest& request);

// The answer line to a request, or to the start when QGIS cannot print ("\n" included).
// A reason is kept on its line: line breaks in it become blanks.
std::string answerLine(const Outcome& outcome);
// The outcome an answer line (without its "\n") tells; nothing when it is not one.
std::optional<Outcome> parseAnswer(std::string_view line);

}  // namespace sheetbasis
