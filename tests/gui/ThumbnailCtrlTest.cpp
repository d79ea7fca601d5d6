// The thumbnail strip on its own: items, grid, editing, selection, mouse
// and keys.
#include "gui/StripTestSupport.h"
#include "support/TestEnvironment.h"

#include <wx/filefn.h>

using Events = std::vector<RecordedEvent>;
using Indices = std::vector<int>;

// --- Items ------------------------------------------------------------------

TEST_F(StripTest, LoadingMakesBothBitmapsAndReleasesTheImage)
{
    wxImageThumbnailItem* item = MakePictureItem(m_dir, "wide.png", wxSize(400, 200));
    ASSERT_EQ(0, m_strip->Append(item, 10));
    EXPECT_EQ(m_dir + "/wide.png", item->m_path);
    ASSERT_TRUE(item->m_fullBitmap.IsOk());
    EXPECT_EQ(wxSize(400, 200), item->m_fullBitmap.GetSize());
    ASSERT_TRUE(item->m_thumbnail.IsOk());
    EXPECT_EQ(wxSize(80, 40), item->m_thumbnail.GetSize());
    EXPECT_EQ(nullptr, item->m_image);
    EXPECT_EQ(10, m_strip->m_frameDelay);

    wxImageThumbnailItem* small = MakePictureItem(m_dir, "small.png", wxSize(60, 40));
    ASSERT_EQ(1, m_strip->Append(small, 12));
    EXPECT_EQ(wxSize(60, 40), small->m_thumbnail.GetSize());
    EXPECT_EQ(12, m_strip->m_frameDelay);
}

TEST_F(StripTest, GifFramesGetTheirSuffixOnce)
{
    WritePicture(m_dir, "anim.gif", wxSize(20, 20), *wxBLUE);
    auto* frame = new wxImageThumbnailItem(new wxImage(20, 20), 0, m_dir + "/anim.gif");
    ASSERT_EQ(0, m_strip->Append(frame, 0));
    EXPECT_EQ(m_dir + "/anim.gif_0", frame->m_path);
    EXPECT_TRUE(frame->LoadThumbnail(m_strip));
    EXPECT_EQ(m_dir + "/anim.gif_0", frame->m_path);

    WritePicture(m_dir, "ANIM.GIF", wxSize(20, 20), *wxBLUE);
    auto* upper = new wxImageThumbnailItem(new wxImage(20, 20), 2, m_dir + "/ANIM.GIF");
    ASSERT_EQ(1, m_strip->Append(upper, 0));
    EXPECT_EQ(m_dir + "/ANIM.GIF", upper->m_path);
}

TEST_F(StripTest, MissingFileMakesAppendRefuseButInsertKeep)
{
    auto* gone = new wxImageThumbnailItem(new wxImage(20, 20), 0, m_dir + "/gone.png");
    EXPECT_EQ(-1, m_strip->Append(gone, 0));
    EXPECT_EQ(0, m_strip->GetCount());
    // Refused: the item is still the caller's, with its image.
    EXPECT_NE(nullptr, gone->m_image);
    EXPECT_FALSE(gone->m_thumbnail.IsOk());

    EXPECT_EQ(0, m_strip->Insert(gone, 0));
    ASSERT_EQ(1, m_strip->GetCount());
    EXPECT_EQ(gone, m_strip->GetItem(0));
    EXPECT_FALSE(gone->m_fullBitmap.IsOk());
}

TEST_F(StripTest, TooThinPictureKeepsItsImageAndIsStillAccepted)
{
    wxImageThumbnailItem* thin = MakePictureItem(m_dir, "thin.png", wxSize(1, 500));
    ASSERT_EQ(0, m_strip->Append(thin, 0));
    EXPECT_FALSE(thin->m_thumbnail.IsOk());
    EXPECT_NE(nullptr, thin->m_image);
    EXPECT_TRUE(thin->m_fullBitmap.IsOk());
}

