// The strip inside the real main window.
#include "gui/StripTestSupport.h"
#include "support/MainWindowFixture.h"
#include "support/TestEnvironment.h"

#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/splitter.h>

namespace
{
class CountedItem : public wxThumbnailItem
{
public:
    explicit CountedItem(int& alive) : wxThumbnailItem("counted"), m_alive(alive) { ++m_alive; }
    ~CountedItem() override { --m_alive; }

private:
    int& m_alive;
};

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

void Settle()
{
    WaitFor([] { return false; }, 300);
}
} // namespace

TEST_F(MainWindowTest, StripFillsTheUpperPane)
{
    wxThumbnailCtrl* strip = m_frame->m_thumbnailCtrl;
    ASSERT_NE(nullptr, strip);
    EXPECT_EQ(m_frame->m_panel_top, strip->GetParent());
    EXPECT_EQ(ID_THUMBNAIL_CTRL, strip->GetId());
    EXPECT_STREQ(wxT("wxThumbnailCtrl"), strip->GetClassInfo()->GetClassName());
    EXPECT_EQ(wxColour(176, 223, 227), strip->GetBackgroundColour());
    EXPECT_TRUE(strip->HasFlag(wxVSCROLL));

    wxSizerItem* item = m_frame->m_panel_top->GetSizer()->GetItem(strip);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(1, item->GetProportion());
    EXPECT_TRUE(item->GetFlag() & wxEXPAND);
    EXPECT_EQ(0, item->GetBorder());
    EXPECT_EQ(m_frame->m_panel_top->GetClientSize(), strip->GetSize());
}

TEST_F(MainWindowTest, FrameCountIsTheStripsCount)
{
    EXPECT_EQ(0, m_frame->GetFrameCount());
    FillStrip(m_frame->m_thumbnailCtrl, MakeScratchDir("count"), 3);
    EXPECT_EQ(3, m_frame->GetFrameCount());
}

TEST_F(MainWindowTest, ClicksOnTheStripReachTheMainWindow)
{
    wxThumbnailCtrl* strip = m_frame->m_thumbnailCtrl;
    FillStrip(strip, MakeScratchDir("clicks"), 4);
    // Handlers bound later run first: this one, bound before the recorder,
    // runs after it and keeps the right click from opening the context menu.
    m_frame->Bind(wxEventTypeTag<wxThumbnailEvent>(wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK), [](wxThumbnailEvent&) {});
    EventRecorder recorder(m_frame);
    SendMouse(strip, wxEVT_LEFT_DOWN, CentreOfItem(strip, 2), THUMB_MOD_SHIFT);
    SendMouse(strip, wxEVT_RIGHT_DOWN, CentreOfItem(strip, 3));
    EXPECT_EQ((std::vector<RecordedEvent>{Selected(2), LeftClick(2, THUMB_MOD_SHIFT),
                                          {wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK, 3, 0}}),
              recorder.events);
}

TEST_F(MainWindowTest, ClosingTheWindowDeletesEveryItemOnce)
{
    int alive = 0;
    m_frame->m_thumbnailCtrl->Insert(new CountedItem(alive), 0);
    m_frame->m_thumbnailCtrl->Insert(new CountedItem(alive), 1);
    ASSERT_EQ(2, alive);
    m_frame->Destroy();
    WaitFor([this] { return !m_alive; }, 5000);
    EXPECT_EQ(0, alive);
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
    Settle();
    FillStrip(strip, MakeScratchDir("demo"), 30);
    strip->ApplyClickSelection(3, 0);
    strip->ApplyClickSelection(5, THUMB_MOD_SHIFT);
    strip->ApplyClickSelection(9, THUMB_MOD_CONTROL);
    strip->SetFocus();
    Settle();
    const int columns = strip->GetClientSize().x / (strip->GetItemWidth() + strip->GetSpacing());
    wxRect cell;
    strip->GetItemRect(12, cell, false);
    EXPECT_EQ(12 % columns, (cell.x - 3) / (strip->GetItemWidth() + 3));
    EXPECT_GT(strip->GetScrollLines(wxVERTICAL) * 10, strip->GetClientSize().y);
    SaveScreenshotIfAsked(m_frame, "");

    SendChar(strip, WXK_END);
    Settle();
    EXPECT_GT(strip->GetViewStart().y, 0);
    SaveScreenshotIfAsked(m_frame, "-scrolled");

    m_frame->SetSize(1250, 640);
    ASSERT_TRUE(WaitFor([&] { return strip->GetClientSize().x > 1100; }, 3000));
    Settle();
    const int wideColumns = strip->GetClientSize().x / (strip->GetItemWidth() + strip->GetSpacing());
    EXPECT_GT(wideColumns, columns);
    strip->GetItemRect(12, cell, false);
    EXPECT_EQ(12 % wideColumns, (cell.x - 3) / (strip->GetItemWidth() + 3));
    // The whole strip was repainted in the new layout.
    EXPECT_EQ("same", WaitUntilShownAsDrawn(strip));
    SaveScreenshotIfAsked(m_frame, "-wide");
}
