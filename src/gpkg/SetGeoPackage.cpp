#include "gpkg/SetGeoPackage.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <span>

#include "gpkg/GeometryBlob.h"
#include "gpkg/PackedRtree.h"
#include "gpkg/StoredZip.h"
#include "output/AtomicFile.h"
#include "output/SheetLayers.h"
#include "qgis/AtlasProject.h"
#include "qgis/HypsStyle.h"
#include "qgis/QgisStyle.h"
#include "sheet/Cp1251.h"

namespace sheetbasis {
namespace {

// "GPKG" as the header's application id, and version 1.2 of the standard.
constexpr int GEOPACKAGE_APPLICATION_ID = 0x47504B47;
constexpr int GEOPACKAGE_VERSION = 10200;
constexpr mode_t NEW_FILE_MODE = 0666;
// The page cache: a set's tables and indexes grow far beyond it, and the cost of the
// spatial index depends on it; 16 MiB keeps the whole run within its memory bound.
constexpr int CACHE_KIBIBYTES = 16 * 1024;
constexpr const char* GEOMETRY_COLUMN = "geom";
constexpr const char* SHEET_COLUMN = "Sheet";
constexpr const char* ID_COLUMN = "Id";

// The definitions that EPSG gives the systems, as OGC WKT 1.
constexpr const char* WKT_WGS84 =
    R"(GEOGCS["WGS 84",DATUM["WGS_1984",SPHEROID["WGS 84",6378137,298.257223563,)"
    R"(AUTHORITY["EPSG","7030"]],AUTHORITY["EPSG","6326"]],PRIMEM["Greenwich",0,)"
    R"(AUTHORITY["EPSG","8901"]],UNIT["degree",0.0174532925199433,AUTHORITY["EPSG","9122"]],)"
    R"(AXIS["Latitude",NORTH],AXIS["Longitude",EAST],AUTHORITY["EPSG","4326"]])";
constexpr const char* WKT_PULKOVO_1942 =
    R"(GEOGCS["Pulkovo 1942",DATUM["Pulkovo_1942",SPHEROID["Krassowsky 1940",6378245,298.3,)"
    R"(AUTHORITY["EPSG","7024"]],AUTHORITY["EPSG","6284"]],PRIMEM["Greenwich",0,)"
    R"(AUTHORITY["EPSG","8901"]],UNIT["degree",0.0174532925199433,AUTHORITY["EPSG","9122"]],)"
    R"(AXIS["Latitude",NORTH],AXIS["Longitude",EAST],AUTHORITY["EPSG","4284"]])";
constexpr const char* WKT_PULKOVO_1995 =
    R"(GEOGCS["Pulkovo 1995",DATUM["Pulkovo_1995",SPHEROID["Krassowsky 1940",6378245,298.3,)"
    R"(AUTHORITY["EPSG","7024"]],AUTHORITY["EPSG","6200"]],PRIMEM["Greenwich",0,)"
    R"(AUTHORITY["EPSG","8901"]],UNIT["degree",0.0174532925199433,AUTHORITY["EPSG","9122"]],)"
    R"(AXIS["Latitude",NORTH],AXIS["Longitude",EAST],AUTHORITY["EPSG","4200"]])";
constexpr const char* WKT_GSK_2011 =
    R"(GEOGCS["GSK-2011",DATUM["Geodezicheskaya_Sistema_Koordinat_2011",)"
    R"(SPHEROID["GSK-2011",6378136.5,298.2564151,AUTHORITY["EPSG","1025"]],)"
    R"(AUTHORITY["EPSG","1159"]],PRIMEM["Greenwich",0,AUTHORITY["EPSG","8901"]],)"
    R"(UNIT["degree",0.0174532925199433,AUTHORITY["EPSG","9122"]],)"
    R"(AXIS["Latitude",NORTH],AXIS["Longitude",EAST],AUTHORITY["EPSG","7683"]])";

struct SystemRow {
    std::int32_t code;
    const char* name;
    const char* definition;
};

SystemRow systemRowOf(CoordinateSystem cs) {
    switch (cs) {
        case CoordinateSystem::Sk42:
            return {4284, "Pulkovo 1942", WKT_PULKOVO_1942};
        case CoordinateSystem::Sk95:
            return {4200, "Pulkovo 1995", WKT_PULKOVO_1995};
        case CoordinateSystem::Gsk2011:
        case CoordinateSystem::Gsk2011FromSk42:
            return {7683, "GSK-2011", WKT_GSK_2011};
    }
    return {0, "", ""};
}

// The tables every GeoPackage has, as the standard defines them, with the three systems
// it requires.
constexpr const char* CORE_SCHEMA = R"(
CREATE TABLE gpkg_spatial_ref_sys (srs_name TEXT NOT NULL, srs_id INTEGER NOT NULL PRIMARY KEY,
  organization TEXT NOT NULL, organization_coordsys_id INTEGER NOT NULL,
  definition TEXT NOT NULL, description TEXT);
CREATE TABLE gpkg_contents (table_name TEXT NOT NULL PRIMARY KEY, data_type TEXT NOT NULL,
  identifier TEXT UNIQUE, description TEXT DEFAULT '',
  last_change DATETIME NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%fZ','now')),
  min_x DOUBLE, min_y DOUBLE, max_x DOUBLE, max_y DOUBLE, srs_id INTEGER,
  CONSTRAINT fk_gc_r_srs_id FOREIGN KEY (srs_id) REFERENCES gpkg_spatial_ref_sys(srs_id));
CREATE TABLE gpkg_geometry_columns (table_name TEXT NOT NULL, column_name TEXT NOT NULL,
  geometry_type_name TEXT NOT NULL, srs_id INTEGER NOT NULL, z TINYINT NOT NULL,
  m TINYINT NOT NULL, CONSTRAINT pk_geom_cols PRIMARY KEY (table_name, column_name),
  CONSTRAINT uk_gc_table_name UNIQUE (table_name),
  CONSTRAINT fk_gc_tn FOREIGN KEY (table_name) REFERENCES gpkg_contents(table_name),
  CONSTRAINT fk_gc_srs FOREIGN KEY (srs_id) REFERENCES gpkg_spatial_ref_sys (srs_id));
CREATE TABLE gpkg_extensions (table_name TEXT, column_name TEXT,
  extension_name TEXT NOT NULL, definition TEXT NOT NULL, scope TEXT NOT NULL,
  CONSTRAINT ge_tce UNIQUE (table_name, column_name, extension_name));
INSERT INTO gpkg_spatial_ref_sys VALUES ('Undefined cartesian SRS', -1, 'NONE', -1, 'undefined',
  'undefined cartesian coordinate reference system');
INSERT INTO gpkg_spatial_ref_sys VALUES ('Undefined geographic SRS', 0, 'NONE', 0, 'undefined',
  'undefined geographic coordinate reference system');
)";

// The table of styles as the users' GIS makes it; its default rows are applied when a layer
// of the file is opened.
constexpr const char* STYLE_TABLE = R"(
CREATE TABLE layer_styles (id INTEGER PRIMARY KEY AUTOINCREMENT, f_table_catalog TEXT(256),
  f_table_schema TEXT(256), f_table_name TEXT(256), f_geometry_column TEXT(256),
  styleName TEXT(30), styleQML TEXT, styleSLD TEXT, useAsDefault BOOLEAN, description TEXT,
  owner TEXT(30), ui TEXT(30),
  update_time DATETIME DEFAULT (strftime('%Y-%m-%dT%H:%M:%fZ','now')));
INSERT INTO gpkg_contents (table_name, data_type, identifier)
  VALUES ('layer_styles', 'attributes', 'layer_styles');
)";

