#include "qgis/QgisStyle.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <system_error>

#include "output/AtomicFile.h"

namespace sheetbasis {
namespace {

constexpr const char* STYLE_EXTENSION = ".qml";
// The oldest release of the users' GIS whose style elements are written here.
constexpr const char* STYLE_VERSION = "3.22";
constexpr const char* BLACK = "0,0,0,255";
// Millimetres per typographic point (1/72 inch of 25.4 mm).
constexpr double MILLIMETRES_PER_POINT = 25.4 / 72.0;
// How far a label may run past the ends of its line, in millimetres on paper. The lines
// are as long as the texts in the fonts the program measures with; a substitute family
// that is a little wider must still be set rather than dropped.
constexpr double LABEL_OVERRUN_MM = 10.0;
// Line placement flags of the labelling: the text on the left of the line in its own
// direction ("above" it), not turned to the map's up direction.
constexpr int PLACE_ABOVE_LINE = 2;
// Placement kind of labels parallel to a line.
constexpr int PLACEMENT_PARALLEL = 2;
// Anchor kind under which the labelling sets a label's middle at its anchor (the kind that
// holds a label strictly to its anchor sets the label's start there instead), at this
// fraction of the line's length: the line's middle.
constexpr int ANCHOR_HINT = 0;
constexpr double LINE_MIDDLE_FRACTION = 0.5;
// How the renderers begin, and where a rule renderer's rules end. The symbol of a single
// symbol renderer is named "0" (its callers name it so), and the one rule that limitedTo
// makes of such a renderer refers to it by that name.
constexpr std::string_view SINGLE_SYMBOL_OPENING =
    R"(<renderer-v2 type="singleSymbol" symbollevels="0" enableorderby="0" forceraster="0">)"
    "<symbols>";
constexpr std::string_view SINGLE_SYMBOL_NAME = "0";
constexpr std::string_view RULE_RENDERER_OPENING =
    R"(<renderer-v2 type="RuleRenderer" symbollevels="0" enableorderby="0" forceraster="0">)"
    R"(<rules key="root">)";
constexpr std::string_view RULES_CLOSING = "</rules>";
// Where the data-defined properties of a labelling's settings are listed.
constexpr std::string_view PROPERTY_MAP_OPENING = R"(<Option name="properties" type="Map">)";
// Upside-down labels are kept as they are: a label reads in its line's direction.
constexpr int SHOW_UPSIDE_DOWN = 2;
// Kind of a data-defined property given by an expression.
constexpr int PROPERTY_EXPRESSION = 3;

std::string option(std::string_view name, std::string_view value) {
    return "<Option name=\"" + std::string(name) + R"(" type="QString" value=")" +
           xmlEscaped(value) + "\"/>";
}

std::string symbolLayer(std::string_view layerClass, const std::vector<std::string>& options) {
    std::string xml = R"(<layer pass="0" enabled="1" class=")" + std::string(layerClass) +
                      R"(" locked="0"><Option type="Map">)";
    for (const std::string& o : options) xml += o;
    return xml + "</Option></layer>";
}

std::string symbol(std::string_view name, std::string_view type, const std::string& layer) {
    return "<symbol name=\"" + std::string(name) + "\" type=\"" + std::string(type) +
           R"(" alpha="1" clip_to_extent="1" force_rhr="0">)" + layer + "</symbol>";
}

const char* strokeName(LineStroke stroke) {
    switch (stroke) {
        case LineStroke::Dashed:
            return "dash";
        case LineStroke::Invisible:
            return "no";
        case LineStroke::Solid:
            break;
    }
    return "solid";
}

// A rule refers to its symbol by the symbol's key.
std::string ruleElement(const std::string& key, const LineRule& rule) {
    return R"(<rule key="rule)" + key + R"(" label=")" + xmlEscaped(rule.label) + R"(" filter=")" +
           xmlEscaped(rule.filter) + R"(" symbol=")" + key + R"("/>)";
}

bool isReservedInXml(char c) {
    return c == '&' || c == '<' || c == '>' || c == '"' || c == '\'';
}

// The entity that stands for a character XML reserves.
std::string_view entityOf(char reserved) {
    switch (reserved) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return "&quot;";
        default:
            return "&apos;";
    }
}

}  // namespace

std::string expressionProperty(std::string_view property, std::string_view expression) {
    return "<Option name=\"" + std::string(property) +
           "\" type=\"Map\"><Option name=\"active\" type=\"bool\" value=\"true\"/>"
           "<Option name=\"expression\" type=\"QString\" value=\"" +
           xmlEscaped(expression) + R"("/><Option name="type" type="int" value=")" +
           std::to_string(PROPERTY_EXPRESSION) + "\"/></Option>";
}

