#include "gpkg/PackedRtree.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace sheetbasis {
namespace {

constexpr std::int64_t ROOT_NODE = 1;

template <typename Unsigned>
void appendBigEndian(std::string& bytes, Unsigned value) {
    for (int shift = 8 * (static_cast<int>(sizeof value) - 1); shift >= 0; shift -= 8) {
        bytes += static_cast<char>((value >> shift) & 0xFF);
    }
}

Envelope unionOf(const std::optional<Envelope>& a, const Envelope& b) {
    if (!a) return b;
    return {std::min(a->minX, b.minX), std::max(a->maxX, b.maxX), std::min(a->minY, b.minY),
            std::max(a->maxY, b.maxY)};
}

}  // namespace

float lowerFloatBound(double value) {
    const auto rounded = static_cast<float>(value);
    return static_cast<double>(rounded) > value
               ? std::nextafter(rounded, -std::numeric_limits<float>::infinity())
               : rounded;
}

float upperFloatBound(double value) {
    const auto rounded = static_cast<float>(value);
    return static_cast<double>(rounded) < value
               ? std::nextafter(rounded, std::numeric_limits<float>::infinity())
               : rounded;
}

void appendRtreeCell(std::string& node, std::int64_t id, const Envelope& box) {
    appendBigEndian(node, static_cast<std::uint64_t>(id));
    for (float bound : {lowerFloatBound(box.minX), upperFloatBound(box.maxX),
                        lowerFloatBound(box.minY), upperFloatBound(box.maxY)}) {
        appendBigEndian(node, std::bit_cast<std::uint32_t>(bound));
    }
}

PackedRtree::PackedRtree(Database& db, const std::string& indexName) : db_(db) {
    const std::string node = quotedIdentifier(indexName + "_node");
    Statement rootSize;
    prepared_ = db_.prepare("SELECT length(data) FROM " + node + " WHERE nodeno = 1", rootSize);
    if (prepared_ && sqlite3_step(rootSize.get()) == SQLITE_ROW) {
        nodeBytes_ = static_cast<std::size_t>(sqlite3_column_int(rootSize.get(), 0));
    }
    if (prepared_ && nodeBytes_ <= RTREE_NODE_HEADER_BYTES + RTREE_CELL_BYTES) {
        prepared_ = Outcome::failure("the index " + indexName + " has no root node");
    }
    cellsPerNode_ = (nodeBytes_ - RTREE_NODE_HEADER_BYTES) / RTREE_CELL_BYTES;
    if (prepared_) {
        prepared_ = db_.prepare("INSERT OR REPLACE INTO " + node + " VALUES (?, ?)", insertNode_);
    }
    if (prepared_) {
        prepared_ = db_.prepare(
            "INSERT INTO " + quotedIdentifier(indexName + "_rowid") + " VALUES (?, ?)", insertRow_);
    }
    if (prepared_) {
        prepared_ =
            db_.prepare("INSERT INTO " + quotedIdentifier(indexName + "_parent") + " VALUES (?, ?)",
                        insertParent_);
    }
}

Outcome PackedRtree::writeNode(std::int64_t nodeNumber, std::uint16_t depth,
                               const std::string& cells, std::size_t count) {
    nodeBuffer_.clear();
    appendBigEndian(nodeBuffer_, depth);
    appendBigEndian(nodeBuffer_, static_cast<std::uint16_t>(count));
    nodeBuffer_ += cells;
    nodeBuffer_.resize(nodeBytes_, '\0');
    sqlite3_bind_int64(insertNode_.get(), 1, nodeNumber);
    sqlite3_bind_blob(insertNode_.get(), 2, nodeBuffer_.data(),
                      static_cast<int>(nodeBuffer_.size()), SQLITE_STATIC);
    return db_.step(insertNode_.get());
}

Outcome PackedRtree::writeParent(std::int64_t child, std::int64_t parent) {
    sqlite3_bind_int64(insertParent_.get(), 1, child);
    sqlite3_bind_int64(insertParent_.get(), 2, parent);
    return db_.step(insertParent_.get());
}

Outcome PackedRtree::flushLeaf(std::int64_t nodeNumber) {
    if (Outcome written = writeNode(nodeNumber, 0, leafCells_, leafIds_.size()); !written) {
        return written;
    }
    for (std::int64_t id : leafIds_) {
        sqlite3_bind_int64(insertRow_.get(), 1, id);
        sqlite3_bind_int64(insertRow_.get(), 2, nodeNumber);
        if (Outcome row = db_.step(insertRow_.get()); !row) return row;
    }
    leaves_.push_back({nodeNumber, *leafBox_});
    leafCells_.clear();
    leafIds_.clear();
    leafBox_.reset();
    return {};
}

Outcome PackedRtree::add(std::int64_t id, const Envelope& box) {
    if (!prepared_) return prepared_;
    if (leafIds_.size() == cellsPerNode_) {
        if (Outcome flushed = flushLeaf(nextNode_++); !flushed) return flushed;
    }
    appendRtreeCell(leafCells_, id, box);
    leafIds_.push_back(id);
    leafBox_ = unionOf(leafBox_, box);
    extent_ = unionOf(extent_, box);
    return {};
}

// Groups each level's entries into full parent nodes until one node, the root, holds them.
Outcome PackedRtree::writeLevels(std::vector<Entry> entries) {
    std::uint16_t depth = 1;
    while (entries.size() > cellsPerNode_) {
        std::vector<Entry> parents;
        for (std::size_t first = 0; first < entries.size(); first += cellsPerNode_) {
            const std::size_t end = std::min(first + cellsPerNode_, entries.size());
            const std::int64_t parent = nextNode_++;
            std::string cells;
            std::optional<Envelope> box;
            for (std::size_t k = first; k < end; ++k) {
                appendRtreeCell(cells, entries[k].node, entries[k].box);
                box = unionOf(box, entries[k].box);
                if (Outcome linked = writeParent(entries[k].node, parent); !linked) return linked;
            }
            if (Outcome written = writeNode(parent, 0, cells, end - first); !written) {
                return written;
            }
            parents.push_back({parent, *box});
        }
        entries = std::move(parents);
        ++depth;
    }
    std::string cells;
    for (const Entry& entry : entries) {
        appendRtreeCell(cells, entry.node, entry.box);
        if (Outcome linked = writeParent(entry.node, ROOT_NODE); !linked) return linked;
    }
    return writeNode(ROOT_NODE, depth, cells, entries.size());
}

Outcome PackedRtree::finish() {
    if (!prepared_) return prepared_;
    // Rows that fit one node make the root a leaf.
    if (leaves_.empty()) return leafIds_.empty() ? Outcome{} : flushLeaf(ROOT_NODE);
    if (!leafIds_.empty()) {
        if (Outcome flushed = flushLeaf(nextNode_++); !flushed) return flushed;
    }
    return writeLevels(std::move(leaves_));
}

}  // namespace sheetbasis
