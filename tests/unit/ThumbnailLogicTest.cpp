#include "support/TestEnvironment.h"
#include "window/thumbnailctrl.h"
#include "window/thumbnaillogic.h"

#include <gtest/gtest.h>

namespace
{
// Cells of 86 x 118 pixels (a 13-pixel text line) with 3 pixels between.
ThumbnailGrid MakeGrid()
{
    ThumbnailGrid grid;
    grid.itemWidth = 86;
    grid.itemHeight = 118;
    grid.spacing = 3;
    return grid;
}
} // namespace

TEST(ThumbnailFit, ShrinksToTheBoxKeepingProportionsAndNeverEnlarges)
{
    EXPECT_EQ(wxSize(60, 40), FitThumbnailSize(wxSize(60, 40), 80, 80));
    EXPECT_EQ(wxSize(80, 80), FitThumbnailSize(wxSize(80, 80), 80, 80));
    EXPECT_EQ(wxSize(80, 40), FitThumbnailSize(wxSize(400, 200), 80, 80));
    EXPECT_EQ(wxSize(40, 80), FitThumbnailSize(wxSize(200, 400), 80, 80));
    // Each side is truncated.
    EXPECT_EQ(wxSize(80, 53), FitThumbnailSize(wxSize(120, 80), 80, 80));
}

TEST(ThumbnailFit, ScaledImageHasTheFittedSize)
{
    wxImage wide(400, 200);
    wide.SetRGB(wxRect(0, 0, 400, 200), 10, 200, 30);
    const wxImage scaled = ScaleImageToFit(wide, 80, 80);
    ASSERT_TRUE(scaled.IsOk());
    EXPECT_EQ(wxSize(80, 40), scaled.GetSize());
    EXPECT_EQ(200, scaled.GetGreen(40, 20));

    EXPECT_EQ(wxSize(60, 40), ScaleImageToFit(wxImage(60, 40), 80, 80).GetSize());
}

TEST(ThumbnailFit, PictureWithASideOfZeroPixelsGetsNoThumbnail)
{
    EXPECT_EQ(wxSize(0, 80), FitThumbnailSize(wxSize(1, 500), 80, 80));
    EXPECT_FALSE(ScaleImageToFit(wxImage(1, 500), 80, 80).IsOk());
    EXPECT_FALSE(ScaleImageToFit(wxImage(900, 2), 80, 80).IsOk());
    EXPECT_FALSE(ScaleImageToFit(wxImage(), 80, 80).IsOk());
}

TEST(ThumbnailItemPath, LowerCaseGifFramesGetTheirFrameNumber)
{
    EXPECT_EQ("/x/anim.gif_0", ThumbnailItemPath("/x/anim.gif", 0));
    EXPECT_EQ("/x/anim.gif_3", ThumbnailItemPath("/x/anim.gif", 3));
    EXPECT_EQ("/x/ANIM.GIF", ThumbnailItemPath("/x/ANIM.GIF", 2));
    EXPECT_EQ("/x/a.png", ThumbnailItemPath("/x/a.png", 0));
    // A path that carries its suffix already is left alone.
    EXPECT_EQ("/x/anim.gif_0", ThumbnailItemPath("/x/anim.gif_0", 0));
}

TEST(FrameCaption, NumbersFromOneAndShowsTheStartTime)
{
    EXPECT_EQ("#4  0.30sec", FrameCaption(3, 10));
    EXPECT_EQ("#3  0.50sec", FrameCaption(2, 25));
    EXPECT_EQ("#1  0.00sec", FrameCaption(0, 250));
    EXPECT_EQ("#11  0.00sec", FrameCaption(10, 0));
    EXPECT_EQ("#101  7.00sec", FrameCaption(100, 7));
}

