#include "output/LayerFile.h"

#include <malloc.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "output/NumberFields.h"
#include "output/PerThread.h"
#include "sheet/Text.h"

namespace sheetbasis {

namespace {

// Name, type, width and decimals of the identifier column that opens every table.
constexpr const char* ID_FIELD_NAME = "Id";
constexpr int ID_FIELD_WIDTH = 6;
constexpr int ID_FIELD_DECIMALS = 0;

// The language driver id that marks a table as Windows-1251 (shapelib writes it into the
// header byte of the language driver instead of a .cpg file).
constexpr const char* TABLE_CODE_PAGE = "LDID/201";

// Extension of the projection file; in capitals, as the layers have always been delivered.
constexpr const char* PROJECTION_EXTENSION = ".PRJ";
// Each projection file holds exactly one line ended by carriage return and line feed.
constexpr std::string_view PROJECTION_LINE_END = "\r\n";

// The projection texts of the coordinate systems.
constexpr std::string_view PRJ_PULKOVO_1942 =
    R"(GEOGCS["GCS_Pulkovo_1942",DATUM["D_Pulkovo_1942",SPHEROID["Krasovsky_1940", )"
    R"(6378245.0,298.3]], PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])";
constexpr std::string_view PRJ_PULKOVO_1965 =
    R"(GEOGCS["GCS_Pulkovo_1965",DATUM["D_Pulkovo_1965",SPHEROID["Krasovsky_1940", )"
    R"(6378245.0,298.3]], PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])";
constexpr std::string_view PRJ_GSK_2011 =
    R"(GEOGCS["GCS_RUSSIA_2011",DATUM["D_RUSSIA_2011",SPHEROID["S_RUSSIA_2011", )"
    R"(6378136.5,298.2564151]], PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])";

std::string projectionFileText(CoordinateSystem cs) {
    const std::string text = projectionText(cs);
    return text.empty() ? text : trimTrailing(text) + std::string(PROJECTION_LINE_END);
}

// The bytes of the projection file of cs (empty for an unknown system), made once per
// process: every layer of every sheet writes one.
const std::string& projectionFileBytes(CoordinateSystem cs) {
    static const std::array<std::string, COORDINATE_SYSTEMS.size()> known{
        projectionFileText(COORDINATE_SYSTEMS[0]), projectionFileText(COORDINATE_SYSTEMS[1]),
        projectionFileText(COORDINATE_SYSTEMS[2]), projectionFileText(COORDINATE_SYSTEMS[3])};
    static const std::string unknown;
    const auto found = std::find(COORDINATE_SYSTEMS.begin(), COORDINATE_SYSTEMS.end(), cs);
    if (found == COORDINATE_SYSTEMS.end()) return unknown;
    return known[static_cast<std::size_t>(found - COORDINATE_SYSTEMS.begin())];
}

// A fault below this address is the library writing through the null pointer of an
// allocation it did not check, at the offset of a field or a record member.
constexpr std::uintptr_t NULL_REGION_BYTES = std::uintptr_t{64} * 1024;

// Where the thread goes back to when the library faults in the null region while it is
// creating a layer; null outside such calls.
thread_local sigjmp_buf* libraryFaultEscape = nullptr;
struct sigaction faultActionBefore {};

// Another thread can take the memory checked for just before the library allocates
// (libraryHasHeadroom), so the library's unchecked allocations can still fail. Such a
// fault is contained: the layer is not created, for want of memory. Any other fault is
// handed back to the handler there was before, which takes it when the instruction faults
// again.
extern "C" void onSegmentationFault(int signal, siginfo_t* info, void*) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    if (libraryFaultEscape != nullptr && address < NULL_REGION_BYTES) {
        siglongjmp(*libraryFaultEscape, 1);
    }
    ::sigaction(signal, &faultActionBefore, nullptr);
}

// Runs one call into the library; false when it faulted in the null region. The call must
// hold no object with a destructor: the way back skips its frames. What the library had
// made by then is left to leak, as closing it would follow the same null pointer.
template <typename LibraryCall>
bool withinLibraryFaultEscape(const LibraryCall& call) {
    sigjmp_buf escape;
    // The signal mask is not saved: the handler runs with SA_NODEFER, so a jump out of it
    // leaves the mask as it was, and a job run makes no system call per layer for it.
    if (sigsetjmp(escape, 0) != 0) {
        libraryFaultEscape = nullptr;
        return false;
    }
    libraryFaultEscape = &escape;
    call();
    libraryFaultEscape = nullptr;
    return true;
}

enum class ColumnAdded { Added, Refused, Faulted };

ColumnAdded addColumn(DBFInfo* table, const std::string& name, FieldType type, int width,
                      int decimals) {
    int added = -1;
    const char* text = name.c_str();
    if (!withinLibraryFaultEscape([&] {
            added = DBFAddField(table, text, static_cast<DBFFieldType>(type), width, decimals);
        })) {
        return ColumnAdded::Faulted;
    }
    return added >= 0 ? ColumnAdded::Added : ColumnAdded::Refused;
}

// The column the table refused, named, or the library's fault; nothing when it took them
// all.
struct ColumnRefusal {
    std::string name;
    bool faulted = false;
};
std::optional<ColumnRefusal> refusedColumn(DBFInfo* table, const std::vector<FieldDef>& fields) {
    const auto added = [&](const std::string& name, FieldType type, int width,
                           int decimals) -> std::optional<ColumnRefusal> {
        const ColumnAdded result = addColumn(table, name, type, width, decimals);
        if (result == ColumnAdded::Added) return std::nullopt;
        return ColumnRefusal{name, result == ColumnAdded::Faulted};
    };
    if (auto refused =
            added(ID_FIELD_NAME, FieldType::Integer, ID_FIELD_WIDTH, ID_FIELD_DECIMALS)) {
        return refused;
    }
    for (const FieldDef& field : fields) {
        if (auto refused =
                added(trimTrailing(field.name), field.type, field.width, field.decimals)) {
            return refused;
        }
    }
    return std::nullopt;
}

// The projection file goes to disk with the layer's other files: a layer without it would
// be delivered without its coordinate system.
void addProjectionFile(BufferedFiles& files, const std::string& baseName, CoordinateSystem cs) {
    files.create(baseName + PROJECTION_EXTENSION) = projectionFileBytes(cs);
}

// What the table library said, as the tail of a reason.
std::string libraryReason(const std::string& messages) {
    const std::string said = trimTrailing(messages);
    return said.empty() ? std::string() : " (" + said + ")";
}

// The bytes of column `column` within record, a record of the table.
std::span<char> columnBytes(const DBFInfo& table, std::string& record, int column) {
    return {record.data() + table.panFieldOffset[column],
            static_cast<std::size_t>(table.panFieldSize[column])};
}

bool isNumericColumn(const DBFInfo& table, int column) {
    return table.pachFieldType[column] == 'N' || table.pachFieldType[column] == 'F';
}

// A text as the library stores it: up to its first NUL (it takes C strings) and cut to the
// column's width; the library would refuse an over-long text instead of cutting it.
void storeText(std::span<char> field, std::string_view value) {
    const std::string_view text = value.substr(0, value.find('\0'));
    std::copy_n(text.begin(), std::min(text.size(), field.size()), field.begin());
}

// Writes the value into its column of record when it is of the column's type; false
// otherwise or when the column refuses it.
bool storeValue(const DBFInfo& table, std::string& record, int column, FieldType type,
                const AttributeValue& value) {
    if (column >= table.nFields) return false;
    const std::span<char> field = columnBytes(table, record, column);
    const int decimals = table.panFieldDecimals[column];
    switch (type) {
        case FieldType::Integer: {
            const auto* number = std::get_if<std::int32_t>(&value);
            return number != nullptr && isNumericColumn(table, column) &&
                   storeNumber(field, *number, decimals);
        }
        case FieldType::Double: {
            const auto* number = std::get_if<double>(&value);
            return number != nullptr && isNumericColumn(table, column) &&
                   storeNumber(field, *number, decimals);
        }
        case FieldType::Text: {
            const auto* text = std::get_if<std::string_view>(&value);
            if (text == nullptr || table.pachFieldType[column] != 'C') return false;
            storeText(field, *text);
            return true;
        }
    }
    return false;
}

// The table library does not check every allocation it makes while it creates a layer (it
// writes through the null pointer of a failed one), so it is handed the work only when this
// much memory can be had: a layer's creation takes it a few kilobytes. Below the allocator's
// threshold for mapping memory of its own, the block comes from the thread's heap, costs no
// system call once the heap has grown, and, freed, stays there for the library's
// allocations that follow (prepareForLowMemory).
constexpr std::size_t LIBRARY_HEADROOM_BYTES = std::size_t{64} * 1024;

// Freed memory up to this much stays with the process instead of going back to the system.
constexpr int FREED_MEMORY_KEPT_BYTES = 256 << 20;

bool libraryHasHeadroom() {
    void* probe = std::malloc(LIBRARY_HEADROOM_BYTES);
    if (probe == nullptr) return false;
    // Touched, so that the allocation is not optimised away.
    static_cast<volatile char*>(probe)[0] = 0;
    std::free(probe);
    return true;
}

}  // namespace