// The table in which the users' GIS keeps the projects stored in a GeoPackage.
constexpr const char* PROJECT_TABLE =
    "CREATE TABLE qgis_projects (name TEXT PRIMARY KEY, metadata BLOB, content BLOB);";

std::string systemInsert(std::int32_t code, const char* name, const char* definition) {
    const std::string id = std::to_string(code);
    return "INSERT INTO gpkg_spatial_ref_sys VALUES (" + quotedLiteral(name) + ", " + id +
           ", 'EPSG', " + id + ", " + quotedLiteral(definition) + ", NULL);";
}

// A shape type as a project of the users' GIS names a layer's geometry.
const char* projectGeometryName(ShapeType type) {
    switch (type) {
        case ShapeType::Point:
            return "Point";
        case ShapeType::Arc:
            return "Line";
        case ShapeType::Polygon:
            return "Polygon";
    }
    return "Unknown";
}

const char* geometryTypeName(ShapeType type) {
    switch (type) {
        case ShapeType::Point:
            return "POINT";
        case ShapeType::Arc:
            return "LINESTRING";
        case ShapeType::Polygon:
            return "POLYGON";
    }
    return "GEOMETRY";
}

// Integers of the tables are 32-bit, as in the shapefiles' tables; texts keep their widths.
std::string columnType(const FieldDef& field) {
    switch (field.type) {
        case FieldType::Integer:
            return "MEDIUMINT";
        case FieldType::Double:
            return "DOUBLE";
        case FieldType::Text:
            return "TEXT(" + std::to_string(field.width) + ")";
    }
    return "TEXT";
}

