#include "support/TestEnvironment.h"
#include "window/thumbnailctrl.h"
#include "window/thumbnaillogic.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

TEST(ThumbnailFit, ShrinksToTheBoxKeepingProportionsAndNeverEnlarges)
{
    const struct
    {
        wxSize picture, fitted;
    } cases[] = {{{60, 40}, {60, 40}},  {{80, 80}, {80, 80}},   {{400, 200}, {80, 40}},
                 {{200, 400}, {40, 80}}, {{120, 100}, {80, 66}}, {{1, 500}, {0, 80}}};
    for (const auto& c : cases)
        EXPECT_EQ(c.fitted, FitThumbnailSize(c.picture, 80, 80)) << c.picture.x << " x " << c.picture.y;

    wxImage wide(400, 200);
    wide.SetRGB(wxRect(0, 0, 400, 200), 10, 200, 30);
    const wxImage scaled = ScaleImageToFit(wide, 80, 80);
    ASSERT_TRUE(scaled.IsOk());
    EXPECT_EQ(wxSize(80, 40), scaled.GetSize());
    EXPECT_EQ(200, scaled.GetGreen(40, 20));
    EXPECT_EQ(wxSize(60, 40), ScaleImageToFit(wxImage(60, 40), 80, 80).GetSize());
    // A side of 0 pixels: no thumbnail.
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
    EXPECT_EQ("/x/anim.gif_0", ThumbnailItemPath("/x/anim.gif_0", 0));
}

TEST(FrameCaption, NumbersFromOneAndShowsTheStartTime)
{
    EXPECT_EQ("#4  0.30sec", FrameCaption(3, 10));
    EXPECT_EQ("#3  0.50sec", FrameCaption(2, 25));
    EXPECT_EQ("#1  0.00sec", FrameCaption(0, 250));
    EXPECT_EQ("#101  7.00sec", FrameCaption(100, 7));
}

namespace
{
// Cells of 86 x 118 pixels (a 13-pixel text line) with 3 pixels between.
const ThumbnailGrid kGrid{86, 118, 3};
} // namespace

TEST(ThumbnailGrid, ColumnsRowsAndHeightFollowTheClientSize)
{
    EXPECT_EQ(1, kGrid.Columns(0));
    EXPECT_EQ(1, kGrid.Columns(89 * 2 - 1));
    EXPECT_EQ(2, kGrid.Columns(89 * 2));
    EXPECT_EQ(3, kGrid.Columns(300));
    EXPECT_EQ(1, kGrid.VisibleRows(50));
    EXPECT_EQ(2, kGrid.VisibleRows(2 * 121 + 20));
    EXPECT_EQ(wxRect(3, 3, 86, 118), kGrid.CellRect(0, 300));
    EXPECT_EQ(0, kGrid.TotalHeight(0, 300));
    EXPECT_EQ(3 + 121, kGrid.TotalHeight(3, 300));
    EXPECT_EQ(3 + 3 * 121, kGrid.TotalHeight(7, 300));
}

TEST(ThumbnailGrid, EachItemAnswersForItsCellAndTheSpacingBeforeIt)
{
    // 10 items in 3 columns of 89 pixels and rows of 121.
    const struct
    {
        wxPoint point;
        int item;
    } cases[] = {{{0, 0}, 0},    {{88, 120}, 0}, {{89, 120}, 1}, {{10, 121}, 3}, {{100, 250}, 7},
                 // below the last item, in an empty place of the last row, in the
                 // band right of the last whole column, left of the window
                 {{10, 500}, -1}, {{200, 370}, -1}, {{270, 10}, -1}, {{-1, 10}, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(c.item, kGrid.ItemAt(c.point, 300, 10)) << c.point.x << ", " << c.point.y;
    EXPECT_EQ(-1, kGrid.ItemAt(wxPoint(10, 10), 300, 0));
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
        EXPECT_EQ("b", items[1]->m_path);
        items.RemoveAt(0);
        EXPECT_EQ(2, alive);
        EXPECT_EQ("b", items[0]->m_path);
        {
            ExpectAssertions expected;
            items.RemoveAt(2);
            EXPECT_EQ("bad index in wxThumbnailItemArray::RemoveAt()", expected.LastMessage());
        }
        EXPECT_EQ(2u, items.size());
        items.Clear();
        EXPECT_EQ(0, alive);
        items.Add(new CountedItem("a", alive));
    }
    EXPECT_EQ(0, alive);
}

TEST(ThumbnailEvent, CarriesIndexAndFlagsThroughClone)
{
    wxThumbnailEvent event(wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK, 3);
    EXPECT_EQ(-1, event.GetIndex());
    EXPECT_EQ(0, event.GetFlags());
    event.SetIndex(7);
    event.SetFlags(THUMB_MOD_SHIFT | THUMB_MOD_ALT);
    std::unique_ptr<wxEvent> copy(event.Clone());
    auto* thumbnailCopy = dynamic_cast<wxThumbnailEvent*>(copy.get());
    ASSERT_NE(nullptr, thumbnailCopy);
    EXPECT_EQ(7, thumbnailCopy->GetIndex());
    EXPECT_EQ(5, thumbnailCopy->GetFlags());
    EXPECT_EQ(3, thumbnailCopy->GetId());
    EXPECT_EQ(wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK, thumbnailCopy->GetEventType());
    // Unhandled notifications travel up to the parent window.
    EXPECT_TRUE(thumbnailCopy->IsCommandEvent());
}

TEST(ThumbnailClasses, AreKnownToTheToolkitByTheirOwnNames)
{
    const std::vector<std::pair<wxString, wxString>> classes{{"wxThumbnailCtrl", "wxScrolledWindow"},
                                                             {"wxThumbnailItem", "wxObject"},
                                                             {"wxImageThumbnailItem", "wxThumbnailItem"},
                                                             {"wxThumbnailEvent", "wxNotifyEvent"}};
    for (const auto& [name, base] : classes)
    {
        const wxClassInfo* info = wxClassInfo::FindClass(name);
        ASSERT_NE(nullptr, info) << name;
        EXPECT_EQ(base, info->GetBaseClassName1());
        // Only the event can be made by name; the strip and its items need
        // their arguments.
        EXPECT_EQ(name == "wxThumbnailEvent", info->IsDynamic()) << name;
    }
}