void prepareForLowMemory() {
    ::mallopt(M_TRIM_THRESHOLD, FREED_MEMORY_KEPT_BYTES);
    struct sigaction onFault {};
    onFault.sa_sigaction = onSegmentationFault;
    onFault.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&onFault.sa_mask);
    ::sigaction(SIGSEGV, &onFault, &faultActionBefore);
}

std::string projectionText(CoordinateSystem cs) {
    switch (cs) {
        case CoordinateSystem::Sk42:
            return std::string{PRJ_PULKOVO_1942};
        case CoordinateSystem::Sk95:
            return std::string{PRJ_PULKOVO_1965};
        case CoordinateSystem::Gsk2011:
        case CoordinateSystem::Gsk2011FromSk42:
            return std::string{PRJ_GSK_2011};
    }
    return {};
}

Outcome createLayer(CoordinateSystem cs, ShapeType shapeType, const std::string& layerName,
                    const std::vector<FieldDef>& fields, Layer& layer) {
    layer = Layer{};
    // A want of memory the last layer left untold is not this layer's.
    static_cast<void>(tookLibraryOutOfMemory());
    const std::string baseName = trimTrailing(layerName);
    if (!libraryHasHeadroom()) return Outcome::failure(std::string(OUT_OF_MEMORY));

    // On failure the handles opened so far are closed; their files never reach the disk.
    auto files = std::make_shared<BufferedFiles>();
    LibraryScope scope(files, layer.libraryMessages);
    const auto notCreated = [&] {
        // The library's own allocations fail without a word: memory is looked at again.
        if (tookLibraryOutOfMemory() || !libraryHasHeadroom()) {
            return Outcome::failure(std::string(OUT_OF_MEMORY));
        }
        return Outcome::failure("cannot be created" + libraryReason(layer.libraryMessages));
    };
    const char* base = baseName.c_str();
    DBFHandle created = nullptr;
    if (!withinLibraryFaultEscape(
            [&] { created = DBFCreateLL(base, TABLE_CODE_PAGE, scope.hooks()); })) {
        return Outcome::failure(std::string(OUT_OF_MEMORY));
    }
    TableHandle table{created};
    if (!table) return notCreated();
    if (const auto refused = refusedColumn(table.get(), fields)) {
        if (refused->faulted) {
            static_cast<void>(table.release());
            return Outcome::failure(std::string(OUT_OF_MEMORY));
        }
        return Outcome::failure("the column " + refused->name + " is refused" +
                                libraryReason(layer.libraryMessages));
    }

    SHPHandle shapeCreated = nullptr;
    if (!withinLibraryFaultEscape([&] {
            shapeCreated = SHPCreateLL(base, static_cast<int>(shapeType), scope.hooks());
        })) {
        return Outcome::failure(std::string(OUT_OF_MEMORY));
    }
    ShapeHandle shape{shapeCreated};
    if (!shape) return notCreated();
    addProjectionFile(*files, baseName, cs);

    layer.shape = std::move(shape);
    layer.table = std::move(table);
    layer.files = std::move(files);
    layer.fields = fields;
    return {};
}