// A text as the shapefile's table stores it: up to its first NUL, cut to the column's width.
std::string_view storedText(std::string_view value, const FieldDef& field) {
    const std::string_view text = value.substr(0, value.find('\0'));
    return text.substr(0, static_cast<std::size_t>(std::max(field.width, 0)));
}

// The triggers of the standard's spatial index extension, which keep the index of table t
// right when a later editor changes the table.
std::string indexTriggers(const std::string& t, const std::string& index) {
    const std::string quotedT = quotedIdentifier(t);
    const std::string quotedIndex = quotedIdentifier(index);
    const std::string values =
        " VALUES (NEW.fid, ST_MinX(NEW.geom), ST_MaxX(NEW.geom), ST_MinY(NEW.geom), "
        "ST_MaxY(NEW.geom)); END;";
    const auto trigger = [&](const char* suffix) {
        return "CREATE TRIGGER " + quotedIdentifier(index + "_" + suffix);
    };
    return trigger("insert") + " AFTER INSERT ON " + quotedT +
           " WHEN (NEW.geom NOT NULL AND NOT ST_IsEmpty(NEW.geom)) BEGIN INSERT OR REPLACE INTO " +
           quotedIndex + values + trigger("update1") + " AFTER UPDATE OF geom ON " + quotedT +
           " WHEN OLD.fid = NEW.fid AND (NEW.geom NOTNULL AND NOT ST_IsEmpty(NEW.geom)) BEGIN "
           "INSERT OR REPLACE INTO " +
           quotedIndex + values + trigger("update2") + " AFTER UPDATE OF geom ON " + quotedT +
           " WHEN OLD.fid = NEW.fid AND (NEW.geom ISNULL OR ST_IsEmpty(NEW.geom)) BEGIN DELETE "
           "FROM " +
           quotedIndex + " WHERE id = OLD.fid; END;" + trigger("update3") + " AFTER UPDATE ON " +
           quotedT +
           " WHEN OLD.fid != NEW.fid AND (NEW.geom NOTNULL AND NOT ST_IsEmpty(NEW.geom)) BEGIN "
           "DELETE FROM " +
           quotedIndex + " WHERE id = OLD.fid; INSERT OR REPLACE INTO " + quotedIndex + values +
           trigger("update4") + " AFTER UPDATE ON " + quotedT +
           " WHEN OLD.fid != NEW.fid AND (NEW.geom ISNULL OR ST_IsEmpty(NEW.geom)) BEGIN DELETE "
           "FROM " +
           quotedIndex + " WHERE id IN (OLD.fid, NEW.fid); END;" + trigger("delete") +
           " AFTER DELETE ON " + quotedT + " WHEN old.geom NOT NULL BEGIN DELETE FROM " +
           quotedIndex + " WHERE id = OLD.fid; END;";
}