TEST_F(StripTest, IndexPreconditionsAreAssertedAndHarmless)
{
    FillStrip(m_strip, m_dir, 3);
    ExpectAssertions expected;
    EXPECT_EQ(nullptr, m_strip->GetItem(3));
    EXPECT_EQ(nullptr, m_strip->GetItem(-1));
    wxRect rect;
    EXPECT_FALSE(m_strip->GetItemRect(3, rect));
    m_strip->Select(-1);
    m_strip->Select(3);
    m_strip->SetFocusItem(3);
    m_strip->Delete(-1);
    m_strip->Delete(3);
    wxThumbnailItem* late = MakePictureItem(m_dir, "late.png");
    EXPECT_EQ(-1, m_strip->Insert(late, 5));
    delete late;
    EXPECT_EQ(9, expected.Count());
    EXPECT_EQ(3, m_strip->GetCount());
    EXPECT_TRUE(m_strip->GetSelections().IsEmpty());
    EXPECT_EQ(-1, m_strip->GetFocusItem());
}

// --- Grid and scrolling -----------------------------------------------------------

TEST_F(StripTest, ColumnsFollowTheClientWidth)
{
    FillStrip(m_strip, m_dir, 9);
    const int itemHeight = m_strip->GetItemHeight();
    EXPECT_EQ(86, m_strip->GetItemWidth());
    EXPECT_EQ(92 + 2 * m_strip->GetTextHeight(), itemHeight);

    wxRect cell;
    ASSERT_TRUE(m_strip->GetItemRect(7, cell, false));
    EXPECT_EQ(wxRect(92, 3 + 2 * (itemHeight + 3), 86, itemHeight), cell);
    int row = -1, col = -1;
    ASSERT_TRUE(m_strip->GetRowCol(7, m_strip->GetClientSize(), row, col));
    EXPECT_EQ(2, row);
    EXPECT_EQ(1, col);
    wxRect picture;
    ASSERT_TRUE(m_strip->GetItemRectImage(7, picture, false));
    EXPECT_EQ(wxRect(95, cell.y + 6 + m_strip->GetTextHeight(), 80, 80), picture);

    SetStripClientSize(60, 600);
    ASSERT_TRUE(m_strip->GetItemRect(7, cell, false));
    EXPECT_EQ(wxPoint(3, 3 + 7 * (itemHeight + 3)), cell.GetPosition());
}

TEST_F(StripTest, ScrollRangeFollowsTheGridAndReturnsToTheTop)
{
    SetStripClientSize(320, 200);
    EXPECT_EQ(0, m_strip->GetScrollLines(wxVERTICAL));

    FillStrip(m_strip, m_dir, 30);
    const int rowPitch = m_strip->GetItemHeight() + 3;
    EXPECT_EQ((3 + 10 * rowPitch) / 10, m_strip->GetScrollLines(wxVERTICAL));

    m_strip->Scroll(0, 1000);
    EXPECT_GT(m_strip->GetViewStart().y, 0);
    while (m_strip->GetCount() > 3)
        m_strip->Delete(m_strip->GetCount() - 1);
    // A grid shorter than the window needs no scrolling.
    EXPECT_EQ(0, m_strip->GetScrollLines(wxVERTICAL));
    EXPECT_EQ(0, m_strip->GetViewStart().y);

    m_strip->Clear();
    EXPECT_EQ(0, m_strip->GetScrollLines(wxVERTICAL));
}

TEST_F(StripTest, ClickedAndNavigatedItemsAreScrolledIntoView)
{
    SetStripClientSize(320, 200);
    FillStrip(m_strip, m_dir, 30);
    const int last = m_strip->GetCount() - 1;

    m_strip->ApplyClickSelection(0, 0);
    SendChar(m_strip, WXK_END);
    wxRect cell;
    m_strip->GetItemRect(last, cell, true);
    // The scroll position is a multiple of 10 pixels, so a cell can stay cut
    // by the few pixels that do not make a whole step.
    EXPECT_GE(cell.y, 0);
    EXPECT_LE(cell.GetBottom(), m_strip->GetClientSize().y + 9);

    SendChar(m_strip, WXK_HOME);
    EXPECT_EQ(0, m_strip->GetViewStart().y);

    m_strip->Scroll(0, 25);
    const int top = m_strip->GetViewStart().y;
    ASSERT_GT(top, 0);
    // Clicking an item cut by the top edge brings its top into view.
    int hit = -1;
    ASSERT_TRUE(m_strip->ItemAtPoint(wxPoint(10, 2), hit));
    SendMouse(m_strip, wxEVT_LEFT_DOWN, wxPoint(10, 2));
    m_strip->GetItemRect(hit, cell, true);
    EXPECT_GE(cell.y, 0);
    EXPECT_LT(m_strip->GetViewStart().y, top);
}