Outcome closeLayer(Layer& layer) {
    layer.table.reset();
    layer.shape.reset();
    const std::shared_ptr<BufferedFiles> files = std::move(layer.files);
    if (!files) return Outcome::failure("the layer was not open");
    // What the library could not write for want of memory it does not report.
    if (tookLibraryOutOfMemory()) return Outcome::failure(std::string(OUT_OF_MEMORY));
    return files->commit();
}

Outcome writeAttributeRecord(DBFInfo* table, std::int32_t recordNumber, std::int32_t id,
                             std::span<const AttributeValue> values,
                             const std::vector<FieldDef>& fields) {
    // Named only when a reason needs it: most records are stored.
    const auto record = [recordNumber] { return "record " + std::to_string(recordNumber); };
    // Record numbers start at 1; anything lower names no record of the table.
    if (table == nullptr || recordNumber < 1)
        return Outcome::failure(record() + " names no record");
    if (values.size() != fields.size()) {
        return Outcome::failure(record() + ": " + std::to_string(values.size()) + " values for " +
                                std::to_string(fields.size()) + " columns");
    }
    // The record is made whole, then stored in one call: the library looks its columns up
    // only once a record instead of once a value.
    static PerThread<std::string> perThread;
    std::string& bytes = perThread.get();
    bytes.assign(static_cast<std::size_t>(table->nRecordLength), ' ');
    if (!storeValue(*table, bytes, 0, FieldType::Integer, id)) {
        return Outcome::failure(record() + ": the column " + ID_FIELD_NAME + " refuses " +
                                std::to_string(id));
    }
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const int column = static_cast<int>(k) + 1;
        if (!storeValue(*table, bytes, column, fields[k].type, values[k])) {
            return Outcome::failure(record() + ": the column " + trimTrailing(fields[k].name) +
                                    " refuses its value");
        }
    }
    errno = 0;
    if (DBFWriteTuple(table, recordNumber - 1, bytes.data()) == 0) {
        const int error = errno;  // before the reason's text allocates
        return libraryCallFailure(error, record() + " cannot be stored");
    }
    return {};
}

Outcome libraryCallFailure(int error, std::string_view reason) {
    if (error == ENOMEM) return Outcome::failure(std::string(OUT_OF_MEMORY));
    return Outcome::failure(std::string(reason));
}

}  // namespace sheetbasis
