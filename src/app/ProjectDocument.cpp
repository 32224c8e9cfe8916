#include "app/ProjectDocument.h"

namespace sheetbasis {
namespace {

// White paper around the area on the layout page, in millimetres: room for a sheet's frame
// (outer line up to 9.8 mm out) and the labels beyond it, with a margin to spare.
constexpr double PAGE_MARGIN_MM = 25.0;
// Layout item type codes of the users' GIS: a page and a map.
constexpr int LAYOUT_PAGE_ITEM = 65638;
constexpr int LAYOUT_MAP_ITEM = 65639;
constexpr double MILLIMETRES_PER_METRE = 1000.0;

// Layer identifiers of the project. The GIS takes an identifier only when it is longer
// than ten characters and makes up its own otherwise, which would cut the layer tree off
// from the layers.
std::string layerId(const ProjectLayer& layer) {
    return "sheetbasis_layer_" + layer.name;
}

std::string spatialReference(const std::string& wkt) {
    return "<spatialrefsys><wkt>" + xmlEscaped(wkt) + "</wkt></spatialrefsys>";
}

std::string mapLayerEntry(const ProjectLayer& layer, const std::string& layerWkt) {
    const std::string source = "./" + layer.subFolder + "/" + layer.name + ".shp";
    return R"(<maplayer type="vector" geometry=")" + layer.geometry + "\" labelsEnabled=\"" +
           (layer.style.labelling.empty() ? "0" : "1") + "\"><id>" + layerId(layer) +
           "</id><datasource>" + source + "</datasource><layername>" + layer.name +
           "</layername><srs>" + spatialReference(layerWkt) +
           "</srs><provider encoding=\"\">ogr</provider>" + styleElements(layer.style) +
           layer.actions + "</maplayer>";
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

std::string layoutXml(std::string_view name, const PlaneBox& area, double denominator) {
    const double metresPerMm = denominator / MILLIMETRES_PER_METRE;
    const double margin = PAGE_MARGIN_MM * metresPerMm;
    const double widthMm = (area.xMax - area.xMin) / metresPerMm + 2.0 * PAGE_MARGIN_MM;
    const double heightMm = (area.yMax - area.yMin) / metresPerMm + 2.0 * PAGE_MARGIN_MM;
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
           "\"/><LayerSet/></LayoutItem></Layout></Layouts>";
}

std::string projectDocument(const std::string& title, const std::vector<ProjectLayer>& layers,
                            const std::string& layerWkt, const std::string& projectWkt,
                            const std::string& layoutsXml) {
    std::string tree;
    std::string entries;
    for (const ProjectLayer& layer : layers) {
        tree += treeEntry(layer);
        entries += mapLayerEntry(layer, layerWkt);
    }
    return "<!DOCTYPE qgis PUBLIC 'http://mrcc.com/qgis.dtd' 'SYSTEM'>\n<qgis projectname=\"" +
           xmlEscaped(title) + R"(" version="3.22"><title>)" + xmlEscaped(title) +
           "</title><projectCrs>" + spatialReference(projectWkt) +
           "</projectCrs><layer-tree-group>" + tree +
           "</layer-tree-group><properties><Paths><Absolute type=\"bool\">false</Absolute>"
           "</Paths><SpatialRefSys><ProjectionsEnabled type=\"int\">1</ProjectionsEnabled>"
           "</SpatialRefSys></properties><projectlayers>" +
           entries + "</projectlayers>" + layoutsXml + "</qgis>\n";
}

}  // namespace sheetbasis
