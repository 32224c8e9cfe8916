#pragma once
// Prints a project's print layout to a PDF with QGIS's own layout engine, so that the PDF
// is what QGIS prints from the same project. Needs QGIS started (QgsApplication::initQgis).

#include <string>

#include "output/Outcome.h"

namespace sheetbasis {

// Whether the started QGIS can read the layers of a project: its data providers are
// installed apart from its core library.
Outcome checkPrintingCapability();

// Reads the project and prints its first print layout, vector and georeferenced, to pdfPath.
// The PDF is written under a temporary name beside pdfPath and renamed over it only when
// whole: a failed print leaves the earlier PDF as it was.
Outcome printProjectLayout(const std::string& projectPath, const std::string& pdfPath);

}  // namespace sheetbasis
