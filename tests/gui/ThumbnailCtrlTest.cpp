// The thumbnail strip on its own: items, scrolling, editing, selection,
// mouse, keys and the look of its cells.
#include "gui/StripTestSupport.h"
#include "support/TestEnvironment.h"
#include "support/TestImages.h"

#include <wx/settings.h>

#include <utility>

using Indices = std::vector<int>;

namespace
{
// Anchor, focused item and last selected item.
Indices CursorOf(const wxThumbnailCtrl* strip)
{
    return {strip->GetAnchor(), strip->GetFocusItem(), strip->GetLastSelected()};
}
const Indices kNoCursor{-1, -1, -1};

Indices SelectionOf(const wxThumbnailCtrl* strip)
{
    const wxArrayInt& selections = strip->GetSelections();
    return Indices(selections.begin(), selections.end());
}
} // namespace

TEST_F(StripTest, LoadingMakesTheBitmapsAndSuffixesLowerCaseGifPathsOnce)
{
    wxImageThumbnailItem* wide = MakePictureItem(m_dir, "anim.gif", wxSize(400, 200));
    ASSERT_EQ(0, m_strip->Append(wide, 10));
    EXPECT_EQ(10, m_strip->m_frameDelay);
    EXPECT_EQ(wxSize(400, 200), wide->m_fullBitmap.GetSize());
    EXPECT_EQ(wxSize(80, 40), wide->m_thumbnail.GetSize());
    EXPECT_EQ(nullptr, wide->m_image);
    EXPECT_TRUE(wide->LoadThumbnail(m_strip));
    EXPECT_EQ(m_dir + "/anim.gif_0", wide->m_path);

    // Too thin for a thumbnail: the item keeps its image and is still taken.
    wxImageThumbnailItem* thin = MakePictureItem(m_dir, "ANIM.GIF", wxSize(1, 500));
    thin->m_frameIndex = 2;
    ASSERT_EQ(1, m_strip->Append(thin, 12));
    EXPECT_EQ(m_dir + "/ANIM.GIF", thin->m_path);
    EXPECT_FALSE(thin->m_thumbnail.IsOk());
    EXPECT_NE(nullptr, thin->m_image);
    EXPECT_TRUE(thin->m_fullBitmap.IsOk());
}

TEST_F(StripTest, MissingFileMakesAppendRefuseButInsertKeep)
{
    auto* gone = new wxImageThumbnailItem(new wxImage(20, 20), 0, m_dir + "/gone.png");
    EXPECT_EQ(-1, m_strip->Append(gone, 0));
    EXPECT_EQ(0, m_strip->GetCount());
    EXPECT_NE(nullptr, gone->m_image); // refused: still the caller's, with its image
    EXPECT_EQ(0, m_strip->Insert(gone, 0));
    EXPECT_EQ(gone, m_strip->GetItem(0));
}

TEST_F(StripTest, BadIndicesAreAssertedAndHarmless)
{
    FillStrip(m_strip, m_dir, 3);
    ExpectAssertions expected;
    EXPECT_EQ(nullptr, m_strip->GetItem(-1));
    wxRect rect;
    EXPECT_FALSE(m_strip->GetItemRect(3, rect));
    m_strip->Select(3);
    m_strip->SetFocusItem(3);
    m_strip->Delete(-1);
    wxThumbnailItem* late = MakePictureItem(m_dir, "late.png");
    EXPECT_EQ(-1, m_strip->Insert(late, 5));
    delete late;
    EXPECT_EQ(6, expected.Count());
    EXPECT_EQ(3, m_strip->GetCount());
    EXPECT_TRUE(m_strip->GetSelections().IsEmpty());
    EXPECT_EQ(-1, m_strip->GetFocusItem());
}

