#include "qgis/ProjectDocument.h"

namespace sheetbasis {
namespace {

// Layout item type codes of the users' GIS: a page, a map and a text.
constexpr int LAYOUT_PAGE_ITEM = 65638;
constexpr int LAYOUT_MAP_ITEM = 65639;
constexpr int LAYOUT_TEXT_ITEM = 65641;
// Alignment codes of a text item: centred across and up and down.
constexpr int ALIGN_CENTRE = 4;
constexpr int ALIGN_MIDDLE = 128;
// Font weight of regular text as the users' GIS writes it.
constexpr int WEIGHT_REGULAR = 50;
constexpr double MILLIMETRES_PER_METRE = 1000.0;
// Line labels get a candidate position every fiftieth of a centimetre along their line, so
// that one lies within a few hundredths of a millimetre of the line's middle (the
// labelling's default of five a centimetre leaves up to 0.13 mm).
constexpr double LINE_CANDIDATES_PER_CM = 50.0;

// Layer identifiers of the project. The GIS takes an identifier only when it is longer
// than ten characters and makes up its own otherwise, which would cut the layer tree off
// from the layers.
std::string layerId(const ProjectLayer& layer) {
    return "sheetbasis_layer_" + layer.name;
}

std::string spatialReference(const std::string& wkt) {
    return "<spatialrefsys><wkt>" + xmlEscaped(wkt) + "</wkt></spatialrefsys>";
}

// Appends the layer's entry to entries; layerSrs is the spatialReference element that all
// layers share, made once for them (a coordinate system text is long, and escaping it was a
// tenth of the project's cost). The entries hold the layers' styles, the bulk of a project,
// so they are written in place rather than through temporary strings.
void appendMapLayerEntry(std::string& entries, const ProjectLayer& layer,
                         const std::string& layerSrs) {
    entries += R"(<maplayer type="vector" geometry=")";
    entries += layer.geometry;
    entries += "\" labelsEnabled=\"";
    entries += layer.style.labelling.empty() ? "0" : "1";
    entries += "\"><id>" + layerId(layer) + "</id><datasource>./" + layer.subFolder + "/" +
               layer.name + ".shp</datasource><layername>" + layer.name + "</layername><srs>";
    entries += layerSrs;
    entries += "</srs><provider encoding=\"\">ogr</provider>";
    entries += styleElements(layer.style);
    entries += layer.actions;
    entries += "</maplayer>";
}

std::string treeEntry(const ProjectLayer& layer) {
    return "<layer-tree-layer id=\"" + layerId(layer) + "\" name=\"" + layer.name +
           "\" source=\"./" + layer.subFolder + "/" + layer.name +
           R"(.shp" providerKey="ogr" checked="Qt::Checked" expanded="1"/>)";
}

std::string sizeText(double widthMm, double heightMm) {
    return decimalText(widthMm) + "," + decimalText(heightMm) + ",mm";
}

}  // namespace

LayoutPage layoutPageOf(const PlaneBox& area, double denominator) {
    const double metresPerMm = denominator / MILLIMETRES_PER_METRE;
    return {(area.xMax - area.xMin) / metresPerMm + 2.0 * PAGE_MARGIN_MM,
            (area.yMax - area.yMin) / metresPerMm + 2.0 * PAGE_MARGIN_MM};
}

std::string layoutTextItem(const LayoutText& item, std::string_view family) {
    const std::string position = decimalText(item.xMm) + "," + decimalText(item.yMm) + ",mm";
    const int weight = item.weight == 0 ? WEIGHT_REGULAR : item.weight;
    return "<LayoutItem type=\"" + std::to_string(LAYOUT_TEXT_ITEM) + "\" uuid=\"{sheet-" +
           item.id + "}\" id=\"" + item.id + "\" labelText=\"" + xmlEscaped(item.text) +
           R"(" htmlState="0" halign=")" + std::to_string(ALIGN_CENTRE) + R"(" valign=")" +
           std::to_string(ALIGN_MIDDLE) + R"(" marginX="0" marginY="0" size=")" +
           sizeText(item.widthMm, item.heightMm) + "\" position=\"" + position +
           "\" positionOnPage=\"" + position +
           "\" zValue=\"2\" frame=\"false\" background=\"false\" visibility=\"1\">"
           "<LabelFont description=\"" +
           xmlEscaped(family) + "," + std::to_string(item.sizePt) + ",-1,5," +
           std::to_string(weight) +
           ",0,0,0,0,0\" style=\"\"/><FontColor red=\"0\" green=\"0\" blue=\"0\" alpha=\"255\"/>"
           "</LayoutItem>";
}