// --- Editing keeps the selection right --------------------------------------------

TEST_F(StripTest, AppendKeepsTheSelectionButForgetsAnchorAndFocus)
{
    FillStrip(m_strip, m_dir, 4);
    m_strip->Select(1);
    m_strip->Select(3);
    FillStrip(m_strip, m_dir, 1);
    EXPECT_EQ((Indices{1, 3}), SelectionOf(m_strip));
    EXPECT_EQ(-1, m_strip->GetAnchor());
    EXPECT_EQ(-1, m_strip->GetFocusItem());
    EXPECT_EQ(-1, m_strip->GetLastSelected());
}

TEST_F(StripTest, InsertShiftsSelectedItemsAtAndAfterThePosition)
{
    FillStrip(m_strip, m_dir, 5);
    m_strip->Select(4);
    m_strip->Select(1);
    m_strip->Select(2);
    wxThumbnailItem* inserted = MakePictureItem(m_dir, "new.png");
    EXPECT_EQ(2, m_strip->Insert(inserted, 2));
    EXPECT_EQ(inserted, m_strip->GetItem(2));
    EXPECT_EQ((Indices{5, 1, 3}), SelectionOf(m_strip));
    EXPECT_EQ(-1, m_strip->GetAnchor());
    EXPECT_EQ(-1, m_strip->GetFocusItem());

    EXPECT_EQ(6, m_strip->Insert(MakePictureItem(m_dir, "end.png"), 6));
    EXPECT_EQ(7, m_strip->GetCount());
}

TEST_F(StripTest, DeleteDropsTheIndexAndShiftsLargerOnes)
{
    FillStrip(m_strip, m_dir, 8);
    wxThumbnailItem* sixth = m_strip->GetItem(6);
    m_strip->Select(2);
    m_strip->Select(7);
    m_strip->Select(0);
    m_strip->SetFocusItem(5);

    m_strip->Delete(2);
    EXPECT_EQ(7, m_strip->GetCount());
    EXPECT_EQ((Indices{6, 0}), SelectionOf(m_strip));
    // The focus index stays and so names the item that followed.
    EXPECT_EQ(5, m_strip->GetFocusItem());
    EXPECT_EQ(sixth, m_strip->GetItem(5));

    m_strip->Delete(5);
    EXPECT_EQ(-1, m_strip->GetFocusItem());
}

TEST_F(StripTest, ClearEmptiesItemsSelectionAndFocus)
{
    FillStrip(m_strip, m_dir, 4);
    m_strip->Select(1);
    m_strip->Select(2);
    m_strip->Clear();
    EXPECT_EQ(0, m_strip->GetCount());
    EXPECT_TRUE(m_strip->GetSelections().IsEmpty());
    EXPECT_EQ(-1, m_strip->GetFocusItem());
    EXPECT_EQ(-1, m_strip->GetAnchor());
}

TEST_F(StripTest, SuspendedUpdatesWaitForTheOutermostResume)
{
    SetStripClientSize(320, 200);
    m_strip->SuspendUpdates();
    m_strip->SuspendUpdates();
    FillStrip(m_strip, m_dir, 30);
    EXPECT_EQ(0, m_strip->GetScrollLines(wxVERTICAL));
    m_strip->ResumeUpdates();
    EXPECT_EQ(0, m_strip->GetScrollLines(wxVERTICAL));
    m_strip->ResumeUpdates();
    EXPECT_GT(m_strip->GetScrollLines(wxVERTICAL), 0);
}

// --- Selection --------------------------------------------------------------