TEST_F(StripTest, ScrollRangeFollowsTheGridAndTheItemOfInterestIsBroughtIntoView)
{
    SetStripClientSize(320, 200);
    EXPECT_EQ(0, m_strip->GetScrollLines(wxVERTICAL));
    // Nothing is laid out before the outermost resume.
    m_strip->SuspendUpdates();
    m_strip->SuspendUpdates();
    FillStrip(m_strip, m_dir, 30);
    m_strip->ResumeUpdates();
    EXPECT_EQ(0, m_strip->GetScrollLines(wxVERTICAL));
    m_strip->ResumeUpdates();
    EXPECT_EQ((3 + 10 * (m_strip->GetItemHeight() + 3)) / 10, m_strip->GetScrollLines(wxVERTICAL));

    m_strip->ApplyClickSelection(0, 0);
    SendChar(m_strip, WXK_END);
    wxRect cell;
    m_strip->GetItemRect(29, cell, true);
    // Scrolling goes in steps of 10 pixels: a cell may stay cut by less.
    EXPECT_GE(cell.y, 0);
    EXPECT_LE(cell.GetBottom(), m_strip->GetClientSize().y + 9);
    SendChar(m_strip, WXK_HOME);
    EXPECT_EQ(0, m_strip->GetViewStart().y);

    // Clicking an item cut by the top edge brings its top into view.
    m_strip->Scroll(0, 25);
    const int top = m_strip->GetViewStart().y;
    int hit = -1;
    ASSERT_TRUE(m_strip->ItemAtPoint(wxPoint(10, 2), hit));
    SendMouse(m_strip, wxEVT_LEFT_DOWN, wxPoint(10, 2));
    m_strip->GetItemRect(hit, cell, true);
    EXPECT_GE(cell.y, 0);
    EXPECT_LT(m_strip->GetViewStart().y, top);

    // A grid shorter than the window needs no scrolling.
    m_strip->Scroll(0, 1000);
    while (m_strip->GetCount() > 3)
        m_strip->Delete(m_strip->GetCount() - 1);
    EXPECT_EQ(0, m_strip->GetScrollLines(wxVERTICAL));
    EXPECT_EQ(0, m_strip->GetViewStart().y);
}

TEST_F(StripTest, EditingMovesSelectedIndicesWithTheirItemsAndForgetsAnchorAndFocus)
{
    FillStrip(m_strip, m_dir, 5);
    m_strip->Select(4);
    m_strip->Select(1);
    FillStrip(m_strip, m_dir, 1);
    EXPECT_EQ((Indices{4, 1}), SelectionOf(m_strip));
    EXPECT_EQ(kNoCursor, CursorOf(m_strip));

    m_strip->Select(2);
    wxThumbnailItem* inserted = MakePictureItem(m_dir, "new.png");
    EXPECT_EQ(2, m_strip->Insert(inserted, 2));
    EXPECT_EQ(inserted, m_strip->GetItem(2));
    EXPECT_EQ((Indices{5, 1, 3}), SelectionOf(m_strip));
    EXPECT_EQ(kNoCursor, CursorOf(m_strip));
    EXPECT_EQ(7, m_strip->Insert(MakePictureItem(m_dir, "end.png"), 7));

    // Delete keeps a larger focus index, which then names the next item.
    wxThumbnailItem* sixth = m_strip->GetItem(6);
    m_strip->Select(7);
    m_strip->SetFocusItem(5);
    m_strip->Delete(3);
    EXPECT_EQ((Indices{4, 1, 6}), SelectionOf(m_strip));
    EXPECT_EQ(5, m_strip->GetFocusItem());
    EXPECT_EQ(sixth, m_strip->GetItem(5));
    m_strip->Delete(5);
    EXPECT_EQ(-1, m_strip->GetFocusItem());

    m_strip->Clear();
    EXPECT_TRUE(m_strip->GetSelections().IsEmpty());
    EXPECT_EQ(kNoCursor, CursorOf(m_strip));
}