// Puts the file's bytes on the disk before its rename makes it the final one.
Outcome syncFile(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) return Outcome::failure(std::strerror(errno));
    const bool synced = ::fsync(descriptor) == 0;
    const int error = errno;
    ::close(descriptor);
    return synced ? Outcome{} : Outcome::failure(std::strerror(error));
}

std::string folderOf(const std::string& path) {
    const std::string parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}

// Removes the temporary files of this GeoPackage that runs killed while building it left
// beside it. Called with the folder locked: no other run is building one. Only regular
// files are removed, never through a link.
void removeAbandonedFiles(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path final(path);
    const std::string prefix = "." + final.filename().string() + std::string(TEMPORARY_NAME_MARK);
    std::error_code ec;
    std::vector<fs::path> abandoned;
    for (fs::directory_iterator it(fs::path(folderOf(path)), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (name.starts_with(prefix) && isTemporaryFileName(name) &&
            it->symlink_status(typeError).type() == fs::file_type::regular) {
            abandoned.push_back(it->path());
        }
    }
    for (const fs::path& file : abandoned) fs::remove(file, ec);
}

// The default style of the layer named name; groups, the sheets of each frame style.
LayerStyle styleOf(std::string_view name, const std::vector<FrameStyleGroup>& groups) {
    return name == "HypsA"   ? hypsAreaStyle()
           : name == "HypsP" ? hypsPointStyle()
           : name == "HypsL" ? hypsLineStyle()
           : name == "Frame" ? setFrameLineStyle(groups)
                             : frameLabelStyle();
}

}  // namespace

// One feature table: its schema, the statement that adds a feature, and the extent of
// what it holds.
class GeoPackageLayer {
  public:
    explicit GeoPackageLayer(LayerSchema schema) : schema_(std::move(schema)) {}

    const char* name() const { return schema_.name; }
    const char* geometryName() const { return projectGeometryName(schema_.shapeType); }

    Outcome create(Database& database, std::int32_t srsId) {
        srsId_ = srsId;
        const std::string table = quotedIdentifier(name());
        std::string columns = "fid INTEGER PRIMARY KEY NOT NULL, geom " +
                              std::string(geometryTypeName(schema_.shapeType)) + ", " +
                              quotedIdentifier(ID_COLUMN) + " MEDIUMINT";
        std::string insert = "INSERT INTO " + table + " (geom, " + quotedIdentifier(ID_COLUMN);
        std::string parameters = "?, ?";
        for (const FieldDef& field : schema_.fields) {
            columns += ", " + quotedIdentifier(field.name) + " " + columnType(field);
            insert += ", " + quotedIdentifier(field.name);
            parameters += ", ?";
        }
        columns += ", " + quotedIdentifier(SHEET_COLUMN) + " TEXT";
        insert += ", " + quotedIdentifier(SHEET_COLUMN) + ") VALUES (" + parameters + ", ?)";
        const std::string literal = quotedLiteral(name());
        const std::string srs = std::to_string(srsId);
        if (Outcome made = database.execute(
                "CREATE TABLE " + table + " (" + columns +
                ");"
                "INSERT INTO gpkg_contents (table_name, data_type, identifier, srs_id) VALUES (" +
                literal + ", 'features', " + literal + ", " + srs +
                ");"
                "INSERT INTO gpkg_geometry_columns VALUES (" +
                literal + ", 'geom', '" + geometryTypeName(schema_.shapeType) + "', " + srs +
                ", 0, 0);");
            !made) {
            return made;
        }
        texts_.resize(schema_.fields.size());
        return database.prepare(insert, insert_);
    }

    // Adds features of one sheet, numbered in Id from firstId on; geometryOf encodes a
    // feature's geometry into the blob, valuesOf gives its column values.
    template <typename Features, typename Encode, typename Values>
    Outcome add(Database& database, const Features& features, std::string_view sheetName,
                Encode encode, Values valuesOf, std::int32_t firstId = 1) {
        std::int32_t id = firstId - 1;
        for (const auto& feature : features) {
            encode(blob_, srsId_, feature);
            if (Outcome added = insert(database, ++id, valuesOf(feature), sheetName); !added) {
                return added.within("feature " + std::to_string(id));
            }
        }
        return {};
    }

