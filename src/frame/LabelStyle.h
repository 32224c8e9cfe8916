#pragma once
// Attribute texts of the label features of FrameAdj and FrameDig: the code, the text, the
// font name and the size, each closed by the separator.

#include <cstdint>
#include <string>
#include <string_view>

namespace sheetbasis {

// The size in points as a plain decimal number ("6.5", "8"), independent of any locale.
std::string sizeText(double size);

// "code\text\font\size\" for a label in font number font (its name from the style table).
std::string labelAttributes(std::int32_t code, std::string_view text, std::int32_t font,
                            double size);

}  // namespace sheetbasis
