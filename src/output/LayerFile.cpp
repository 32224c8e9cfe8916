#include "output/LayerFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <system_error>
#include <type_traits>

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

// A value of an attribute text is cut to this many characters before it is read.
constexpr std::size_t ATTRIBUTE_VALUE_LENGTH = 256;

// Coordinate systems (cs of the sheet parameters) and their projection texts.
constexpr std::int32_t CS_PULKOVO_1942 = 1;
constexpr std::int32_t CS_PULKOVO_1965 = 2;
constexpr std::int32_t CS_GSK_2011 = 3;
constexpr std::int32_t CS_GSK_2011_FROM_SK_42 = 4;

constexpr std::string_view PRJ_PULKOVO_1942 =
    R"(GEOGCS["GCS_Pulkovo_1942",DATUM["D_Pulkovo_1942",SPHEROID["Krasovsky_1940", )"
    R"(6378245.0,298.3]], PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])";
constexpr std::string_view PRJ_PULKOVO_1965 =
    R"(GEOGCS["GCS_Pulkovo_1965",DATUM["D_Pulkovo_1965",SPHEROID["Krasovsky_1940", )"
    R"(6378245.0,298.3]], PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])";
constexpr std::string_view PRJ_GSK_2011 =
    R"(GEOGCS["GCS_RUSSIA_2011",DATUM["D_RUSSIA_2011",SPHEROID["S_RUSSIA_2011", )"
    R"(6378136.5,298.2564151]], PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])";

// The type codes are those of the table library's field types (text, integer, floating,
// logical, date, invalid). A code outside them names no type the library could store, so
// such a column counts as refused rather than being cast into the library's enumeration.
std::optional<DBFFieldType> tableFieldType(int typeCode) {
    if (typeCode < FTString || typeCode > FTInvalid) return std::nullopt;
    return static_cast<DBFFieldType>(typeCode);
}

bool addColumn(DBFInfo* table, const std::string& name, int typeCode, int width, int decimals) {
    const auto type = tableFieldType(typeCode);
    return type && DBFAddField(table, name.c_str(), *type, width, decimals) >= 0;
}

bool addColumns(DBFInfo* table, const std::vector<FieldDef>& fields) {
    if (!addColumn(table, ID_FIELD_NAME, FIELD_INTEGER, ID_FIELD_WIDTH, ID_FIELD_DECIMALS)) {
        return false;
    }
    for (const FieldDef& field : fields) {
        const std::string name = trimTrailing(field.name);
        if (!addColumn(table, name, field.type, field.width, field.decimals)) return false;
    }
    return true;
}

// The projection file goes to disk with the layer's other files: a layer without it would
// be delivered without its coordinate system.
void addProjectionFile(BufferedFiles& files, const std::string& baseName, std::int32_t cs) {
    std::string& bytes = files.create(baseName + PROJECTION_EXTENSION);
    const std::string text = projectionText(cs);
    if (!text.empty()) bytes = trimTrailing(text) + std::string(PROJECTION_LINE_END);
}

// Free-form numbers: the whole value, blanks around it aside, must be one number; an
// optional sign, and for floating values a fraction and a decimal exponent. Anything else
// (a second number after a comma, letters, "inf", "nan", values out of range) cannot be read.
template <typename Number>
std::optional<Number> readFreeForm(std::string_view value) {
    const std::string trimmed = trimBoth(value);
    std::string_view digits = trimmed;
    const bool hasPlus = !digits.empty() && digits.front() == '+';
    if (hasPlus) digits.remove_prefix(1);
    // from_chars takes a minus sign itself; a second sign after "+" must still be refused.
    if (hasPlus && !digits.empty() && digits.front() == '-') return std::nullopt;
    Number number{};
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, number);
    if (error != std::errc{} || stop != end) return std::nullopt;
    if constexpr (std::is_floating_point_v<Number>) {
        if (!std::isfinite(number)) return std::nullopt;
    }
    return number;
}

// A blank value stands for zero in numeric columns.
template <typename Number>
std::optional<Number> readNumberOrZero(std::string_view value) {
    if (isBlank(value)) return Number{};
    return readFreeForm<Number>(value);
}

// Width of a column as the table holds it, so that a text can be cut to fit before it is
// handed over (the library refuses an over-long text instead of cutting it silently).
int columnWidth(DBFInfo* table, int column) {
    int width = 0;
    int decimals = 0;
    DBFGetFieldInfo(table, column, nullptr, &width, &decimals);
    return width;
}