TEST_F(StripTest, SelectAllFollowsThePreviousSelectionAndFocusesTheLast)
{
    FillStrip(m_strip, m_dir, 5);
    m_strip->Select(3);
    m_strip->Select(1);
    EventRecorder recorder(m_strip);
    m_strip->SelectAll();
    EXPECT_EQ((Indices{3, 1, 0, 2, 4}), SelectionOf(m_strip));
    EXPECT_EQ(4, m_strip->GetFocusItem());
    EXPECT_EQ(4, m_strip->GetAnchor());
    EXPECT_EQ(4, m_strip->GetLastSelected());
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(StripTest, SelectAllCommandIsEnabledOnlyWithItems)
{
    wxUpdateUIEvent update(wxID_SELECTALL);
    m_strip->ProcessWindowEvent(update);
    EXPECT_FALSE(update.GetEnabled());
    wxCommandEvent command(wxEVT_MENU, wxID_SELECTALL);
    m_strip->ProcessWindowEvent(command);
    EXPECT_EQ(-1, m_strip->GetFocusItem());

    FillStrip(m_strip, m_dir, 2);
    wxUpdateUIEvent again(wxID_SELECTALL);
    m_strip->ProcessWindowEvent(again);
    EXPECT_TRUE(again.GetEnabled());
    m_strip->ProcessWindowEvent(command);
    EXPECT_EQ((Indices{0, 1}), SelectionOf(m_strip));
}

TEST_F(StripTest, PlainClickSelectsTheItemAlone)
{
    FillStrip(m_strip, m_dir, 9);
    m_strip->Select(2);
    m_strip->Select(7);
    EventRecorder recorder(m_strip);
    m_strip->ApplyClickSelection(5, 0);
    EXPECT_EQ((Events{Deselected(2), Deselected(7), Selected(5)}), recorder.events);
    EXPECT_EQ((Indices{5}), SelectionOf(m_strip));
    EXPECT_EQ(5, m_strip->GetFocusItem());
    EXPECT_EQ(5, m_strip->GetAnchor());

    // Alt alone counts as no modifier; the clicked item is reported once.
    recorder.events.clear();
    m_strip->ApplyClickSelection(5, THUMB_MOD_ALT);
    EXPECT_EQ((Events{Selected(5)}), recorder.events);
}

TEST_F(StripTest, ShiftClickSelectsTheRangeFromTheAnchor)
{
    FillStrip(m_strip, m_dir, 9);
    m_strip->ApplyClickSelection(1, 0);
    EventRecorder recorder(m_strip);
    m_strip->ApplyClickSelection(4, THUMB_MOD_SHIFT);
    EXPECT_EQ((Events{Selected(1), Selected(2), Selected(3), Selected(4)}), recorder.events);
    EXPECT_EQ((Indices{1, 2, 3, 4}), SelectionOf(m_strip));
    EXPECT_EQ(1, m_strip->GetAnchor());
    EXPECT_EQ(4, m_strip->GetFocusItem());

    // A further Shift step extends from the same anchor, downwards too.
    recorder.events.clear();
    m_strip->ApplyClickSelection(0, THUMB_MOD_SHIFT);
    EXPECT_EQ((Events{Selected(1), Selected(0)}), recorder.events);
    EXPECT_EQ((Indices{1, 0}), SelectionOf(m_strip));
    EXPECT_EQ(1, m_strip->GetAnchor());

    // On the anchor itself only the anchor stays.
    recorder.events.clear();
    m_strip->ApplyClickSelection(1, THUMB_MOD_SHIFT);
    EXPECT_EQ((Events{Selected(1)}), recorder.events);
    EXPECT_EQ((Indices{1}), SelectionOf(m_strip));
}

TEST_F(StripTest, ShiftClickRightAfterFillingSelectsOnlyTheClickedItem)
{
    FillStrip(m_strip, m_dir, 9);
    EventRecorder recorder(m_strip);
    m_strip->ApplyClickSelection(6, THUMB_MOD_SHIFT);
    EXPECT_EQ((Events{Selected(6)}), recorder.events);
    EXPECT_EQ((Indices{6}), SelectionOf(m_strip));
}

TEST_F(StripTest, ControlClickTogglesOneItem)
{
    FillStrip(m_strip, m_dir, 9);
    m_strip->ApplyClickSelection(2, 0);
    EventRecorder recorder(m_strip);
    m_strip->ApplyClickSelection(6, THUMB_MOD_CONTROL | THUMB_MOD_SHIFT);
    EXPECT_EQ((Events{Selected(6)}), recorder.events);
    EXPECT_EQ((Indices{2, 6}), SelectionOf(m_strip));
}

TEST_F(StripTest, ControlClickOnASelectedItemReportsDeselectionBeforeTheClick)
{
    FillStrip(m_strip, m_dir, 9);
    m_strip->ApplyClickSelection(2, 0);
    m_strip->ApplyClickSelection(4, THUMB_MOD_CONTROL);
    m_strip->SetFocusItem(5);
    EventRecorder recorder(m_strip);
    SendMouse(m_strip, wxEVT_LEFT_DOWN, CentreOfItem(m_strip, 2), THUMB_MOD_CONTROL);
    EXPECT_EQ((Events{Deselected(2), LeftClick(2, THUMB_MOD_CONTROL)}), recorder.events);
    EXPECT_EQ((Indices{4}), SelectionOf(m_strip));
    EXPECT_EQ(2, m_strip->GetFocusItem());
    EXPECT_EQ(2, m_strip->GetAnchor());
}

// --- Mouse --------------------------------------------------------------------

TEST_F(StripTest, PlainClickSelectsThenReportsTheClick)
{
    FillStrip(m_strip, m_dir, 9);
    EventRecorder recorder(m_strip);
    SendMouse(m_strip, wxEVT_LEFT_DOWN, CentreOfItem(m_strip, 4), THUMB_MOD_ALT);
    EXPECT_EQ((Events{Selected(4), LeftClick(4, THUMB_MOD_ALT)}), recorder.events);
}

TEST_F(StripTest, ClicksOutsideEveryItemChangeAndReportNothing)
{
    FillStrip(m_strip, m_dir, 4);
    m_strip->ApplyClickSelection(1, 0);
    EventRecorder recorder(m_strip);
    const int rowPitch = m_strip->GetItemHeight() + 3;
    // In the empty part of the second row, below the last row, and in the
    // band right of the last whole column.
    for (const wxPoint& point : {wxPoint(200, rowPitch + 10), wxPoint(10, 3 * rowPitch), wxPoint(290, 10)})
    {
        SCOPED_TRACE(testing::Message() << point.x << ", " << point.y);
        for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_RIGHT_DOWN, wxEVT_MIDDLE_DOWN, wxEVT_LEFT_DCLICK})
            SendMouse(m_strip, type, point);
    }
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ((Indices{1}), SelectionOf(m_strip));
    EXPECT_EQ(1, m_strip->GetFocusItem());
}

