// writeAttributeRecord on arbitrary attribute texts into a table with a column of every type.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
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
                                            {"Other", 3, 1, 0}};
    return f;
}

// The scratch layer of this fuzzing process, removed when the process ends.
struct ScratchLayer {
    std::filesystem::path base = std::filesystem::temp_directory_path() /
                                 ("sheetbasis-fuzz-record-" + std::to_string(getpid()));
    Layer layer;
    ~ScratchLayer() {
        closeLayer(layer);
        for (const char* ext : {".shp", ".shx", ".dbf", ".PRJ"}) {
            std::remove((base.string() + ext).c_str());
        }
    }
};

Layer& layer() {
    static ScratchLayer scratch;
    static Layer& l = [&]() -> Layer& {
        Layer& created = scratch.layer;
        const auto& name = scratch.base;
        if (createLayer(0, SHAPE_POINT, name.string(), fields(), created) != LayerStatus::Created) {
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
    const auto status =
        writeAttributeRecord(l.table.get(), l.recordCounter, l.recordCounter, text, fields());
    if (status != RecordStatus::Written && status != RecordStatus::ValueRefused &&
        status != RecordStatus::Malformed) {
        std::abort();
    }
    return 0;
}