    // Builds the spatial index from the envelopes in the geometry headers, adds the
    // triggers that keep it right when an editor later changes the table, and records the
    // layer's extent.
    Outcome index(Database& database) {
        insert_.reset();
        const std::string index = std::string("rtree_") + name() + "_" + GEOMETRY_COLUMN;
        const std::string literal = quotedLiteral(name());
        if (Outcome made = database.execute("CREATE VIRTUAL TABLE " + quotedIdentifier(index) +
                                            " USING rtree(id, minx, maxx, miny, maxy);");
            !made) {
            return made;
        }
        PackedRtree tree(database, index);
        if (Outcome packed = packRows(database, tree); !packed) return packed;
        Statement extent;
        if (Outcome prepared = database.prepare(
                "UPDATE gpkg_contents SET min_x = ?, max_x = ?, min_y = ?, max_y = ? "
                "WHERE table_name = " +
                    literal,
                extent);
            !prepared) {
            return prepared;
        }
        if (const std::optional<Envelope>& box = tree.extent()) {
            sqlite3_bind_double(extent.get(), 1, box->minX);
            sqlite3_bind_double(extent.get(), 2, box->maxX);
            sqlite3_bind_double(extent.get(), 3, box->minY);
            sqlite3_bind_double(extent.get(), 4, box->maxY);
        }
        if (Outcome stored = database.step(extent.get()); !stored) return stored;
        return database.execute(
            indexTriggers(name(), index) + "INSERT INTO gpkg_extensions VALUES (" + literal +
            ", 'geom', 'gpkg_rtree_index', 'http://www.geopackage.org/spec120/#extension_rtree', "
            "'write-only');");
    }

    void release() { insert_.reset(); }

  private:
    // The rows in the order of their ids, which is the order of the sheets.
    Outcome packRows(Database& database, PackedRtree& tree) {
        if (!tree.prepared()) return tree.prepared();
        Statement rows;
        if (Outcome prepared = database.prepare(
                "SELECT fid, geom FROM " + quotedIdentifier(name()) + " ORDER BY fid", rows);
            !prepared) {
            return prepared;
        }
        int status = SQLITE_ROW;
        while ((status = sqlite3_step(rows.get())) == SQLITE_ROW) {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(rows.get(), 1));
            const auto size = static_cast<std::size_t>(sqlite3_column_bytes(rows.get(), 1));
            if (bytes == nullptr) continue;
            if (const auto box = headerEnvelope(std::string_view(bytes, size))) {
                if (Outcome added = tree.add(sqlite3_column_int64(rows.get(), 0), *box); !added) {
                    return added;
                }
            }
        }
        // Stepping again would run the query anew from its first row.
        if (status != SQLITE_DONE) return database.failure("the features cannot be read");
        return tree.finish();
    }

    template <std::size_t N>
    Outcome insert(Database& database, std::int32_t id, const std::array<AttributeValue, N>& values,
                   std::string_view sheetName) {
        sqlite3_stmt* statement = insert_.get();
        sqlite3_bind_blob(statement, 1, blob_.data(), static_cast<int>(blob_.size()),
                          SQLITE_STATIC);
        sqlite3_bind_int(statement, 2, id);
        for (std::size_t k = 0; k < N && k < schema_.fields.size(); ++k) {
            const int column = static_cast<int>(k) + 3;
            if (const auto* number = std::get_if<std::int32_t>(&values[k])) {
                sqlite3_bind_int(statement, column, *number);
            } else if (const auto* real = std::get_if<double>(&values[k])) {
                sqlite3_bind_double(statement, column, *real);
            } else {
                const std::string_view text =
                    storedText(std::get<std::string_view>(values[k]), schema_.fields[k]);
                // A shapefile's table cannot tell an empty text from none, and reads it as
                // none: so is it stored.
                if (text.empty()) {
                    sqlite3_bind_null(statement, column);
                    continue;
                }
                // ASCII is the same in both encodings; most texts are figures.
                const bool ascii = std::all_of(text.begin(), text.end(), [](char c) {
                    return static_cast<unsigned char>(c) < 0x80;
                });
                if (!ascii) texts_[k] = cp1251ToUtf8(text);
                const std::string_view utf8 = ascii ? text : std::string_view(texts_[k]);
                sqlite3_bind_text(statement, column, utf8.data(), static_cast<int>(utf8.size()),
                                  SQLITE_STATIC);
            }
        }
        sqlite3_bind_text(statement, static_cast<int>(N) + 3, sheetName.data(),
                          static_cast<int>(sheetName.size()), SQLITE_STATIC);
        return database.step(statement);
    }

    LayerSchema schema_;
    std::int32_t srsId_ = 0;
    Statement insert_;
    std::string blob_;
    std::vector<std::string> texts_;
};

