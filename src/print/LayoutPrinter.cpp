#include "print/LayoutPrinter.h"

#include <fcntl.h>
#include <qgslayoutexporter.h>
#include <qgslayoutmanager.h>
#include <qgsmaplayer.h>
#include <qgsprintlayout.h>
#include <qgsproject.h>
#include <qgsproviderregistry.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "output/AtomicFile.h"

namespace sheetbasis {
namespace {

// The provider that reads shapefiles.
const QString SHAPE_PROVIDER = QStringLiteral("ogr");
// A whole PDF begins with its header and ends with its end-of-file marker, give or take a
// line break: the marker is looked for in the last bytes.
constexpr std::string_view PDF_HEADER = "%PDF-";
constexpr std::string_view PDF_END = "%%EOF";
constexpr std::streamoff PDF_TAIL_BYTES = 64;

std::string text(const QString& s) {
    return s.toStdString();
}

Outcome systemFailure(const std::string& path) {
    return Outcome::failure(path + ": " + std::strerror(errno));
}

// The first layer QGIS could not read, so that a PDF never lacks part of the sheet.
Outcome checkLayers(const QgsProject& project) {
    for (const QgsMapLayer* layer : project.mapLayers()) {
        if (!layer->isValid()) {
            return Outcome::failure("QGIS cannot read the layer " + text(layer->source()));
        }
    }
    return {};
}

std::string exportFailureText(QgsLayoutExporter::ExportResult result) {
    switch (result) {
        case QgsLayoutExporter::MemoryError:
            return "not enough memory";
        case QgsLayoutExporter::FileError:
            return "the file cannot be written";
        case QgsLayoutExporter::PrintError:
            return "the PDF cannot be started";
        default:
            return "export result " + std::to_string(static_cast<int>(result));
    }
}

Outcome exportLayout(QgsPrintLayout* layout, const std::string& path) {
    QgsLayoutExporter exporter(layout);
    QgsLayoutExporter::PdfExportSettings settings;
    settings.appendGeoreference = true;
    settings.forceVectorOutput = true;
    settings.rasterizeWholeImage = false;
    const QgsLayoutExporter::ExportResult result =
        exporter.exportToPdf(QFile::decodeName(path.c_str()), settings);
    if (result == QgsLayoutExporter::Success) return {};
    return Outcome::failure("QGIS could not print the layout: " + exportFailureText(result));
}

// The file QGIS wrote is a whole PDF, and on the disk.
Outcome checkWholePdf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string header(PDF_HEADER.size(), '\0');
    in.read(header.data(), static_cast<std::streamsize>(header.size()));
    // A file shorter than the header leaves the stream failed, and its size unknown.
    if (!in || header != PDF_HEADER) return Outcome::failure("QGIS left no whole PDF");
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    const std::streamoff tailStart = std::max<std::streamoff>(0, size - PDF_TAIL_BYTES);
    std::string tail(static_cast<std::size_t>(size - tailStart), '\0');
    in.seekg(tailStart);
    in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    if (!in || tail.find(PDF_END) == std::string::npos) {
        return Outcome::failure("QGIS left no whole PDF");
    }
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    const bool synced = descriptor >= 0 && ::fsync(descriptor) == 0;
    if (descriptor >= 0) ::close(descriptor);
    return synced ? Outcome() : Outcome::failure(std::strerror(errno));
}

// A new empty file of a fresh temporary name beside finalPath, made exclusively so that
// nothing else is there for QGIS to write through; "" with errno set when none can be made.
std::string createTemporaryFile(const std::string& finalPath) {
    std::string path = temporaryNameFor(finalPath);
    const int descriptor =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor < 0) return {};
    ::close(descriptor);
    return path;
}

Outcome printToTemporary(QgsPrintLayout* layout, const std::string& temporary,
                         const std::string& pdfPath) {
    // A failure names the PDF asked for, not its temporary name.
    if (Outcome exported = exportLayout(layout, temporary); !exported) {
        return exported.within(pdfPath);
    }
    if (Outcome whole = checkWholePdf(temporary); !whole) return whole.within(pdfPath);
    if (std::rename(temporary.c_str(), pdfPath.c_str()) != 0) return systemFailure(pdfPath);
    return {};
}

}  // namespace

Outcome checkPrintingCapability() {
    if (!QgsProviderRegistry::instance()->providerList().contains(SHAPE_PROVIDER)) {
        return Outcome::failure("QGIS's data providers are missing");
    }
    return {};
}

Outcome printProjectLayout(const std::string& projectPath, const std::string& pdfPath) {
    // Every project is destroyed before QGIS stops, as QGIS requires.
    const auto project = std::make_unique<QgsProject>();
    if (!project->read(QFile::decodeName(projectPath.c_str()))) {
        return Outcome::failure("QGIS cannot read " + projectPath + ": " + text(project->error()));
    }
    if (Outcome layers = checkLayers(*project); !layers) return layers;
    const QList<QgsPrintLayout*> layouts = project->layoutManager()->printLayouts();
    if (layouts.isEmpty()) return Outcome::failure(projectPath + " has no print layout");
    const std::string temporary = createTemporaryFile(pdfPath);
    if (temporary.empty()) return systemFailure(pdfPath);
    Outcome printed = printToTemporary(layouts.front(), temporary, pdfPath);
    if (!printed) ::unlink(temporary.c_str());
    return printed;
}

}  // namespace sheetbasis