TEST_F(StripTest, RightClickMovesTheFocusButNotTheSelection)
{
    FillStrip(m_strip, m_dir, 9);
    m_strip->ApplyClickSelection(1, 0);
    EventRecorder recorder(m_strip);
    SendMouse(m_strip, wxEVT_RIGHT_DOWN, CentreOfItem(m_strip, 5), THUMB_MOD_SHIFT);
    EXPECT_EQ((Events{{wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK, 5, THUMB_MOD_SHIFT}}), recorder.events);
    EXPECT_EQ((Indices{1}), SelectionOf(m_strip));
    EXPECT_EQ(5, m_strip->GetFocusItem());
}

TEST_F(StripTest, MiddleAndDoubleClicksOnlyReport)
{
    FillStrip(m_strip, m_dir, 9);
    m_strip->ApplyClickSelection(1, 0);
    EventRecorder recorder(m_strip);
    SendMouse(m_strip, wxEVT_MIDDLE_DOWN, CentreOfItem(m_strip, 3), THUMB_MOD_CONTROL);
    SendMouse(m_strip, wxEVT_LEFT_DCLICK, CentreOfItem(m_strip, 4));
    EXPECT_EQ((Events{{wxEVT_COMMAND_THUMBNAIL_MIDDLE_CLICK, 3, THUMB_MOD_CONTROL},
                      {wxEVT_COMMAND_THUMBNAIL_LEFT_DCLICK, 4, 0}}),
              recorder.events);
    EXPECT_EQ((Indices{1}), SelectionOf(m_strip));
    EXPECT_EQ(1, m_strip->GetFocusItem());
}

