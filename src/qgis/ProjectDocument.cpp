#include "qgis/ProjectDocument.h"

#include <algorithm>
#include <cmath>

namespace sheetbasis {
namespace {

// Layout item type codes of the users' GIS: a page, a map and a text.
constexpr int LAYOUT_PAGE_ITEM = 65638;
constexpr int LAYOUT_MAP_ITEM = 65639;
constexpr int LAYOUT_TEXT_ITEM = 65641;
constexpr int LAYOUT_POLYGON_ITEM = 65644;
// How a map item is clipped to another item: each feature's drawing is cut at the outline,
// whatever its kind.
constexpr int CLIP_PAINTER_ONLY = 1;
// How an atlas map item scales to its page's feature: it keeps its own scale.
constexpr int ATLAS_FIXED_SCALE = 0;
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
    return layerIdOf(layer.name);
}

std::string sourceOf(const ProjectLayer& layer) {
    if (!layer.source.empty()) return xmlEscaped(layer.source);
    return "./" + layer.subFolder + "/" + layer.name + ".shp";
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
    entries += "\"><id>" + layerId(layer) + "</id><datasource>" + sourceOf(layer) +
               "</datasource><layername>" + layer.name + "</layername><srs>";
    entries += layerSrs;
    entries += "</srs><provider encoding=\"\">ogr</provider>";
    entries += styleElements(layer.style);
    entries += layer.actions;
    entries += "</maplayer>";
}

std::string treeEntry(const ProjectLayer& layer) {
    return "<layer-tree-layer id=\"" + layerId(layer) + "\" name=\"" + layer.name + "\" source=\"" +
           sourceOf(layer) + R"(" providerKey="ogr" checked="Qt::Checked" expanded="1"/>)";
}

// What an atlas map item adds to a map item: the data-defined system and the clipping to
// the page's feature.
std::string atlasMapElements(const AtlasMap& atlas) {
    std::string elements;
    if (!atlas.clipToAtlasFeature) {
        elements += R"(<atlasClippingSettings enabled="0"/>)";
    } else {
        elements += R"(<atlasClippingSettings enabled="1" forceLabelsInside="0" clippingType=")" +
                    std::to_string(CLIP_PAINTER_ONLY) + R"(" restrictLayers="0"/>)";
    }
    if (!atlas.crsExpression.empty()) {
        elements += "<LayoutObject><dataDefinedProperties>" +
                    propertyCollection(expressionProperty("dataDefinedCrs", atlas.crsExpression)) +
                    "</dataDefinedProperties><customproperties/></LayoutObject>";
    }
    return elements;
}

std::string sizeText(double widthMm, double heightMm) {
    return decimalText(widthMm) + "," + decimalText(heightMm) + ",mm";
}

}  // namespace

std::string layerIdOf(std::string_view layerName) {
    return "sheetbasis_layer_" + std::string(layerName);
}

std::string layoutUuidOf(std::string_view id) {
    return "{sheet-" + std::string(id) + "}";
}

PagePoint pagePointOf(double x, double y, const PlaneBox& area, double denominator,
                      const AreaOnPage& at) {
    const double metresPerMm = denominator / MILLIMETRES_PER_METRE;
    return {at.leftMm + (x - area.xMin) / metresPerMm, at.topMm + (area.yMax - y) / metresPerMm};
}

std::string layoutTextItem(const LayoutText& item, std::string_view family) {
    const std::string position = decimalText(item.xMm) + "," + decimalText(item.yMm) + ",mm";
    const int weight = item.weight == 0 ? WEIGHT_REGULAR : item.weight;
    return "<LayoutItem type=\"" + std::to_string(LAYOUT_TEXT_ITEM) + "\" uuid=\"" +
           layoutUuidOf(item.id) + "\" id=\"" + item.id + "\" labelText=\"" +
           xmlEscaped(item.text) + R"(" htmlState="0" halign=")" + std::to_string(ALIGN_CENTRE) +
           R"(" valign=")" + std::to_string(ALIGN_MIDDLE) + R"(" marginX="0" marginY="0" size=")" +
           sizeText(item.widthMm, item.heightMm) + "\" position=\"" + position +
           "\" positionOnPage=\"" + position +
           "\" zValue=\"2\" frame=\"false\" background=\"false\" visibility=\"1\">"
           "<LabelFont description=\"" +
           xmlEscaped(family) + "," + std::to_string(item.sizePt) + ",-1,5," +
           std::to_string(weight) +
           ",0,0,0,0,0\" style=\"\"/><FontColor red=\"0\" green=\"0\" blue=\"0\" alpha=\"255\"/>"
           "</LayoutItem>";
}