std::string layoutXml(std::string_view name, const PlaneBox& area, double denominator,
                      std::string_view pageItems) {
    const double metresPerMm = denominator / MILLIMETRES_PER_METRE;
    const double margin = PAGE_MARGIN_MM * metresPerMm;
    const LayoutPage page = layoutPageOf(area, denominator);
    const double widthMm = page.widthMm;
    const double heightMm = page.heightMm;
    const std::string size = sizeText(widthMm, heightMm);
    return "<Layouts><Layout name=\"" + xmlEscaped(name) +
           R"(" units="mm" printResolution="300"><PageCollection><LayoutItem type=")" +
           std::to_string(LAYOUT_PAGE_ITEM) + R"(" uuid="{sheet-page}" size=")" + size +
           "\" position=\"0,0,mm\" positionOnPage=\"0,0,mm\" zValue=\"0\" frame=\"false\" "
           "background=\"true\" visibility=\"1\"><BackgroundColor red=\"255\" green=\"255\" "
           "blue=\"255\" alpha=\"255\"/></LayoutItem></PageCollection><LayoutItem type=\"" +
           std::to_string(LAYOUT_MAP_ITEM) + R"(" uuid="{sheet-map}" id="map" size=")" + size +
           "\" position=\"0,0,mm\" positionOnPage=\"0,0,mm\" zValue=\"1\" frame=\"false\" "
           "background=\"false\" visibility=\"1\" keepLayerSet=\"false\" mapRotation=\"0\" "
           "drawCanvasItems=\"false\"><Extent xmin=\"" +
           decimalText(area.xMin - margin) + "\" ymin=\"" + decimalText(area.yMin - margin) +
           "\" xmax=\"" + decimalText(area.xMin - margin + widthMm * metresPerMm) + "\" ymax=\"" +
           decimalText(area.yMin - margin + heightMm * metresPerMm) +
           "\"/><LayerSet/></LayoutItem>" + std::string(pageItems) + "</Layout></Layouts>";
}

std::string projectHead(std::string_view marker) {
    return "<!DOCTYPE qgis PUBLIC 'http://mrcc.com/qgis.dtd' 'SYSTEM'>\n" + std::string(marker);
}

std::string projectDocument(const std::string& title, const std::vector<ProjectLayer>& layers,
                            const std::string& layerWkt, const std::string& projectWkt,
                            const std::string& layoutsXml, std::string_view marker) {
    std::string tree;
    std::string entries;
    const std::string layerSrs = spatialReference(layerWkt);
    // Room for the styles and what surrounds each, so that the entries grow once.
    constexpr std::size_t ENTRY_FRAME_BYTES = 512;
    std::size_t entriesSize = 0;
    for (const ProjectLayer& layer : layers) {
        entriesSize += layer.style.renderer.size() + layer.style.labelling.size() +
                       layer.actions.size() + layerSrs.size() + ENTRY_FRAME_BYTES;
    }
    entries.reserve(entriesSize);
    for (const ProjectLayer& layer : layers) {
        tree += treeEntry(layer);
        appendMapLayerEntry(entries, layer, layerSrs);
    }
    const std::string projectSrs = spatialReference(projectWkt);
    // What surrounds the parts: the title twice and the fixed elements.
    constexpr std::size_t DOCUMENT_FRAME_BYTES = 1024;
    std::string document = projectHead(marker);
    document.reserve(document.size() + 2 * title.size() + projectSrs.size() + tree.size() +
                     entries.size() + layoutsXml.size() + DOCUMENT_FRAME_BYTES);
    document += "<qgis projectname=\"" + xmlEscaped(title) + R"(" version="3.22"><title>)" +
                xmlEscaped(title) + "</title><projectCrs>";
    document += projectSrs;
    document += "</projectCrs><layer-tree-group>";
    document += tree;
    document +=
        "</layer-tree-group><properties><Paths><Absolute type=\"bool\">false</Absolute>"
        "</Paths><SpatialRefSys><ProjectionsEnabled type=\"int\">1</ProjectionsEnabled>"
        "</SpatialRefSys><PAL><CandidatesLinePerCM type=\"double\">" +
        decimalText(LINE_CANDIDATES_PER_CM) +
        "</CandidatesLinePerCM></PAL></properties><projectlayers>";
    document += entries;
    document += "</projectlayers>";
    document += layoutsXml;
    document += "</qgis>\n";
    return document;
}

}  // namespace sheetbasis