TEST(ThumbnailGrid, ColumnsFollowTheWidthWithAtLeastOne)
{
    const ThumbnailGrid grid = MakeGrid();
    EXPECT_EQ(1, grid.Columns(0));
    EXPECT_EQ(1, grid.Columns(88));
    EXPECT_EQ(1, grid.Columns(89 * 2 - 1));
    EXPECT_EQ(2, grid.Columns(89 * 2));
    EXPECT_EQ(3, grid.Columns(300));
    EXPECT_EQ(1, grid.VisibleRows(50));
    EXPECT_EQ(2, grid.VisibleRows(2 * 121 + 20));
}

TEST(ThumbnailGrid, CellsWrapIntoRows)
{
    const ThumbnailGrid grid = MakeGrid();
    EXPECT_EQ(wxRect(3, 3, 86, 118), grid.CellRect(0, 300));
    EXPECT_EQ(wxRect(92, 3 + 2 * (118 + 3), 86, 118), grid.CellRect(7, 300));

    EXPECT_EQ(0, grid.TotalHeight(0, 300));
    EXPECT_EQ(3 + 121, grid.TotalHeight(3, 300));
    EXPECT_EQ(3 + 3 * 121, grid.TotalHeight(7, 300));
}

TEST(ThumbnailGrid, EachItemAnswersForItsCellAndTheSpacingBeforeIt)
{
    const ThumbnailGrid grid = MakeGrid();
    EXPECT_EQ(0, grid.ItemAt(wxPoint(0, 0), 300, 10));
    EXPECT_EQ(0, grid.ItemAt(wxPoint(88, 120), 300, 10));
    EXPECT_EQ(1, grid.ItemAt(wxPoint(89, 120), 300, 10));
    EXPECT_EQ(3, grid.ItemAt(wxPoint(10, 121), 300, 10));
    EXPECT_EQ(7, grid.ItemAt(wxPoint(100, 250), 300, 10));
    // Below the last item, in an empty place of the last row, and in the
    // band right of the last whole column: nothing.
    EXPECT_EQ(-1, grid.ItemAt(wxPoint(10, 500), 300, 10));
    EXPECT_EQ(-1, grid.ItemAt(wxPoint(200, 370), 300, 10));
    EXPECT_EQ(-1, grid.ItemAt(wxPoint(270, 10), 300, 10));
    EXPECT_EQ(-1, grid.ItemAt(wxPoint(-1, 10), 300, 10));
    EXPECT_EQ(-1, grid.ItemAt(wxPoint(10, 10), 300, 0));
}

TEST(NavigationTarget, MovesWithinTheListAndStopsAtItsEnds)
{
    // 3 columns, 2 whole rows per page.
    EXPECT_EQ(7, NavigationTarget(WXK_PAGEDOWN, 1, 20, 3, 2));
    EXPECT_EQ(6, NavigationTarget(WXK_PAGEDOWN, 1, 7, 3, 2));
    EXPECT_EQ(4, NavigationTarget(WXK_PAGEDOWN, 1, 5, 3, 2));
    EXPECT_EQ(2, NavigationTarget(WXK_PAGEUP, 8, 20, 3, 2));
    EXPECT_EQ(0, NavigationTarget(WXK_PAGEUP, 4, 20, 3, 2));
    EXPECT_EQ(5, NavigationTarget(WXK_RIGHT, 4, 20, 3, 2));
    EXPECT_EQ(3, NavigationTarget(WXK_LEFT, 4, 20, 3, 2));
    EXPECT_EQ(7, NavigationTarget(WXK_DOWN, 4, 20, 3, 2));
    EXPECT_EQ(1, NavigationTarget(WXK_UP, 4, 20, 3, 2));
    EXPECT_EQ(0, NavigationTarget(WXK_HOME, 4, 20, 3, 2));
    EXPECT_EQ(19, NavigationTarget(WXK_END, 4, 20, 3, 2));

    EXPECT_EQ(-1, NavigationTarget(WXK_UP, 2, 20, 3, 2));
    EXPECT_EQ(-1, NavigationTarget(WXK_LEFT, 0, 20, 3, 2));
    EXPECT_EQ(-1, NavigationTarget(WXK_RIGHT, 19, 20, 3, 2));
    EXPECT_EQ(-1, NavigationTarget(WXK_DOWN, 17, 20, 3, 2));
    EXPECT_EQ(-1, NavigationTarget('A', 4, 20, 3, 2));
}