// --- Keys -------------------------------------------------------------------

TEST_F(StripTest, PageDownMovesByTheWholeRowsInView)
{
    // 3 columns and 2 whole rows in view.
    SetStripClientSize(300, 2 * (m_strip->GetItemHeight() + 3) + 40);
    FillStrip(m_strip, m_dir, 20);
    m_strip->ApplyClickSelection(1, 0);
    EventRecorder recorder(m_strip);
    EXPECT_TRUE(m_strip->Navigate(WXK_PAGEDOWN, 0));
    EXPECT_EQ((Events{Deselected(1), Selected(7)}), recorder.events);
    EXPECT_EQ(7, m_strip->GetFocusItem());

    while (m_strip->GetCount() > 7)
        m_strip->Delete(m_strip->GetCount() - 1);
    m_strip->ApplyClickSelection(1, 0);
    m_strip->Navigate(WXK_PAGEDOWN, 0);
    EXPECT_EQ((Indices{6}), SelectionOf(m_strip));
}

TEST_F(StripTest, KeysThatLeadPastTheEndsDoNothing)
{
    FillStrip(m_strip, m_dir, 8);
    m_strip->ApplyClickSelection(2, 0);
    EventRecorder recorder(m_strip);
    SendChar(m_strip, WXK_UP);
    m_strip->ApplyClickSelection(7, 0);
    recorder.events.clear();
    SendChar(m_strip, WXK_RIGHT);
    SendChar(m_strip, WXK_DOWN);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ((Indices{7}), SelectionOf(m_strip));
}

TEST_F(StripTest, NavigationKeysMoveShiftExtendsAndControlToggles)
{
    FillStrip(m_strip, m_dir, 9);
    m_strip->ApplyClickSelection(4, 0);
    SendChar(m_strip, WXK_RIGHT);
    EXPECT_EQ((Indices{5}), SelectionOf(m_strip));
    SendChar(m_strip, WXK_DOWN, THUMB_MOD_SHIFT);
    EXPECT_EQ((Indices{5, 6, 7, 8}), SelectionOf(m_strip));
    SendChar(m_strip, WXK_LEFT, THUMB_MOD_CONTROL);
    EXPECT_EQ((Indices{5, 6, 8}), SelectionOf(m_strip));
    SendChar(m_strip, WXK_HOME);
    EXPECT_EQ((Indices{0}), SelectionOf(m_strip));
}

TEST_F(StripTest, WithoutAStartingPointAnyKeyLandsOnTheFirstItem)
{
    FillStrip(m_strip, m_dir, 6);
    wxThumbnailCtrl* empty = new wxThumbnailCtrl(m_strip->GetParent());
    EXPECT_FALSE(empty->Navigate(WXK_DOWN, 0));
    empty->Destroy();

    EventRecorder recorder(m_strip);
    EXPECT_TRUE(m_strip->Navigate(WXK_END, 0));
    EXPECT_EQ((Events{Selected(0)}), recorder.events);

    // A focus left past the end by Delete counts as none.
    m_strip->ApplyClickSelection(5, 0);
    m_strip->Delete(4);
    ASSERT_EQ(5, m_strip->GetFocusItem());
    m_strip->Navigate(WXK_LEFT, 0);
    EXPECT_EQ((Indices{0}), SelectionOf(m_strip));
}

TEST_F(StripTest, EnterReportsReturnWithoutAnItem)
{
    FillStrip(m_strip, m_dir, 3);
    m_strip->ApplyClickSelection(1, 0);
    EventRecorder recorder(m_strip);
    SendChar(m_strip, WXK_RETURN, THUMB_MOD_SHIFT);
    EXPECT_EQ((Events{{wxEVT_COMMAND_THUMBNAIL_RETURN, -1, THUMB_MOD_SHIFT}}), recorder.events);
    EXPECT_EQ((Indices{1}), SelectionOf(m_strip));
}
