#pragma once
// Layer styles in the XML of the users' GIS: symbols, renderers and line labelling, put
// together into a style file (".qml") that the GIS loads by itself when the layer beside
// it is added, and into the layer entries of a project file.

#include <string>
#include <string_view>
#include <vector>

#include "output/Outcome.h"

namespace sheetbasis {

// A line's stroke. An invisible line still counts as drawn, so its label is set.
enum class LineStroke { Solid, Dashed, Invisible };

// How a line is drawn; widths in millimetres on paper.
struct LineLook {
    double widthMm = 0.0;
    LineStroke stroke = LineStroke::Solid;
    // Flat ends let a line as wide as a band fill it exactly between its two ends.
    bool flatEnds = false;
};

// One rule of a rule-based line renderer: the features its filter expression selects are
// drawn as look says.
struct LineRule {
    std::string label;
    std::string filter;
    LineLook look;
};

// Labels of line features: the text of textField centred on each line, parallel to it,
// the text's middle at the line's middle; size in points from sizeField, family from the
// expression familyExpression (defaultFamily where it gives none). The expression
// middleExpression gives, in parts of the font size, the height above the bottom of the
// text's box (as the labelling measures it) of the height that is to lie on the line, by
// which the box is let down onto the line.
struct LineLabels {
    std::string textField;
    std::string sizeField;
    std::string familyExpression;
    std::string defaultFamily;
    std::string middleExpression;
};

// Geometry kinds as the GIS numbers them in a style.
enum class StyleGeometry { Point = 0, Line = 1, Polygon = 2 };

// What a style file holds: the renderer, the labelling (empty: none) and the geometry.
struct LayerStyle {
    StyleGeometry geometry = StyleGeometry::Line;
    std::string renderer;
    std::string labelling;
};

// Symbols (name: the key the renderer refers to them by).
std::string lineSymbol(std::string_view name, const LineLook& look);
// A polygon drawn as its outline only, nothing filled.
std::string outlineSymbol(std::string_view name, double outlineWidthMm);
// A polygon drawn as its outline, and over it the line that lineExpression makes of its
// geometry (in the layer's coordinates) drawn as line says.
std::string outlineSymbolWithLine(std::string_view name, double outlineWidthMm,
                                  std::string_view lineExpression, const LineLook& line);
// A polygon drawn with nothing at all, neither filled nor outlined.
std::string blankFillSymbol();
// A cross of two strokes.
std::string crossSymbol(std::string_view name, double sizeMm, double strokeMm);

// A renderer of one symbol; the symbol is named "0".
std::string singleSymbolRenderer(const std::string& symbol);
std::string lineRuleRenderer(const std::vector<LineRule>& rules);

// Every label is drawn: none is removed for colliding, and none pushes others away.
std::string lineLabelling(const LineLabels& labels);

// The data-defined properties of a labelling's settings that take each label's size from
// sizeExpression and its angle (degrees, in the labelling's sense of rotation) from
// angleExpression.
std::string labelSizeAndAngleProperties(std::string_view sizeExpression,
                                        std::string_view angleExpression);

// The style drawing and labelling only the features that the expression filter selects:
// its single symbol or its rules under one rule with that filter, its labels shown only
// for those features. The filter may use variables the map sets when it is drawn, such as
// an atlas page's, which a layer's own feature filter cannot.
LayerStyle limitedTo(const LayerStyle& style, std::string_view filter);

// A data-defined property named property whose value the expression gives, and the
// collection of such properties as a layout item (propertyCollection) or a labelling's
// settings (dataDefinedProperties) hold them.
std::string expressionProperty(std::string_view property, std::string_view expression);
std::string propertyCollection(const std::string& properties);
std::string dataDefinedProperties(const std::string& properties);

// The style as a whole style document.
std::string styleDocument(const LayerStyle& style);
// The parts of the style that go inside a layer's entry of a project file.
std::string styleElements(const LayerStyle& style);

// Writes layerBaseName + ".qml" through the atomic file writer, replacing an earlier one.
Outcome writeStyleFile(const std::string& layerBaseName, const LayerStyle& style);

// Text with the five characters that XML reserves replaced by their entities.
std::string xmlEscaped(std::string_view text);
// A number as plain decimal text with enough digits to read it back exactly.
std::string decimalText(double value);

}  // namespace sheetbasis