namespace {

void encodeArea(std::string& blob, std::int32_t srsId, const HypsArea& area) {
    encodePolygon(blob, srsId, area.ring);
}
void encodeNode(std::string& blob, std::int32_t srsId, const HypsNode& node) {
    encodePoint(blob, srsId, node.position);
}
void encodeHypsLine(std::string& blob, std::int32_t srsId, const HypsLine& line) {
    encodeLineString(blob, srsId, line.line);
}
void encodeFrameLine(std::string& blob, std::int32_t srsId, const FrameLine& line) {
    encodeLineString(blob, srsId, line.line);
}
void encodeLabel(std::string& blob, std::int32_t srsId, const Label& label) {
    encodeLineString(blob, srsId, label.centreLine);
}

}  // namespace

SetGeoPackage::SetGeoPackage(std::string path, CoordinateSystem cs, SetOfSheets set)
    : path_(std::move(path)), cs_(cs), set_(set) {
    const SystemRow system = systemRowOf(cs);
    if (system.code == 0) {
        opened_ = Outcome::failure("the coordinate system has no EPSG code");
        return;
    }
    lock_ = FolderLock::waitFor(folderOf(path_));
    if (!lock_.held()) {
        opened_ = lock_.outcome().within(folderOf(path_));
        return;
    }
    removeAbandonedFiles(path_);
    temporaryPath_ = temporaryNameFor(path_);
    const int descriptor =
        ::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
               NEW_FILE_MODE);
    if (descriptor < 0) {
        opened_ = Outcome::failure(path_ + ": " + std::strerror(errno));
        temporaryPath_.clear();
        return;
    }
    ::close(descriptor);
    database_ = Database::openExisting(temporaryPath_, opened_);
    if (opened_) {
        opened_ = database_.execute(
            "PRAGMA application_id = " + std::to_string(GEOPACKAGE_APPLICATION_ID) +
            "; PRAGMA user_version = " + std::to_string(GEOPACKAGE_VERSION) +
            "; PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;"
            " PRAGMA locking_mode = EXCLUSIVE; PRAGMA cache_size = -" +
            std::to_string(CACHE_KIBIBYTES) + "; BEGIN;" + CORE_SCHEMA +
            systemInsert(4326, "WGS 84 geodetic", WKT_WGS84) +
            systemInsert(system.code, system.name, system.definition));
    }
    opened_ = opened_.within(path_);
}

SetGeoPackage::~SetGeoPackage() {
    if (finished_) return;
    layers_.clear();
    index_.reset();
    (void)database_.close();
    if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
}

Outcome SetGeoPackage::failed(Outcome outcome) {
    if (!outcome && broken_) broken_ = outcome;
    return outcome;
}

GeoPackageLayer* SetGeoPackage::layerNamed(const char* name) {
    const auto found = std::find_if(layers_.begin(), layers_.end(), [&](const auto& layer) {
        return std::string_view(layer->name()) == name;
    });
    return found == layers_.end() ? nullptr : found->get();
}