bool writeText(DBFInfo* table, int row, int column, std::string_view value) {
    std::string text = trimTrailing(value);
    const int width = columnWidth(table, column);
    if (width > 0 && text.size() > static_cast<std::size_t>(width)) text.resize(width);
    return DBFWriteStringAttribute(table, row, column, text.c_str()) != 0;
}

enum class ValueOutcome { Written, Refused, Unreadable };

ValueOutcome writeValue(DBFInfo* table, int row, int column, int typeCode, std::string value) {
    bool written = true;
    switch (typeCode) {
        case FIELD_DOUBLE: {
            if (const auto comma = value.find(','); comma != std::string::npos) {
                value[comma] = '.';
            }
            const auto number = readNumberOrZero<double>(value);
            if (!number) return ValueOutcome::Unreadable;
            written = DBFWriteDoubleAttribute(table, row, column, *number) != 0;
            break;
        }
        case FIELD_INTEGER: {
            const auto number = readNumberOrZero<int>(value);
            if (!number) return ValueOutcome::Unreadable;
            written = DBFWriteIntegerAttribute(table, row, column, *number) != 0;
            break;
        }
        case FIELD_TEXT:
            written = writeText(table, row, column, value);
            break;
        default:
            // Columns of other types take no value; it is only consumed.
            break;
    }
    return written ? ValueOutcome::Written : ValueOutcome::Refused;
}

}  // namespace

std::string projectionText(std::int32_t cs) {
    switch (cs) {
        case CS_PULKOVO_1942:
            return std::string{PRJ_PULKOVO_1942};
        case CS_PULKOVO_1965:
            return std::string{PRJ_PULKOVO_1965};
        case CS_GSK_2011:
        case CS_GSK_2011_FROM_SK_42:
            return std::string{PRJ_GSK_2011};
        default:
            return {};
    }
}

LayerStatus createLayer(std::int32_t cs, int shapeType, const std::string& layerName,
                        const std::vector<FieldDef>& fields, Layer& layer) {
    layer = Layer{};
    const std::string baseName = trimTrailing(layerName);

    // On failure the handles opened so far are closed; their files never reach the disk.
    auto files = std::make_shared<BufferedFiles>();
    LibraryScope scope(files, layer.libraryMessages);
    TableHandle table{DBFCreateLL(baseName.c_str(), TABLE_CODE_PAGE, scope.hooks())};
    if (!table) return LayerStatus::NotCreated;
    if (!addColumns(table.get(), fields)) return LayerStatus::ColumnRefused;

    ShapeHandle shape{SHPCreateLL(baseName.c_str(), shapeType, scope.hooks())};
    if (!shape) return LayerStatus::NotCreated;
    addProjectionFile(*files, baseName, cs);

    layer.shape = std::move(shape);
    layer.table = std::move(table);
    layer.files = std::move(files);
    layer.fields = fields;
    return LayerStatus::Created;
}

Outcome closeLayer(Layer& layer) {
    layer.table.reset();
    layer.shape.reset();
    const std::shared_ptr<BufferedFiles> files = std::move(layer.files);
    if (!files) return Outcome::failure("the layer was not open");
    return files->commit();
}

RecordStatus writeAttributeRecord(DBFInfo* table, std::int32_t recordNumber, std::int32_t id,
                                  std::string& attributeText, const std::vector<FieldDef>& fields) {
    // Record numbers start at 1; anything lower names no record of the table.
    if (table == nullptr || recordNumber < 1) return RecordStatus::ValueRefused;
    const int row = recordNumber - 1;
    if (DBFWriteIntegerAttribute(table, row, 0, id) == 0) return RecordStatus::ValueRefused;
    if (fields.empty()) return RecordStatus::Written;

    attributeText = leftAdjust(attributeText);
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const auto separator = attributeText.find(ATTRIBUTE_SEPARATOR);
        if (separator == std::string::npos) return RecordStatus::Malformed;
        std::string value = attributeText.substr(0, std::min(separator, ATTRIBUTE_VALUE_LENGTH));
        attributeText = leftAdjust(std::string_view{attributeText}.substr(separator + 1));

        const int column = static_cast<int>(k) + 1;
        switch (writeValue(table, row, column, fields[k].type, std::move(value))) {
            case ValueOutcome::Unreadable:
                return RecordStatus::Malformed;
            case ValueOutcome::Refused:
                return RecordStatus::ValueRefused;
            case ValueOutcome::Written:
                break;
        }
    }
    return RecordStatus::Written;
}

}  // namespace sheetbasis
