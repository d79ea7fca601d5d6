// The strip inside the real main window.
#include "gui/StripTestSupport.h"
#include "support/MainWindowFixture.h"
#include "support/TestEnvironment.h"

#include <wx/splitter.h>

TEST_F(MainWindowTest, ClicksOnTheStripReachTheMainWindow)
{
    wxThumbnailCtrl* strip = m_frame->m_thumbnailCtrl;
    FillStrip(strip, MakeScratchDir("clicks"), 4);
    EXPECT_EQ(4, m_frame->GetFrameCount());
    // Handlers bound later run first: this one, bound before the recorder,
    // runs after it and keeps the right click from opening the context menu.
    m_frame->Bind(wxEventTypeTag<wxThumbnailEvent>(wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK), [](wxThumbnailEvent&) {});
    EventRecorder recorder(m_frame);
    SendMouse(strip, wxEVT_LEFT_DOWN, CentreOfItem(strip, 2), THUMB_MOD_SHIFT);
    SendMouse(strip, wxEVT_RIGHT_DOWN, CentreOfItem(strip, 3));
    EXPECT_EQ((Events{"SELECTED 2", "LEFT_CLICK 2 flags 1", "RIGHT_CLICK 3"}), recorder.events);
}

// A filled strip with a selection, scrolled, then widened so that the grid
// reflows: the screen shows what the paint step draws all along.
TEST_F(MainWindowTest, FilledStripScrollsAndReflows)
{
    wxThumbnailCtrl* strip = m_frame->m_thumbnailCtrl;
    EXPECT_EQ(wxColour(176, 223, 227), strip->GetBackgroundColour());
    // Parts of a window off the screen are never painted.
    m_frame->SetSize(0, 0, 900, 640);
    m_frame->m_splitter3->SetSashPosition(300);
    FillStrip(strip, MakeScratchDir("demo"), 30);
    strip->ApplyClickSelection(3, 0);
    strip->ApplyClickSelection(5, THUMB_MOD_SHIFT);
    strip->ApplyClickSelection(9, THUMB_MOD_CONTROL);
    strip->SetFocus();
    EXPECT_TRUE(WaitUntilShownAsDrawn(strip));
    const int pitch = strip->GetItemWidth() + strip->GetSpacing();
    const int columns = strip->GetClientSize().x / pitch;
    wxRect cell;
    strip->GetItemRect(12, cell, false);
    EXPECT_EQ(12 % columns, cell.x / pitch);
    EXPECT_GT(strip->GetScrollLines(wxVERTICAL) * 10, strip->GetClientSize().y);

    SendChar(strip, WXK_END);
    EXPECT_TRUE(WaitUntilShownAsDrawn(strip));
    EXPECT_GT(strip->GetViewStart().y, 0);

    m_frame->SetSize(1250, 640);
    ASSERT_TRUE(WaitFor([&] { return strip->GetClientSize().x > 1100; }, 3000));
    const int wideColumns = strip->GetClientSize().x / pitch;
    EXPECT_GT(wideColumns, columns);
    strip->GetItemRect(12, cell, false);
    EXPECT_EQ(12 % wideColumns, cell.x / pitch);
    // The whole strip was repainted in the new layout.
    EXPECT_TRUE(WaitUntilShownAsDrawn(strip));
}
