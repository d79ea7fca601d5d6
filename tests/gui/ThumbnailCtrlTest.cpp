// The thumbnail strip on its own, in a top-level window: selection by mouse.
// Keys select through the same steps, from targets the unit tests check.
#include "support/TestEnvironment.h"
#include "window/thumbnailctrl.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/weakref.h>

#include <string>
#include <utility>
#include <vector>

using Indices = std::vector<int>;
// Notifications as readable strings: "SELECTED 2", "LEFT_CLICK 2 flags 1".
using Events = std::vector<std::string>;

namespace
{
const std::pair<const wxEventType*, const char*> kThumbnailEventTypes[] = {
    {&wxEVT_COMMAND_THUMBNAIL_ITEM_SELECTED, "SELECTED"}, {&wxEVT_COMMAND_THUMBNAIL_ITEM_DESELECTED, "DESELECTED"},
    {&wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK, "LEFT_CLICK"},   {&wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK, "RIGHT_CLICK"},
    {&wxEVT_COMMAND_THUMBNAIL_MIDDLE_CLICK, "MIDDLE_CLICK"}, {&wxEVT_COMMAND_THUMBNAIL_LEFT_DCLICK, "LEFT_DCLICK"},
    {&wxEVT_COMMAND_THUMBNAIL_RETURN, "RETURN"}};

// Records the seven notifications as a handler on the strip sees them.
struct EventRecorder : wxEvtHandler
{
    explicit EventRecorder(wxEvtHandler* source)
    {
        for (const auto& type : kThumbnailEventTypes)
            source->Bind(wxEventTypeTag<wxThumbnailEvent>(*type.first), &EventRecorder::OnEvent, this);
    }
    void OnEvent(wxThumbnailEvent& event)
    {
        std::string text = "other";
        for (const auto& type : kThumbnailEventTypes)
            text = *type.first == event.GetEventType() ? type.second : text;
        text += " " + std::to_string(event.GetIndex());
        if (event.GetFlags() != 0)
            text += " flags " + std::to_string(event.GetFlags());
        events.push_back(text);
        event.Skip();
    }
    Events events;
};

// Mouse events with THUMB_MOD_* modifiers.
void SendMouse(wxWindow* window, wxEventType type, const wxPoint& point, int flags)
{
    wxMouseEvent event(type);
    event.SetPosition(point);
    event.SetShiftDown((flags & THUMB_MOD_SHIFT) != 0);
    event.SetControlDown((flags & THUMB_MOD_CONTROL) != 0);
    event.SetEventObject(window);
    window->ProcessWindowEvent(event);
}

// Anchor, focused item and last selected item.
Indices CursorOf(const wxThumbnailCtrl* strip)
{
    return {strip->GetAnchor(), strip->GetFocusItem(), strip->GetLastSelected()};
}

Indices SelectionOf(const wxThumbnailCtrl* strip)
{
    const wxArrayInt& selections = strip->GetSelections();
    return Indices(selections.begin(), selections.end());
}

class StripTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_window = new wxFrame(nullptr, wxID_ANY, "strip test", wxDefaultPosition, wxSize(900, 800));
        m_alive = m_window;
        // A panel does not stretch its only child: the strip keeps the size it is given.
        m_strip = new wxThumbnailCtrl(new wxPanel(m_window));
        m_window->Show();
        m_strip->SetClientSize(300, 600);
        ASSERT_TRUE(WaitFor([this] { return m_strip->GetClientSize() == wxSize(300, 600); }, 3000));
        m_dir = MakeScratchDir("strip");
    }
    void TearDown() override
    {
        m_window->Destroy();
        WaitFor([this] { return !m_alive; }, 5000);
    }
    // Items whose pictures have one colour; their files are empty, as the
    // strip only checks that they exist.
    void FillStrip(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            const wxString path = wxString::Format("%s/f%02d.png", m_dir, i);
            EXPECT_TRUE(WriteTextFile(path, ""));
            m_strip->Append(new wxImageThumbnailItem(wxImage(80, 60), path));
        }
    }

    wxFrame* m_window = nullptr;
    wxWeakRef<wxWindow> m_alive;
    wxThumbnailCtrl* m_strip = nullptr;
    wxString m_dir;
};
} // namespace

TEST_F(StripTest, ButtonsSelectLikeAFileListAndReportTheChangedItemsFirst)
{
    FillStrip(8);
    const int rowPitch = m_strip->GetItemHeight() + 3;
    const auto at = [this](int n) {
        wxRect cell;
        m_strip->GetItemRect(n, cell, true);
        return cell.GetPosition() + wxSize(cell.width / 2, cell.height / 2);
    };
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
        {{{1, 0}}, wxEVT_LEFT_DOWN, at(4), shift,
         {"SELECTED 1", "SELECTED 2", "SELECTED 3", "SELECTED 4", "LEFT_CLICK 4 flags 1"}, {1, 2, 3, 4}, {1, 4, 4}},
        // A second Shift click measures from the same anchor.
        {{{1, 0}, {4, shift}}, wxEVT_LEFT_DOWN, at(0), shift, {"SELECTED 1", "SELECTED 0", "LEFT_CLICK 0 flags 1"},
         {1, 0}, {1, 0, 0}},
        {{}, wxEVT_LEFT_DOWN, at(6), shift, {"SELECTED 6", "LEFT_CLICK 6 flags 1"}, {6}, {6, 6, 6}},
        {twoAndFour, wxEVT_LEFT_DOWN, at(2), control, {"DESELECTED 2", "LEFT_CLICK 2 flags 2"}, {4}, {2, 2, 2}},
        {{{2, 0}}, wxEVT_LEFT_DOWN, at(6), control | shift, {"SELECTED 6", "LEFT_CLICK 6 flags 3"}, {2, 6}, {6, 6, 6}},
        // The right button only reports and moves the focus.
        {twoAndFour, wxEVT_RIGHT_DOWN, at(5), shift, {"RIGHT_CLICK 5 flags 1"}, {2, 4}, {4, 5, 4}},
        // Right of the last whole column and in the empty part of the last row.
        {twoAndFour, wxEVT_LEFT_DOWN, wxPoint(290, 10), 0, {}, {2, 4}, {4, 4, 4}},
        {twoAndFour, wxEVT_MIDDLE_DOWN, wxPoint(200, 2 * rowPitch + 10), 0, {}, {2, 4}, {4, 4, 4}},
    };
    for (const auto& press : presses)
    {
        SCOPED_TRACE(testing::Message() << "press " << &press - presses);
        m_strip->Clear();
        FillStrip(8);
        for (const auto& click : press.before)
            m_strip->ApplyClickSelection(click.first, click.second);
        EventRecorder recorder(m_strip);
        SendMouse(m_strip, press.type, press.point, press.flags);
        EXPECT_EQ(press.events, recorder.events);
        EXPECT_EQ(press.selection, SelectionOf(m_strip));
        EXPECT_EQ(press.cursor, CursorOf(m_strip));
    }
}
