// writeAttributeRecord on arbitrary values into a table with a column of every type: the
// input's first bytes are an integer and a floating-point number, the rest a text, each
// given to every column whatever its type.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "output/LayerFile.h"

namespace {

using namespace sheetbasis;

const std::vector<FieldDef>& fields() {
    static const std::vector<FieldDef> f = {{"L_code", FieldType::Integer, 8, 0},
                                            {"Value", FieldType::Double, 19, 8},
                                            {"Text", FieldType::Text, 100, 0}};
    return f;
}

// The scratch layer of this fuzzing process, removed when the process ends.
struct ScratchLayer {
    std::filesystem::path base = std::filesystem::temp_directory_path() /
                                 ("sheetbasis-fuzz-record-" + std::to_string(getpid()));
    Layer layer;
    ~ScratchLayer() {
        (void)closeLayer(layer);
        for (const char* ext : {".shp", ".shx", ".dbf", ".PRJ"}) {
            std::remove((base.string() + ext).c_str());
        }
    }
};

Layer& layer() {
    static ScratchLayer scratch;
    static Layer& l = [&]() -> Layer& {
        if (!createLayer(CoordinateSystem::Sk42, ShapeType::Point, scratch.base.string(), fields(),
                         scratch.layer)) {
            std::abort();
        }
        return scratch.layer;
    }();
    return l;
}

// The next value of type T taken from the front of the input, zero when it is too short.
template <typename T>
T take(std::string_view& input) {
    T value{};
    if (input.size() < sizeof value) return value;
    std::memcpy(&value, input.data(), sizeof value);
    input.remove_prefix(sizeof value);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Layer& l = layer();
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const AttributeValue integer = take<std::int32_t>(input);
    const AttributeValue number = take<double>(input);
    const AttributeValue text = input;
    // The next new record (a refused one stores nothing, so the numbers run on from the
    // records stored); after a thousand, the earlier ones are written again, which keeps
    // the table small.
    constexpr int TABLE_RECORDS = 1000;
    const int stored = DBFGetRecordCount(l.table.get());
    l.recordCounter = stored < TABLE_RECORDS ? stored + 1 : l.recordCounter % TABLE_RECORDS + 1;
    for (const std::vector<AttributeValue>& values :
         {std::vector{integer, number, text}, std::vector{text, integer, number}}) {
        const Outcome written =
            writeAttributeRecord(l.table.get(), l.recordCounter, l.recordCounter, values, fields());
        // A refused value is named; anything else would be a fault of the writer.
        if (!written && written.reason().find("refuses") == std::string::npos) std::abort();
    }
    return 0;
}
