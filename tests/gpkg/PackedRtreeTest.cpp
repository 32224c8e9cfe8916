#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "gpkg/PackedRtree.h"

namespace sheetbasis {
namespace {

// An empty database file of its own, removed with the test.
class ScratchDatabase {
  public:
    ScratchDatabase() {
        char name[] = "/tmp/packed-rtree-XXXXXX";
        const int descriptor = ::mkstemp(name);
        ::close(descriptor);
        path_ = name;
        Outcome opened;
        db = Database::openExisting(path_, opened);
        EXPECT_TRUE(opened) << opened.reason();
    }
    ~ScratchDatabase() {
        (void)db.close();
        ::unlink(path_.c_str());
    }
    std::string scalar(const std::string& sql) {
        Statement statement;
        EXPECT_TRUE(db.prepare(sql, statement));
        EXPECT_EQ(sqlite3_step(statement.get()), SQLITE_ROW);
        const auto* text = sqlite3_column_text(statement.get(), 0);
        return text == nullptr ? std::string() : reinterpret_cast<const char*>(text);
    }
    std::set<std::int64_t> ids(const std::string& sql) {
        Statement statement;
        EXPECT_TRUE(db.prepare(sql, statement));
        std::set<std::int64_t> found;
        while (sqlite3_step(statement.get()) == SQLITE_ROW) {
            found.insert(sqlite3_column_int64(statement.get(), 0));
        }
        return found;
    }
    Database db;

  private:
    std::string path_;
};

// Boxes laid out as a set's features are: sheet after sheet along a row, small features
// close together within a sheet.
Envelope boxOf(std::int64_t id) {
    const double sheet = static_cast<double>(id / 100);
    const double within = static_cast<double>(id % 100) / 100.0;
    const double x = sheet + within;
    const double y = 50.0 + within * 0.5;
    return {x, x + 0.004, y, y + 0.002};
}

// Row counts around the node's capacity (51 cells of 24 bytes in 1228-byte nodes) and
// its square, where the tree gains a level.
TEST(PackedRtree, TreeIsWholeAndFindsWhatAScanFinds) {
    for (const std::int64_t rows : {0, 1, 51, 52, 2601, 2602, 20000}) {
        SCOPED_TRACE(rows);
        ScratchDatabase scratch;
        ASSERT_TRUE(
            scratch.db.execute("BEGIN; CREATE VIRTUAL TABLE t USING rtree(id, minx, "
                               "maxx, miny, maxy);"));
        PackedRtree tree(scratch.db, "t");
        ASSERT_TRUE(tree.prepared()) << tree.prepared().reason();
        for (std::int64_t id = 1; id <= rows; ++id) ASSERT_TRUE(tree.add(id, boxOf(id)));
        ASSERT_TRUE(tree.finish());
        ASSERT_TRUE(scratch.db.execute("COMMIT;"));

        EXPECT_EQ(scratch.scalar("SELECT rtreecheck('t')"), "ok");
        EXPECT_EQ(scratch.scalar("SELECT count(*) FROM t"), std::to_string(rows));
        EXPECT_EQ(tree.extent().has_value(), rows > 0);
        const Envelope query{3.2, 5.7, 50.1, 50.3};
        std::set<std::int64_t> scanned;
        for (std::int64_t id = 1; id <= rows; ++id) {
            const Envelope b = boxOf(id);
            if (b.minX <= query.maxX && b.maxX >= query.minX && b.minY <= query.maxY &&
                b.maxY >= query.minY) {
                scanned.insert(id);
            }
        }
        EXPECT_EQ(scratch.ids("SELECT id FROM t WHERE minx <= 5.7 AND maxx >= 3.2 AND miny <= "
                              "50.3 AND maxy >= 50.1"),
                  scanned);
        // The index stays usable for an editor: a row added and one deleted afterwards.
        ASSERT_TRUE(
            scratch.db.execute("INSERT INTO t VALUES (999999, 1, 2, 3, 4); DELETE FROM t "
                               "WHERE id = 1;"));
        EXPECT_EQ(scratch.scalar("SELECT rtreecheck('t')"), "ok");
    }
}

}  // namespace
}  // namespace sheetbasis