std::string layoutMapItem(const LayoutMap& map, const PlaneBox& area, double denominator,
                          const AreaOnPage& at) {
    const double metresPerMm = denominator / MILLIMETRES_PER_METRE;
    const double xMin = area.xMin - at.leftMm * metresPerMm;
    const double yMax = area.yMax + at.topMm * metresPerMm;
    std::string layers;
    for (const std::string& name : map.layerNames) {
        layers += "<Layer>" + layerIdOf(name) + "</Layer>";
    }
    const std::string clip =
        map.clipItem.empty()
            ? std::string()
            : R"(<itemClippingSettings enabled="1" forceLabelsInside="0" clippingType=")" +
                  std::to_string(CLIP_PAINTER_ONLY) + "\" clipSource=\"" +
                  layoutUuidOf(map.clipItem) + "\"/>";
    return "<LayoutItem type=\"" + std::to_string(LAYOUT_MAP_ITEM) + "\" uuid=\"" +
           layoutUuidOf(map.id) + "\" id=\"" + map.id + "\"" +
           (map.atlas ? R"( atlasDriven="1" atlasScalingMode=")" +
                            std::to_string(ATLAS_FIXED_SCALE) + R"(" atlasMargin="0")"
                      : std::string()) +
           " size=\"" + sizeText(at.page.widthMm, at.page.heightMm) +
           R"(" position="0,0,mm" positionOnPage="0,0,mm" zValue=")" + std::to_string(map.zValue) +
           R"(" frame="false" background="false" visibility="1" keepLayerSet=")" +
           (layers.empty() ? "false" : "true") +
           R"(" mapRotation="0" drawCanvasItems="false"><Extent xmin=")" + decimalText(xMin) +
           "\" ymin=\"" + decimalText(yMax - at.page.heightMm * metresPerMm) + "\" xmax=\"" +
           decimalText(xMin + at.page.widthMm * metresPerMm) + "\" ymax=\"" + decimalText(yMax) +
           "\"/><LayerSet>" + layers + "</LayerSet>" + clip +
           (map.atlas ? atlasMapElements(*map.atlas) : std::string()) + "</LayoutItem>";
}

std::string layoutOutlineItem(std::string_view id, const std::vector<PagePoint>& corners) {
    PlaneBox box{HUGE_VAL, -HUGE_VAL, HUGE_VAL, -HUGE_VAL};
    for (const PagePoint& p : corners) {
        box = {std::min(box.xMin, p.xMm), std::max(box.xMax, p.xMm), std::min(box.yMin, p.yMm),
               std::max(box.yMax, p.yMm)};
    }
    std::string nodes;
    for (const PagePoint& p : corners) {
        nodes += "<node x=\"" + decimalText(p.xMm - box.xMin) + "\" y=\"" +
                 decimalText(p.yMm - box.yMin) + "\"/>";
    }
    const std::string position = decimalText(box.xMin) + "," + decimalText(box.yMin) + ",mm";
    return "<LayoutItem type=\"" + std::to_string(LAYOUT_POLYGON_ITEM) + "\" uuid=\"" +
           layoutUuidOf(id) + "\" id=\"" + std::string(id) + "\" size=\"" +
           sizeText(box.xMax - box.xMin, box.yMax - box.yMin) + "\" position=\"" + position +
           "\" positionOnPage=\"" + position +
           R"(" zValue="2" frame="false" background="false" visibility="1">)" + blankFillSymbol() +
           "<nodes>" + nodes + "</nodes></LayoutItem>";
}

std::string layoutAtlas(std::string_view coverageLayer, std::string_view pageName) {
    const std::string name = xmlEscaped(pageName);
    return R"(<Atlas enabled="1" hideCoverage="1" filterFeatures="0" sortFeatures="1" )"
           R"(sortAscending="1" coverageLayer=")" +
           layerIdOf(coverageLayer) + "\" coverageLayerName=\"" + xmlEscaped(coverageLayer) +
           "\" pageNameExpression=\"" + name + "\" sortKey=\"" + name +
           R"(" filenamePattern="@atlas_pagename"/>)";
}

std::string layoutXml(std::string_view name, const LayoutPage& page, std::string_view items) {
    return "<Layouts><Layout name=\"" + xmlEscaped(name) +
           R"(" units="mm" printResolution="300"><PageCollection><LayoutItem type=")" +
           std::to_string(LAYOUT_PAGE_ITEM) + R"(" uuid="{sheet-page}" size=")" +
           sizeText(page.widthMm, page.heightMm) +
           "\" position=\"0,0,mm\" positionOnPage=\"0,0,mm\" zValue=\"0\" frame=\"false\" "
           "background=\"true\" visibility=\"1\"><BackgroundColor red=\"255\" green=\"255\" "
           "blue=\"255\" alpha=\"255\"/></LayoutItem></PageCollection>" +
           std::string(items) + "</Layout></Layouts>";
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