TEST_F(StripTest, SelectAllAddsToThePreviousSelectionAndNeedsItems)
{
    wxUpdateUIEvent whileEmpty(wxID_SELECTALL);
    m_strip->ProcessWindowEvent(whileEmpty);
    EXPECT_FALSE(whileEmpty.GetEnabled());
    FillStrip(m_strip, m_dir, 5);
    m_strip->Select(3);
    m_strip->Select(1);
    EventRecorder recorder(m_strip);
    wxCommandEvent command(wxEVT_MENU, wxID_SELECTALL);
    m_strip->ProcessWindowEvent(command);
    EXPECT_EQ((Indices{3, 1, 0, 2, 4}), SelectionOf(m_strip));
    EXPECT_EQ((Indices{4, 4, 4}), CursorOf(m_strip));
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(StripTest, ButtonsSelectLikeAFileListAndReportTheChangedItemsFirst)
{
    FillStrip(m_strip, m_dir, 8);
    const int rowPitch = m_strip->GetItemHeight() + 3;
    const auto at = [this](int n) { return CentreOfItem(m_strip, n); };
    const std::vector<std::pair<int, int>> twoAndFour{{2, 0}, {4, THUMB_MOD_CONTROL}};
    const int shift = THUMB_MOD_SHIFT, control = THUMB_MOD_CONTROL;
    const struct
    {
        std::vector<std::pair<int, int>> before; // earlier clicks: item and flags
        wxEventType type;
        wxPoint point;
        int flags;
        Events events;
        Indices selection;
        Indices cursor;
    } presses[] = {
        {{{2, 0}, {7, control}}, wxEVT_LEFT_DOWN, at(5), 0,
         {"DESELECTED 2", "DESELECTED 7", "SELECTED 5", "LEFT_CLICK 5"}, {5}, {5, 5, 5}},
        // Alt alone counts as no modifier.
        {twoAndFour, wxEVT_LEFT_DOWN, at(6), THUMB_MOD_ALT,
         {"DESELECTED 2", "DESELECTED 4", "SELECTED 6", "LEFT_CLICK 6 flags 4"}, {6}, {6, 6, 6}},
        {{{1, 0}}, wxEVT_LEFT_DOWN, at(4), shift,
         {"SELECTED 1", "SELECTED 2", "SELECTED 3", "SELECTED 4", "LEFT_CLICK 4 flags 1"}, {1, 2, 3, 4}, {1, 4, 4}},
        {{{1, 0}, {4, shift}}, wxEVT_LEFT_DOWN, at(0), shift, {"SELECTED 1", "SELECTED 0", "LEFT_CLICK 0 flags 1"},
         {1, 0}, {1, 0, 0}},
        {{{1, 0}, {4, shift}}, wxEVT_LEFT_DOWN, at(1), shift, {"SELECTED 1", "LEFT_CLICK 1 flags 1"}, {1}, {1, 1, 1}},
        // Right after filling there is no anchor.
        {{}, wxEVT_LEFT_DOWN, at(6), shift, {"SELECTED 6", "LEFT_CLICK 6 flags 1"}, {6}, {6, 6, 6}},
        {twoAndFour, wxEVT_LEFT_DOWN, at(2), control, {"DESELECTED 2", "LEFT_CLICK 2 flags 2"}, {4}, {2, 2, 2}},
        {{{2, 0}}, wxEVT_LEFT_DOWN, at(6), control | shift, {"SELECTED 6", "LEFT_CLICK 6 flags 3"}, {2, 6}, {6, 6, 6}},
        // The other buttons only report; the right one moves the focus.
        {twoAndFour, wxEVT_RIGHT_DOWN, at(5), shift, {"RIGHT_CLICK 5 flags 1"}, {2, 4}, {4, 5, 4}},
        {twoAndFour, wxEVT_MIDDLE_DOWN, at(3), control, {"MIDDLE_CLICK 3 flags 2"}, {2, 4}, {4, 4, 4}},
        {twoAndFour, wxEVT_LEFT_DCLICK, at(7), 0, {"LEFT_DCLICK 7"}, {2, 4}, {4, 4, 4}},
        // Right of the last whole column, below the last row and in the
        // empty part of the last row.
        {twoAndFour, wxEVT_LEFT_DOWN, wxPoint(290, 10), 0, {}, {2, 4}, {4, 4, 4}},
        {twoAndFour, wxEVT_RIGHT_DOWN, wxPoint(10, 3 * rowPitch), 0, {}, {2, 4}, {4, 4, 4}},
        {twoAndFour, wxEVT_MIDDLE_DOWN, wxPoint(200, 2 * rowPitch + 10), 0, {}, {2, 4}, {4, 4, 4}},
        {twoAndFour, wxEVT_LEFT_DCLICK, wxPoint(200, 2 * rowPitch + 10), 0, {}, {2, 4}, {4, 4, 4}},
    };
    for (const auto& press : presses)
    {
        SCOPED_TRACE(testing::Message() << "press " << &press - presses);
        m_strip->Clear();
        FillStrip(m_strip, m_dir, 8);
        for (const auto& click : press.before)
            m_strip->ApplyClickSelection(click.first, click.second);
        EventRecorder recorder(m_strip);
        SendMouse(m_strip, press.type, press.point, press.flags);
        EXPECT_EQ(press.events, recorder.events);
        EXPECT_EQ(press.selection, SelectionOf(m_strip));
        EXPECT_EQ(press.cursor, CursorOf(m_strip));
    }
}

TEST_F(StripTest, KeysMoveTheSelectionLikeAFileList)
{
    EXPECT_FALSE(m_strip->Navigate(WXK_DOWN, 0));
    // 3 columns and 2 whole rows in view.
    SetStripClientSize(300, 2 * (m_strip->GetItemHeight() + 3) + 40);
    FillStrip(m_strip, m_dir, 20);
    const struct
    {
        int key;
        int flags;
        Events events;
        Indices selection;
    } steps[] = {
        // Without a starting point any key lands on the first item.
        {WXK_END, 0, {"SELECTED 0"}, {0}},
        {WXK_RIGHT, 0, {"DESELECTED 0", "SELECTED 1"}, {1}},
        {WXK_UP, 0, {}, {1}},
        {WXK_PAGEDOWN, 0, {"DESELECTED 1", "SELECTED 7"}, {7}},
        {WXK_UP, 0, {"DESELECTED 7", "SELECTED 4"}, {4}},
        {WXK_DOWN, THUMB_MOD_SHIFT, {"SELECTED 4", "SELECTED 5", "SELECTED 6", "SELECTED 7"}, {4, 5, 6, 7}},
        {WXK_LEFT, THUMB_MOD_CONTROL, {"DESELECTED 6"}, {4, 5, 7}},
        {WXK_RETURN, THUMB_MOD_SHIFT, {"RETURN -1 flags 1"}, {4, 5, 7}},
        {WXK_END, 0, {"DESELECTED 4", "DESELECTED 5", "DESELECTED 7", "SELECTED 19"}, {19}},
        {WXK_RIGHT, 0, {}, {19}},
        {WXK_PAGEUP, 0, {"DESELECTED 19", "SELECTED 13"}, {13}},
        {WXK_RIGHT, 0, {"DESELECTED 13", "SELECTED 14"}, {14}},
        {WXK_PAGEDOWN, 0, {"DESELECTED 14", "SELECTED 19"}, {19}},
        {WXK_HOME, 0, {"DESELECTED 19", "SELECTED 0"}, {0}},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(testing::Message() << "step " << &step - steps);
        EventRecorder recorder(m_strip);
        SendChar(m_strip, step.key, step.flags);
        EXPECT_EQ(step.events, recorder.events);
        EXPECT_EQ(step.selection, SelectionOf(m_strip));
    }

    // A focus left past the end by Delete counts as none.
    m_strip->ApplyClickSelection(19, 0);
    m_strip->Delete(18);
    ASSERT_EQ(19, m_strip->GetFocusItem());
    SendChar(m_strip, WXK_LEFT);
    EXPECT_EQ((Indices{0}), SelectionOf(m_strip));
}

TEST_F(StripTest, SelectedCellsLookSunkenAndDarkerWhileFocused)
{
    FillStrip(m_strip, m_dir, 2);
    m_strip->Select(1);
    wxRect plain, selected;
    m_strip->GetItemRect(0, plain);
    m_strip->GetItemRect(1, selected);
    const wxImage focused = RenderStrip(m_strip, true);
    const wxImage unfocused = RenderStrip(m_strip, false);
    EXPECT_EQ(0x8C8C8Cu, PixelColour(focused, selected.x + 1, selected.y + 1));
    EXPECT_EQ(0xAFAFAFu, PixelColour(unfocused, selected.x + 1, selected.y + 1));
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    EXPECT_EQ(uint32_t(face.Red() << 16 | face.Green() << 8 | face.Blue()),
              PixelColour(unfocused, plain.x + 1, plain.y + 1));
    EXPECT_EQ(0u, PixelColour(focused, selected.x, selected.y + 20));       // the sunken cell's shadow
    EXPECT_EQ(0u, PixelColour(focused, plain.x + 20, plain.GetBottom())); // the raised cell's shadow
}