namespace
{
class CountedItem : public wxThumbnailItem
{
public:
    CountedItem(const wxString& path, int& alive) : wxThumbnailItem(path), m_alive(alive) { ++m_alive; }
    ~CountedItem() override { --m_alive; }

private:
    int& m_alive;
};
} // namespace

TEST(ThumbnailItemArray, OwnsItsItems)
{
    int alive = 0;
    {
        wxThumbnailItemArray items;
        items.Add(new CountedItem("a", alive));
        items.Add(new CountedItem("c", alive));
        items.Insert(new CountedItem("b", alive), 1);
        ASSERT_EQ(3u, items.size());
        EXPECT_EQ("b", items[1]->m_path);

        items.RemoveAt(0);
        EXPECT_EQ(2, alive);
        EXPECT_EQ("b", items[0]->m_path);
        {
            ExpectAssertions expected;
            items.RemoveAt(2);
            EXPECT_EQ(1, expected.Count());
            EXPECT_EQ("bad index in wxThumbnailItemArray::RemoveAt()", expected.LastMessage());
        }
        EXPECT_EQ(2u, items.size());
    }
    EXPECT_EQ(0, alive);

    wxThumbnailItemArray items;
    items.Add(new CountedItem("a", alive));
    items.Clear();
    EXPECT_EQ(0, alive);
    EXPECT_TRUE(items.IsEmpty());
}

TEST(ThumbnailEvent, CarriesIndexAndFlagsThroughClone)
{
    wxThumbnailEvent plain(wxEVT_COMMAND_THUMBNAIL_RETURN, 3);
    EXPECT_EQ(-1, plain.GetIndex());
    EXPECT_EQ(0, plain.GetFlags());
    EXPECT_EQ(3, plain.GetId());

    wxThumbnailEvent event(wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK, 3);
    event.SetIndex(7);
    event.SetFlags(THUMB_MOD_SHIFT | THUMB_MOD_ALT);
    std::unique_ptr<wxEvent> copy(event.Clone());
    auto* thumbnailCopy = wxDynamicCast(copy.get(), wxThumbnailEvent);
    ASSERT_NE(nullptr, thumbnailCopy);
    EXPECT_EQ(7, thumbnailCopy->GetIndex());
    EXPECT_EQ(5, thumbnailCopy->GetFlags());
    EXPECT_EQ(wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK, thumbnailCopy->GetEventType());
    // Unhandled notifications travel up to the parent window.
    EXPECT_TRUE(thumbnailCopy->IsCommandEvent());
}

TEST(ThumbnailClasses, AreKnownToTheToolkitByTheirOwnNames)
{
    const wxClassInfo* ctrl = wxClassInfo::FindClass("wxThumbnailCtrl");
    ASSERT_NE(nullptr, ctrl);
    EXPECT_TRUE(ctrl->IsKindOf(wxCLASSINFO(wxScrolledWindow)));
    EXPECT_FALSE(ctrl->IsDynamic());

    const wxClassInfo* item = wxClassInfo::FindClass("wxThumbnailItem");
    ASSERT_NE(nullptr, item);
    EXPECT_STREQ(wxT("wxObject"), item->GetBaseClassName1());
    EXPECT_FALSE(item->IsDynamic());

    const wxClassInfo* imageItem = wxClassInfo::FindClass("wxImageThumbnailItem");
    ASSERT_NE(nullptr, imageItem);
    EXPECT_STREQ(wxT("wxThumbnailItem"), imageItem->GetBaseClassName1());

    const wxClassInfo* event = wxClassInfo::FindClass("wxThumbnailEvent");
    ASSERT_NE(nullptr, event);
    EXPECT_STREQ(wxT("wxNotifyEvent"), event->GetBaseClassName1());
}
