// Moving frames inside the strip: where a drop lands and the order that a
// moved selection leaves.
#include "window/thumbnaillogic.h"

#include <gtest/gtest.h>
#include <wx/defs.h>

namespace
{
// Cells 86 x 100 with 3 pixels between them: 3 columns in 300 pixels.
const ThumbnailGrid kGrid{86, 100, 3};
const int kWidth = 300;
} // namespace

TEST(FrameOrder, GapUnderThePointer)
{
    struct Case { wxPoint point; int gap; };
    const Case cases[] = {
        {{10, 10}, 0},    // left half of the first cell
        {{60, 10}, 1},    // its right half
        {{142, 10}, 2},   // right half of the second cell
        {{299, 10}, 3},   // the band right of the last column: after that column
        {{10, 110}, 3},   // first cell of the second row
        {{150, 110}, 5},  // right half of the last item
        {{250, 110}, 5},  // an empty cell after the last item
        {{10, 500}, 5},   // below every row
        {{-5, -5}, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.point.x << "," << c.point.y);
        EXPECT_EQ(c.gap, kGrid.GapAt(c.point, kWidth, 5));
    }
    EXPECT_EQ(0, kGrid.GapAt(wxPoint(50, 50), kWidth, 0));
}

TEST(FrameOrder, InsertionMarkSitsInTheSpacingBeforeTheGap)
{
    EXPECT_EQ(wxRect(89, 106, 3, 100), kGrid.GapMarkRect(4, kWidth, 5));
    // After the last item: right of its cell.
    EXPECT_EQ(wxRect(178, 106, 3, 100), kGrid.GapMarkRect(5, kWidth, 5));
    EXPECT_TRUE(kGrid.GapMarkRect(0, kWidth, 0).IsEmpty());
}

TEST(FrameOrder, SelectionMovesAsOneBlockInListOrder)
{
    struct Case { std::vector<int> selected; int gap; std::vector<int> order; };
    const Case cases[] = {
        {{1, 3}, 0, {1, 3, 0, 2, 4}},
        {{1, 3}, 5, {0, 2, 4, 1, 3}},
        {{3, 1}, 3, {0, 2, 1, 3, 4}},        // selection order does not matter
        {{0}, 1, {0, 1, 2, 3, 4}},           // into its own place
        {{2}, 0, {2, 0, 1, 3, 4}},
        {{4, 9, -1}, 0, {4, 0, 1, 2, 3}},    // invalid indices ignored
        {{}, 2, {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "gap " << c.gap);
        EXPECT_EQ(c.order, OrderAfterMove(5, c.selected, c.gap));
    }
}

TEST(FrameOrder, KeyboardStepStopsAtTheEnds)
{
    struct Case { std::vector<int> selected; int step; int gap; };
    const Case cases[] = {
        {{1, 3}, -1, 0}, {{1, 3}, +1, 5}, {{2}, +1, 4}, {{0}, -1, -1}, {{4}, +1, -1}, {{}, -1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.gap, StepGap(5, c.selected, c.step));
}
