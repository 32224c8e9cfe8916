#include "frame/LabelStyle.h"

#include <array>
#include <charconv>

#include "frame/FontMetrics.h"
#include "output/LayerFile.h"

namespace sheetbasis {

namespace {

// Room for any double in fixed notation without exponent (309 digits and a sign).
constexpr std::size_t SIZE_TEXT_CAPACITY = 400;

}  // namespace

std::string sizeText(double size) {
    std::array<char, SIZE_TEXT_CAPACITY> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), size, std::chars_format::fixed);
    return std::string(buffer.data(), result.ptr);
}

std::string labelAttributes(std::int32_t code, std::string_view text, std::int32_t font,
                            double size) {
    std::string attributes = std::to_string(code);
    attributes += ATTRIBUTE_SEPARATOR;
    attributes += text;
    attributes += ATTRIBUTE_SEPARATOR;
    attributes += fontName(font);
    attributes += ATTRIBUTE_SEPARATOR;
    attributes += sizeText(size);
    attributes += ATTRIBUTE_SEPARATOR;
    return attributes;
}

}  // namespace sheetbasis
