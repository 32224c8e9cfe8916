#pragma once
// The spatial index of a table built in one pass: the boxes of its rows, given in the
// order of the rows, are packed into full nodes of an SQLite R*Tree index, written straight
// into the index's node, row and parent tables. A set's rows come sheet by sheet and each
// sheet's features lie close together, so consecutive rows make compact nodes. Inserting
// row by row instead costs the index's node choice and splits for every row, several times
// the cost of writing the rows.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gpkg/Database.h"
#include "gpkg/GeometryBlob.h"

namespace sheetbasis {

// Cells of an R*Tree node: the row id (8 bytes) and min x, max x, min y, max y as 32-bit
// floats, big-endian; the node begins with the tree's depth (root only) and its cell count.
inline constexpr std::size_t RTREE_CELL_BYTES = 24;
inline constexpr std::size_t RTREE_NODE_HEADER_BYTES = 4;

// A 32-bit float bound that holds the double bound: rounded down for a minimum, up for a
// maximum, so that the stored box contains the feature.
float lowerFloatBound(double value);
float upperFloatBound(double value);

// Appends the cell of a row to a node's bytes.
void appendRtreeCell(std::string& node, std::int64_t id, const Envelope& box);

class PackedRtree {
  public:
    // For the index `indexName` (a virtual rtree table just created, still empty) of db.
    PackedRtree(Database& db, const std::string& indexName);
    const Outcome& prepared() const { return prepared_; }
    // The next row's box; rows come in the order they are to be packed.
    Outcome add(std::int64_t id, const Envelope& box);
    // Writes the last leaf and the levels above it up to the root.
    Outcome finish();
    // The box of every row added; nothing when none was.
    const std::optional<Envelope>& extent() const { return extent_; }

  private:
    struct Entry {
        std::int64_t node;
        Envelope box;
    };
    Outcome writeNode(std::int64_t nodeNumber, std::uint16_t depth, const std::string& cells,
                      std::size_t count);
    Outcome writeParent(std::int64_t child, std::int64_t parent);
    Outcome flushLeaf(std::int64_t nodeNumber);
    Outcome writeLevels(std::vector<Entry> entries);

    Database& db_;
    std::size_t nodeBytes_ = 0;
    std::size_t cellsPerNode_ = 0;
    Statement insertNode_;
    Statement insertRow_;
    Statement insertParent_;
    Outcome prepared_;
    std::string leafCells_;
    std::vector<std::int64_t> leafIds_;
    std::optional<Envelope> leafBox_;
    std::optional<Envelope> extent_;
    std::vector<Entry> leaves_;
    std::int64_t nextNode_ = 2;  // node 1 is the root
    std::string nodeBuffer_;
};

}  // namespace sheetbasis
