#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "geo/Line.h"

namespace sheetbasis {
namespace {

// A line of n distinct vertices, built vertex by vertex as the walks build theirs.
Line walk(int n) {
    Line line;
    for (int i = 0; i < n; ++i) line.push_back({i + 0.5, -i * 2.0});
    return line;
}

// Moves from `from` into `to` and leaves `from` as a move leaves it, for the test to look
// at afterwards.
void moveAssign(Line& to, Line& from) {
    to = std::move(from);
}

std::vector<double> xs(const Line& line) {
    std::vector<double> result;
    for (const Point& p : line) result.push_back(p.x);
    return result;
}

// Lengths on both sides of the two vertices a line holds in itself: every copy and move
// between them must keep the vertices and leave nothing shared (the sanitizer build
// catches a double release or a read of released vertices).
TEST(LineTest, CopiesAndMovesKeepTheVerticesAcrossTheInlineRoom) {
    for (int from = 0; from <= 5; ++from) {
        for (int to = 0; to <= 5; ++to) {
            SCOPED_TRACE(testing::Message() << from << " vertices over " << to);
            const Line original = walk(from);
            const std::vector<double> expected = xs(original);

            Line copied = walk(to);
            copied = original;
            EXPECT_EQ(xs(copied), expected);

            Line moved = walk(to);
            Line source = original;
            moveAssign(moved, source);
            EXPECT_EQ(xs(moved), expected);
            EXPECT_TRUE(source.empty());
            source.push_back({7, 7});  // and still usable
            EXPECT_EQ(xs(source), std::vector<double>{7});

            Line constructed(std::move(moved));
            EXPECT_EQ(constructed, original);
            EXPECT_EQ(constructed == walk(to), from == to);
        }
    }
}

TEST(LineTest, SelfAssignmentKeepsTheVertices) {
    for (int n : {1, 2, 3, 9}) {
        Line line = walk(n);
        const Line& same = line;
        line = same;
        EXPECT_EQ(line, walk(n));
    }
}

}  // namespace
}  // namespace sheetbasis
