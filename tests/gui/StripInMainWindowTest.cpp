// The strip inside the real main window.
#include "gui/StripTestSupport.h"
#include "support/MainWindowFixture.h"
#include "support/TestEnvironment.h"

#include <wx/sizer.h>
#include <wx/splitter.h>

namespace
{
// Saves what the screen shows of the window's client area (strip, preview
// panel and size controls), when a path is given in the environment
// variable PELAGRIN_SCREENSHOT; `suffix` goes before ".png". The client DC
// is read rather than the screen DC, which under GTK 3 keeps returning the
// picture of its first use.
void SaveScreenshotIfAsked(wxWindow* window, const wxString& suffix)
{
    wxString path;
    if (!wxGetEnv("PELAGRIN_SCREENSHOT", &path) || path.empty())
        return;
    if (path.EndsWith(".png"))
        path.RemoveLast(4);
    EXPECT_TRUE(ReadBackClientArea(window).SaveFile(path + suffix + ".png", wxBITMAP_TYPE_PNG));
}
} // namespace

TEST_F(MainWindowTest, StripFillsTheUpperPane)
{
    wxThumbnailCtrl* strip = m_frame->m_thumbnailCtrl;
    ASSERT_NE(nullptr, strip);
    EXPECT_EQ(m_frame->m_panel_top, strip->GetParent());
    EXPECT_EQ(ID_THUMBNAIL_CTRL, strip->GetId());
    EXPECT_EQ(wxColour(176, 223, 227), strip->GetBackgroundColour());
    EXPECT_TRUE(strip->HasFlag(wxVSCROLL));

    wxSizerItem* item = m_frame->m_panel_top->GetSizer()->GetItem(strip);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(1, item->GetProportion());
    EXPECT_TRUE(item->GetFlag() & wxEXPAND);
    EXPECT_EQ(0, item->GetBorder());
    EXPECT_EQ(m_frame->m_panel_top->GetClientSize(), strip->GetSize());
}

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

// The acceptance picture: a filled strip with a selection, scrolled, then
// the window widened so that the grid reflows. Set PELAGRIN_SCREENSHOT to a
// PNG path to keep what the screen shows.
TEST_F(MainWindowTest, FilledStripScrollsAndReflows)
{
    wxThumbnailCtrl* strip = m_frame->m_thumbnailCtrl;
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
    SaveScreenshotIfAsked(m_frame, "");

    SendChar(strip, WXK_END);
    EXPECT_TRUE(WaitUntilShownAsDrawn(strip));
    EXPECT_GT(strip->GetViewStart().y, 0);
    SaveScreenshotIfAsked(m_frame, "-scrolled");

    m_frame->SetSize(1250, 640);
    ASSERT_TRUE(WaitFor([&] { return strip->GetClientSize().x > 1100; }, 3000));
    const int wideColumns = strip->GetClientSize().x / pitch;
    EXPECT_GT(wideColumns, columns);
    strip->GetItemRect(12, cell, false);
    EXPECT_EQ(12 % wideColumns, cell.x / pitch);
    // The whole strip was repainted in the new layout.
    EXPECT_TRUE(WaitUntilShownAsDrawn(strip));
    SaveScreenshotIfAsked(m_frame, "-wide");
}
