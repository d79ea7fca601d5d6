#include "window/thumbnailctrl.h"
#include "window/thumbnaillogic.h"

#include <gtest/gtest.h>

TEST(ThumbnailFit, ShrinksToTheBoxKeepingProportionsAndNeverEnlarges)
{
    const struct
    {
        wxSize picture, fitted;
    } cases[] = {{{60, 40}, {60, 40}},  {{80, 80}, {80, 80}},   {{400, 200}, {80, 40}},
                 {{200, 400}, {40, 80}}, {{120, 100}, {80, 66}}, {{1, 500}, {0, 80}}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.picture.x << " x " << c.picture.y);
        EXPECT_EQ(c.fitted, FitThumbnailSize(c.picture, 80, 80));
        // A side of 0 pixels: no thumbnail.
        const wxImage scaled = ScaleImageToFit(wxImage(c.picture), 80, 80);
        EXPECT_EQ(c.fitted.x > 0 ? c.fitted : wxSize(0, 0), scaled.IsOk() ? scaled.GetSize() : wxSize(0, 0));
    }
    EXPECT_FALSE(ScaleImageToFit(wxImage(), 80, 80).IsOk());
}

// Fine detail (text, dithering, a one-pixel checkerboard) shows as its
// average colour in the thumbnail, not as whichever of its pixels a sample
// happens to land on; so does partial transparency.
TEST(ThumbnailFit, FineDetailShowsAsItsAverage)
{
    const struct
    {
        wxSize picture;
        bool withAlpha;
    } cases[] = {{{160, 160}, false}, {{1920, 1080}, false}, {{320, 80}, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.picture.x << " x " << c.picture.y);
        wxImage checkerboard(c.picture.x, c.picture.y);
        if (c.withAlpha)
            checkerboard.SetAlpha();
        for (int y = 0; y < c.picture.y; ++y)
            for (int x = 0; x < c.picture.x; ++x)
            {
                const unsigned char level = (x + y) % 2 ? 255 : 0;
                checkerboard.SetRGB(x, y, level, level, level);
                if (c.withAlpha)
                    checkerboard.SetAlpha(x, y, 255 - level);
            }
        const wxImage thumbnail = ScaleImageToFit(checkerboard, 80, 80);
        ASSERT_EQ(FitThumbnailSize(c.picture, 80, 80), thumbnail.GetSize());
        for (const wxPoint& at : {wxPoint(0, 0), wxPoint(thumbnail.GetWidth() / 2, thumbnail.GetHeight() - 1)})
        {
            EXPECT_NEAR(128, thumbnail.GetRed(at.x, at.y), 2);
            EXPECT_EQ(c.withAlpha, thumbnail.HasAlpha());
            if (c.withAlpha)
            {
                EXPECT_NEAR(128, thumbnail.GetAlpha(at.x, at.y), 2);
            }
        }
    }
}

TEST(ThumbnailTexts, PathsOfLowerCaseGifFramesAndCaptions)
{
    EXPECT_EQ("/x/anim.gif_3", ThumbnailItemPath("/x/anim.gif", 3));
    EXPECT_EQ("/x/ANIM.GIF", ThumbnailItemPath("/x/ANIM.GIF", 2));
    EXPECT_EQ("/x/anim.gif_0", ThumbnailItemPath("/x/anim.gif_0", 0));
    // Numbered from one, with the time the frame starts.
    EXPECT_EQ("#4  0.30sec", FrameCaption(3, 30));
    EXPECT_EQ("#1  0.00sec", FrameCaption(0, 0));
    EXPECT_EQ("#101  7.00sec", FrameCaption(100, 700));
}

namespace
{
// Cells of 86 x 118 pixels with 3 pixels between: pitches of 89 and 121.
const ThumbnailGrid kGrid{86, 118, 3};
} // namespace

TEST(ThumbnailGrid, LayoutFollowsTheClientSize)
{
    EXPECT_EQ(1, kGrid.Columns(0));
    EXPECT_EQ(1, kGrid.Columns(89 * 2 - 1));
    EXPECT_EQ(2, kGrid.Columns(89 * 2));
    EXPECT_EQ(2, kGrid.VisibleRows(2 * 121 + 20));
    EXPECT_EQ(wxRect(3 + 89, 3 + 121, 86, 118), kGrid.CellRect(4, 300));
    EXPECT_EQ(0, kGrid.TotalHeight(0, 300));
    EXPECT_EQ(3 + 3 * 121, kGrid.TotalHeight(7, 300));
    // 10 items in 3 columns: each answers for its cell and the spacing
    // before it; nothing answers below the last item, in the empty part of
    // the last row, right of the last whole column or left of the window.
    const std::pair<wxPoint, int> hits[] = {{{0, 0}, 0},     {{88, 120}, 0},   {{89, 120}, 1},
                                            {{100, 250}, 7}, {{10, 500}, -1},  {{200, 370}, -1},
                                            {{270, 10}, -1}, {{-1, 10}, -1}};
    for (const auto& [point, item] : hits)
        EXPECT_EQ(item, kGrid.ItemAt(point, 300, 10)) << point.x << ", " << point.y;
}

TEST(NavigationTarget, MovesWithinTheListAndStopsAtItsEnds)
{
    // 20 items in 3 columns, 2 whole rows per page; -1 is no move.
    const struct
    {
        int key, from, count, target;
    } cases[] = {{WXK_PAGEDOWN, 1, 20, 7}, {WXK_PAGEDOWN, 1, 7, 6}, {WXK_PAGEUP, 8, 20, 2}, {WXK_PAGEUP, 4, 20, 0},
                 {WXK_RIGHT, 18, 20, 19},  {WXK_LEFT, 4, 20, 3},   {WXK_DOWN, 16, 20, 19}, {WXK_UP, 3, 20, 0},
                 {WXK_HOME, 4, 20, 0},     {WXK_END, 4, 20, 19},   {WXK_UP, 2, 20, -1},    {WXK_LEFT, 0, 20, -1},
                 {WXK_RIGHT, 19, 20, -1},  {WXK_DOWN, 17, 20, -1}, {'A', 4, 20, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(c.target, NavigationTarget(c.key, c.from, c.count, 3, 2)) << "key " << c.key << " from " << c.from;
}