Outcome SetGeoPackage::addSheet(const SheetForGeoPackage& sheet) {
    if (!opened_) return opened_;
    if (!broken_) return broken_;
    FrameStyleGroup& group =
        frameGroups_[{sheet.minuteBandWidthMm, sheet.rect.south, sheet.rect.north}];
    group.barWidthMm = sheet.minuteBandWidthMm;
    group.rect = sheet.rect;
    // The file's texts are UTF-8; the sheet's name, as every text of its features, is not.
    const std::string& name = group.sheets.emplace_back(cp1251ToUtf8(sheet.sheetName));
    sheetRects_.push_back(sheet.rect);
    Outcome added = addFeatures(sheet, name);
    if (added) added = addToIndex(sheet, name).within(sheetIndexSchema().name);
    return failed(added.within(path_ + ": " + name));
}

// The sheet's outline is its HypsA polygon; its result folder, as --out names it, is its
// name. The sheets are numbered through the set, as in the index's shapefile.
Outcome SetGeoPackage::addToIndex(const SheetForGeoPackage& sheet, std::string_view name) {
    if (!index_) {
        index_ = std::make_unique<GeoPackageLayer>(sheetIndexSchema());
        if (Outcome made = index_->create(database_, systemRowOf(cs_).code); !made) return made;
    }
    const std::int32_t series = denominatorOf(seriesMapScale(set_.series));
    const std::int32_t scale = denominatorOf(set_.mapScale);
    const auto values = [&](const HypsArea&) {
        return std::array<AttributeValue, 4>{sheet.sheetName, series, scale, sheet.sheetName};
    };
    return index_->add(database_, std::span(&sheet.hyps->area, 1), name, encodeArea, values,
                       static_cast<std::int32_t>(sheetRects_.size()));
}

Outcome SetGeoPackage::addFeatures(const SheetForGeoPackage& sheet, std::string_view name) {
    // Each layer is created by the first sheet that has it, whose own layer's creation is
    // then the step that can fail.
    const auto layer = [&](LayerSchema schema, Outcome& outcome) -> GeoPackageLayer* {
        if (GeoPackageLayer* found = layerNamed(schema.name)) return found;
        auto made = std::make_unique<GeoPackageLayer>(std::move(schema));
        outcome = made->create(database_, systemRowOf(cs_).code).within(made->name());
        layers_.push_back(std::move(made));
        return layers_.back().get();
    };
    const auto add = [&](LayerSchema schema, const auto& features, auto encode, auto values) {
        Outcome outcome;
        GeoPackageLayer* target = layer(std::move(schema), outcome);
        if (!outcome) return outcome;
        return target->add(database_, features, name, encode, values).within(target->name());
    };
    const auto areaValues = [](const HypsArea& a) { return columnValues(a.attributes); };
    const auto nodeValues = [](const HypsNode& n) { return columnValues(n.attributes); };
    const auto lineValues = [](const HypsLine& l) { return columnValues(l.attributes); };
    const auto frameValues = [](const FrameLine& l) { return columnValues(l); };
    std::string size;
    const auto labelValues = [&size](const Label& l) {
        size = sizeText(l.attributes.size);
        return columnValues(l.attributes, size);
    };
    const HypsFeatures& hyps = *sheet.hyps;
    const FrameFeatures& frame = *sheet.frame;
    Outcome outcome = add(hypsAreaSchema(), std::span(&hyps.area, 1), encodeArea, areaValues);
    if (outcome) outcome = add(hypsNodeSchema(), hyps.nodes, encodeNode, nodeValues);
    if (outcome) outcome = add(hypsLineSchema(), hyps.lines, encodeHypsLine, lineValues);
    if (outcome && frame.lines) {
        outcome = add(frameLineSchema(), *frame.lines, encodeFrameLine, frameValues);
    }
    if (outcome && frame.adjacentNames) {
        outcome = add(labelSchema("FrameAdj"), *frame.adjacentNames, encodeLabel, labelValues);
    }
    if (outcome && frame.coordinateLabels) {
        outcome = add(labelSchema("FrameDig"), *frame.coordinateLabels, encodeLabel, labelValues);
    }
    return outcome;
}