std::string propertyCollection(const std::string& properties) {
    return R"(<Option type="Map"><Option name="name" type="QString" value=""/>)" +
           std::string(PROPERTY_MAP_OPENING) + properties +
           R"(</Option><Option name="type" type="QString" value="collection"/></Option>)";
}

std::string dataDefinedProperties(const std::string& properties) {
    return "<dd_properties>" + propertyCollection(properties) + "</dd_properties>";
}

std::string xmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    // The texts are long (coordinate system texts, expressions) and mostly plain: copied
    // run by run, not character by character.
    for (std::size_t at = 0; at < text.size();) {
        const auto reserved =
            static_cast<std::size_t>(std::find_if(text.begin() + static_cast<std::ptrdiff_t>(at),
                                                  text.end(), isReservedInXml) -
                                     text.begin());
        out.append(text, at, reserved - at);
        if (reserved == text.size()) break;
        out += entityOf(text[reserved]);
        at = reserved + 1;
    }
    return out;
}

std::string decimalText(double value) {
    std::array<char, 32> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return error == std::errc{} ? std::string(buffer.data(), end) : std::string("0");
}

std::string lineSymbol(std::string_view name, const LineLook& look) {
    return symbol(
        name, "line",
        symbolLayer(
            "SimpleLine",
            {option("line_color", BLACK), option("line_width", decimalText(look.widthMm)),
             option("line_width_unit", "MM"), option("line_style", strokeName(look.stroke)),
             option("capstyle", look.flatEnds ? "flat" : "round"), option("joinstyle", "round")}));
}

// The outline of a polygon as a fill symbol's layer.
std::string outlineLayer(double outlineWidthMm) {
    return symbolLayer(
        "SimpleFill",
        {option("style", "no"), option("color", BLACK), option("outline_style", "solid"),
         option("outline_color", BLACK), option("outline_width", decimalText(outlineWidthMm)),
         option("outline_width_unit", "MM")});
}

std::string outlineSymbol(std::string_view name, double outlineWidthMm) {
    return symbol(name, "fill", outlineLayer(outlineWidthMm));
}

std::string outlineSymbolWithLine(std::string_view name, double outlineWidthMm,
                                  std::string_view lineExpression, const LineLook& line) {
    std::string generator =
        symbolLayer("GeometryGenerator",
                    {option("SymbolType", "Line"), option("geometryModifier", lineExpression),
                     option("units", "MapUnit")});
    // The line's own symbol goes inside the generating layer, after its options.
    generator.insert(generator.size() - std::string_view("</layer>").size(),
                     lineSymbol("@" + std::string(name) + "@1", line));
    return symbol(name, "fill", outlineLayer(outlineWidthMm) + generator);
}

std::string blankFillSymbol() {
    return symbol(
        "", "fill",
        symbolLayer("SimpleFill", {option("style", "no"), option("outline_style", "no")}));
}

std::string crossSymbol(std::string_view name, double sizeMm, double strokeMm) {
    return symbol(
        name, "marker",
        symbolLayer(
            "SimpleMarker",
            {option("name", "cross"), option("size", decimalText(sizeMm)),
             option("size_unit", "MM"), option("color", BLACK), option("outline_color", BLACK),
             option("outline_width", decimalText(strokeMm)), option("outline_width_unit", "MM")}));
}

std::string singleSymbolRenderer(const std::string& symbolXml) {
    return std::string(SINGLE_SYMBOL_OPENING) + symbolXml + "</symbols></renderer-v2>";
}

std::string lineRuleRenderer(const std::vector<LineRule>& rules) {
    std::string ruleXml;
    std::string symbols;
    for (std::size_t k = 0; k < rules.size(); ++k) {
        const std::string key = std::to_string(k);
        ruleXml += ruleElement(key, rules[k]);
        symbols += lineSymbol(key, rules[k].look);
    }
    return std::string(RULE_RENDERER_OPENING) + ruleXml + std::string(RULES_CLOSING) + "<symbols>" +
           symbols + "</symbols></renderer-v2>";
}

