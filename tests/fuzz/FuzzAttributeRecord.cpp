// WRITERECDBF on arbitrary attribute texts into a table with a column of every type.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "output/LayerFile.h"

namespace {

using namespace sheetbasis;

const std::vector<FieldDef>& fields() {
    static const std::vector<FieldDef> f = {{"L_code", FIELD_INTEGER, 8, 0},
                                            {"Value", FIELD_DOUBLE, 19, 8},
                                            {"Text", FIELD_TEXT, 100, 0},
                                            {"Other", 7, 10, 0}};
    return f;
}

Layer& layer() {
    static Layer l = [] {
        Layer created;
        const auto name = std::filesystem::temp_directory_path() / "sheetbasis-fuzz-record";
        if (OPENNEWSHAPEFILE(0, SHAPE_POINT, name.string(), fields(), created) != LAYER_CREATED) {
            std::abort();
        }
        return created;
    }();
    return l;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Layer& l = layer();
    std::string text(reinterpret_cast<const char*>(data), size);
    // Keep the table small: start over at record 1 after a thousand records.
    l.recordCounter = l.recordCounter % 1000 + 1;
    const int status = WRITERECDBF(l.table.get(), l.recordCounter, l.recordCounter, text, fields());
    if (status != RECORD_WRITTEN && status != RECORD_VALUE_REFUSED && status != RECORD_MALFORMED) {
        std::abort();
    }
    return 0;
}
