#pragma once
// Reads a FRAME layer back through shapelib's own readers: every shape's vertices with its
// L_code and, for the label layers, its Text, Font and Size.

#include <shapefil.h>

#include <filesystem>
#include <string>
#include <vector>

#include "output/Geometry.h"

namespace sheetbasis {

struct ReadFeature {
    int code = 0;
    std::string text;
    std::string font;
    std::string size;
    std::vector<Point> points;
};

inline std::vector<ReadFeature> readFrameLayer(const std::filesystem::path& base) {
    std::vector<ReadFeature> features;
    SHPHandle shp = SHPOpen(base.string().c_str(), "rb");
    DBFHandle dbf = DBFOpen(base.string().c_str(), "rb");
    if (shp == nullptr || dbf == nullptr) {
        if (shp != nullptr) SHPClose(shp);
        if (dbf != nullptr) DBFClose(dbf);
        return features;
    }
    const int labelFields = DBFGetFieldIndex(dbf, "Text") >= 0;
    for (int i = 0; i < DBFGetRecordCount(dbf); ++i) {
        ReadFeature f;
        f.code = DBFReadIntegerAttribute(dbf, i, DBFGetFieldIndex(dbf, "L_code"));
        if (labelFields) {
            f.text = DBFReadStringAttribute(dbf, i, DBFGetFieldIndex(dbf, "Text"));
            f.font = DBFReadStringAttribute(dbf, i, DBFGetFieldIndex(dbf, "Font"));
            f.size = DBFReadStringAttribute(dbf, i, DBFGetFieldIndex(dbf, "Size"));
        }
        if (SHPObject* obj = SHPReadObject(shp, i)) {
            for (int v = 0; v < obj->nVertices; ++v)
                f.points.push_back({obj->padfX[v], obj->padfY[v]});
            SHPDestroyObject(obj);
        }
        features.push_back(std::move(f));
    }
    SHPClose(shp);
    DBFClose(dbf);
    return features;
}

}  // namespace sheetbasis