std::string lineLabelling(const LineLabels& labels) {
    const std::string size = "to_real(\"" + labels.sizeField + "\")";
    const std::string lowering =
        "-(" + labels.middleExpression + ") * " + decimalText(MILLIMETRES_PER_POINT) + " * " + size;
    return "<labeling type=\"simple\"><settings calloutType=\"simple\">"
           "<text-style fieldName=\"" +
           xmlEscaped(labels.textField) + R"(" isExpression="0" fontFamily=")" +
           xmlEscaped(labels.defaultFamily) +
           "\" fontSize=\"8\" fontSizeUnit=\"Point\" fontWeight=\"50\" fontItalic=\"0\" "
           "fontKerning=\"1\" fontLetterSpacing=\"0\" fontWordSpacing=\"0\" "
           "textColor=\"0,0,0,255\" textOpacity=\"1\" multilineHeight=\"1\" "
           "allowHtml=\"0\"><text-buffer bufferDraw=\"0\"/><background shapeDraw=\"0\"/>"
           "<shadow shadowDraw=\"0\"/></text-style>"
           "<text-format wrapChar=\"\" multilineAlign=\"0\" addDirectionSymbol=\"0\"/>"
           "<placement placement=\"" +
           std::to_string(PLACEMENT_PARALLEL) + "\" placementFlags=\"" +
           std::to_string(PLACE_ABOVE_LINE) + R"(" dist="0" distUnits="MM" lineAnchorPercent=")" +
           decimalText(LINE_MIDDLE_FRACTION) + R"(" lineAnchorType=")" +
           std::to_string(ANCHOR_HINT) + R"(" lineAnchorClipping="0" overrunDistance=")" +
           decimalText(LABEL_OVERRUN_MM) +
           "\" overrunDistanceUnit=\"MM\" repeatDistance=\"0\" priority=\"5\"/>"
           "<rendering drawLabels=\"1\" displayAll=\"1\" obstacle=\"0\" upsidedownLabels=\"" +
           std::to_string(SHOW_UPSIDE_DOWN) +
           "\" labelPerPart=\"0\" mergeLines=\"0\" limitNumLabels=\"0\" "
           "scaleVisibility=\"0\" fontLimitPixelSize=\"0\" minFeatureSize=\"0\"/>" +
           dataDefinedProperties(expressionProperty("Family", labels.familyExpression) +
                                 expressionProperty("LabelDistance", lowering) +
                                 expressionProperty("Size", size)) +
           "</settings></labeling>";
}

std::string labelSizeAndAngleProperties(std::string_view sizeExpression,
                                        std::string_view angleExpression) {
    return dataDefinedProperties(expressionProperty("LabelRotation", angleExpression) +
                                 expressionProperty("Size", sizeExpression));
}

LayerStyle limitedTo(const LayerStyle& style, std::string_view filter) {
    const std::string rule =
        R"(<rule key="limit" label="limit" filter=")" + xmlEscaped(filter) + "\"";
    LayerStyle limited = style;
    std::string& renderer = limited.renderer;
    if (renderer.starts_with(SINGLE_SYMBOL_OPENING)) {
        // The single symbol, named SINGLE_SYMBOL_NAME, becomes the one rule's.
        renderer = std::string(RULE_RENDERER_OPENING) + rule + " symbol=\"" +
                   std::string(SINGLE_SYMBOL_NAME) + "\"/>" + std::string(RULES_CLOSING) +
                   "<symbols>" + renderer.substr(SINGLE_SYMBOL_OPENING.size());
    } else if (renderer.starts_with(RULE_RENDERER_OPENING)) {
        // The rules become the children of one that draws nothing itself.
        const std::size_t end = renderer.find(RULES_CLOSING);
        renderer =
            std::string(RULE_RENDERER_OPENING) + rule + ">" +
            renderer.substr(RULE_RENDERER_OPENING.size(), end - RULE_RENDERER_OPENING.size()) +
            "</rule>" + renderer.substr(end);
    }
    std::string& labelling = limited.labelling;
    const std::string show = expressionProperty("Show", filter);
    if (const std::size_t at = labelling.find(PROPERTY_MAP_OPENING); at != std::string::npos) {
        labelling.insert(at + PROPERTY_MAP_OPENING.size(), show);
    } else if (const std::size_t end = labelling.rfind("</settings>"); end != std::string::npos) {
        labelling.insert(end, dataDefinedProperties(show));
    }
    return limited;
}

std::string styleElements(const LayerStyle& style) {
    return style.renderer + style.labelling;
}

std::string styleDocument(const LayerStyle& style) {
    return std::string(
               "<!DOCTYPE qgis PUBLIC 'http://mrcc.com/qgis.dtd' 'SYSTEM'>\n"
               "<qgis version=\"") +
           STYLE_VERSION + R"(" styleCategories="Symbology|Labeling" labelsEnabled=")" +
           (style.labelling.empty() ? "0" : "1") + "\">\n" + styleElements(style) +
           "\n<layerGeometryType>" + std::to_string(static_cast<int>(style.geometry)) +
           "</layerGeometryType>\n</qgis>\n";
}

Outcome writeStyleFile(const std::string& layerBaseName, const LayerStyle& style) {
    return writeFileAtomically(layerBaseName + STYLE_EXTENSION, styleDocument(style));
}

}  // namespace sheetbasis
