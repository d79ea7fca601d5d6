// Moving frames inside the strip: where a drop lands and the order that a
// moved selection leaves.
#include "strip/thumbnaillogic.h"

#include <gtest/gtest.h>

TEST(FrameOrder, GapUnderThePointer)
{
    // Cells 86 x 100, 3 pixels apart: 3 columns in 300 pixels, 5 items.
    const ThumbnailGrid grid{86, 100, 3};
    struct Case { wxPoint point; int gap; };
    const Case cases[] = {
        {{10, 10}, 0},   {{60, 10}, 1},   // left and right half of the first cell
        {{299, 10}, 3},                   // the band right of the last column
        {{10, 110}, 3},  {{150, 110}, 5}, // second row; right half of the last item
        {{250, 110}, 5}, {{10, 500}, 5},  // past the last item
        {{-5, -5}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.gap, grid.GapAt(c.point, 300, 5)) << c.point.x << "," << c.point.y;
}

TEST(FrameOrder, SelectionMovesAsOneBlockInListOrder)
{
    struct Case { std::vector<int> selected; int gap; std::vector<int> order; };
    const Case cases[] = {
        {{1, 3}, 0, {1, 3, 0, 2, 4}},     {{1, 3}, 5, {0, 2, 4, 1, 3}},
        {{3, 1}, 3, {0, 2, 1, 3, 4}},     {{0}, 1, {0, 1, 2, 3, 4}},  // into its own place
        {{4, 9, -1}, 0, {4, 0, 1, 2, 3}}, {{}, 2, {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.order, OrderAfterMove(5, c.selected, c.gap)) << "gap " << c.gap;
}