Outcome SetGeoPackage::storeStyles(const std::vector<FrameStyleGroup>& groups) {
    Statement insert;
    if (Outcome prepared = database_.prepare(
            "INSERT INTO layer_styles (f_table_catalog, f_table_schema, f_table_name, "
            "f_geometry_column, styleName, styleQML, styleSLD, useAsDefault, description, "
            "owner) VALUES ('', '', ?, 'geom', ?, ?, '', 1, ?, '')",
            insert);
        !prepared) {
        return prepared;
    }
    for (const auto& layer : layers_) {
        const std::string_view name = layer->name();
        const std::string document = styleDocument(styleOf(name, groups));
        const std::string description = "the style of " + std::string(name);
        sqlite3_bind_text(insert.get(), 1, name.data(), static_cast<int>(name.size()),
                          SQLITE_STATIC);
        sqlite3_bind_text(insert.get(), 2, name.data(), static_cast<int>(name.size()),
                          SQLITE_STATIC);
        sqlite3_bind_text(insert.get(), 3, document.data(), static_cast<int>(document.size()),
                          SQLITE_STATIC);
        sqlite3_bind_text(insert.get(), 4, description.data(), static_cast<int>(description.size()),
                          SQLITE_STATIC);
        if (Outcome stored = database_.step(insert.get()); !stored) return stored;
    }
    return {};
}

// The project of the users' GIS, packed as it packs its own (a zip holding the document)
// and stored as it stores one in a GeoPackage: the archive as hexadecimal text.
Outcome SetGeoPackage::storeProject(const std::vector<FrameStyleGroup>& groups) {
    std::vector<ProjectLayer> layers;
    // Top of the drawing order first: labels over lines over points over areas.
    for (const char* name : {"FrameDig", "FrameAdj", "Frame", "HypsP", "HypsL", "HypsA"}) {
        if (const GeoPackageLayer* layer = layerNamed(name)) {
            const std::string_view kind = layer->geometryName();
            layers.emplace_back(name,
                                std::string_view(name).starts_with("Frame") ? "FRAME" : "HYPS",
                                std::string(kind), styleOf(name, groups));
        }
    }
    const std::string name = std::filesystem::path(path_).stem().string();
    const std::string fileName = std::filesystem::path(path_).filename().string();
    const std::string document = atlasProjectDocument(
        {name, fileName, cs_, static_cast<double>(denominatorOf(set_.mapScale)), set_.paper,
         std::move(layers), sheetIndexSchema().name, sheetRects_});
    if (document.empty()) return Outcome::failure("the coordinate system has no projection text");
    const std::string archive = storedZip({{name + ".qgs", document}});
    Statement insert;
    if (Outcome prepared = database_.prepare(
            "INSERT INTO qgis_projects VALUES (?, json_object('last_modified_time', "
            "strftime('%Y-%m-%dT%H:%M:%S', 'now'), 'last_modified_user', ''), hex(?))",
            insert);
        !prepared) {
        return prepared;
    }
    sqlite3_bind_text(insert.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    sqlite3_bind_blob(insert.get(), 2, archive.data(), static_cast<int>(archive.size()),
                      SQLITE_STATIC);
    return database_.step(insert.get());
}

Outcome SetGeoPackage::finish() {
    if (!opened_) return opened_;
    if (!broken_) return broken_;
    Outcome outcome;
    for (const auto& layer : layers_) {
        if (outcome) outcome = layer->index(database_).within(layer->name());
    }
    if (outcome && index_) outcome = index_->index(database_).within(index_->name());
    std::vector<FrameStyleGroup> groups;
    for (auto& [key, group] : frameGroups_) groups.push_back(std::move(group));
    if (outcome) outcome = database_.execute(STYLE_TABLE);
    if (outcome) outcome = storeStyles(groups);
    if (outcome) outcome = database_.execute(PROJECT_TABLE);
    if (outcome) outcome = storeProject(groups).within("the stored project");
    if (outcome) outcome = database_.execute("COMMIT;");
    for (const auto& layer : layers_) layer->release();
    if (index_) index_->release();
    if (outcome) outcome = database_.close();
    if (outcome) outcome = syncFile(temporaryPath_);
    if (outcome && std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        outcome = Outcome::failure(std::strerror(errno));
    }
    finished_ = outcome.succeeded();
    return failed(outcome.within(path_));
}

}  // namespace sheetbasis
