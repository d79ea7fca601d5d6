#include "gui/StripTestSupport.h"

#include "support/TestEnvironment.h"
#include "support/TestImages.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>

#include <utility>

wxImageThumbnailItem* MakePictureItem(const wxString& dir, const wxString& name, const wxSize& size,
                                      const wxColour& colour)
{
    EXPECT_TRUE(WriteTextFile(dir + "/" + name, ""));
    wxImage* image = new wxImage(size);
    image->SetRGB(wxRect(size), colour.Red(), colour.Green(), colour.Blue());
    return new wxImageThumbnailItem(image, 0, dir + "/" + name);
}

void FillStrip(wxThumbnailCtrl* strip, const wxString& dir, int count, int frameDelay)
{
    for (int i = 0; i < count; ++i)
        strip->Append(MakePictureItem(dir, wxString::Format("f%02d.png", i), wxSize(120, 90),
                                      wxColour(200, 40 + (i * 6) % 200, 40)),
                      frameDelay);
}

namespace
{
const std::pair<const wxEventType*, const char*> kThumbnailEventTypes[] = {
    {&wxEVT_COMMAND_THUMBNAIL_ITEM_SELECTED, "SELECTED"}, {&wxEVT_COMMAND_THUMBNAIL_ITEM_DESELECTED, "DESELECTED"},
    {&wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK, "LEFT_CLICK"},   {&wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK, "RIGHT_CLICK"},
    {&wxEVT_COMMAND_THUMBNAIL_MIDDLE_CLICK, "MIDDLE_CLICK"}, {&wxEVT_COMMAND_THUMBNAIL_LEFT_DCLICK, "LEFT_DCLICK"},
    {&wxEVT_COMMAND_THUMBNAIL_RETURN, "RETURN"}};

template <class Event> void SendWithModifiers(wxWindow* window, Event& event, int flags)
{
    event.SetShiftDown((flags & THUMB_MOD_SHIFT) != 0);
    event.SetControlDown((flags & THUMB_MOD_CONTROL) != 0);
    event.SetAltDown((flags & THUMB_MOD_ALT) != 0);
    event.SetEventObject(window);
    window->ProcessWindowEvent(event);
}
} // namespace

EventRecorder::EventRecorder(wxEvtHandler* source)
{
    for (const auto& type : kThumbnailEventTypes)
        source->Bind(wxEventTypeTag<wxThumbnailEvent>(*type.first), &EventRecorder::OnEvent, this);
}

void EventRecorder::OnEvent(wxThumbnailEvent& event)
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

wxImage RenderStrip(wxThumbnailCtrl* strip, bool hasFocus)
{
    const wxSize client = strip->GetClientSize();
    wxBitmap bitmap(client);
    {
        wxMemoryDC dc(bitmap);
        strip->PrepareDC(dc);
        strip->PaintStrip(dc, wxRegion(0, 0, client.x, client.y), hasFocus);
    }
    return bitmap.ConvertToImage();
}

wxImage ReadBackClientArea(wxWindow* window)
{
    const wxSize client = window->GetClientSize();
    wxBitmap bitmap(client);
    {
        wxClientDC source(window);
        wxMemoryDC target(bitmap);
        target.Blit(0, 0, client.x, client.y, &source, 0, 0);
    }
    return bitmap.ConvertToImage();
}

::testing::AssertionResult WaitUntilShownAsDrawn(wxThumbnailCtrl* strip)
{
    // GTK draws its overlay scroll bar over the right edge: that band is left out.
    const int overlayScrollBarWidth = 16;
    ::testing::AssertionResult same = ::testing::AssertionSuccess();
    WaitFor([&] {
        const wxImage shown = ReadBackClientArea(strip);
        const wxRect area(0, 0, shown.GetWidth() - overlayScrollBarWidth, shown.GetHeight());
        const wxImage drawn = RenderStrip(strip, wxWindow::FindFocus() == strip);
        same = SamePixels(drawn.GetSubImage(area), shown.GetSubImage(area));
        return bool(same);
    }, 3000);
    return same;
}

void SendMouse(wxWindow* window, wxEventType type, const wxPoint& point, int flags)
{
    wxMouseEvent event(type);
    event.SetPosition(point);
    SendWithModifiers(window, event, flags);
}

void SendChar(wxWindow* window, int keyCode, int flags)
{
    wxKeyEvent event(wxEVT_CHAR);
    event.m_keyCode = keyCode;
    SendWithModifiers(window, event, flags);
}

wxPoint CentreOfItem(const wxThumbnailCtrl* strip, int n)
{
    wxRect cell;
    strip->GetItemRect(n, cell, true);
    return cell.GetPosition() + wxSize(cell.width / 2, cell.height / 2);
}

void StripTest::SetUp()
{
    m_window = new wxFrame(nullptr, wxID_ANY, "strip test", wxDefaultPosition, wxSize(900, 800));
    m_alive = m_window;
    // A panel does not stretch its only child: the strip keeps the size it is given.
    m_strip = new wxThumbnailCtrl(new wxPanel(m_window));
    m_window->Show();
    SetStripClientSize(300, 600);
    m_dir = MakeScratchDir("strip");
}

void StripTest::TearDown()
{
    if (m_alive)
    {
        m_window->Destroy();
        WaitFor([this] { return !m_alive; }, 5000);
    }
}

void StripTest::SetStripClientSize(int width, int height)
{
    m_strip->SetClientSize(width, height);
    EXPECT_TRUE(WaitFor([&] { return m_strip->GetClientSize() == wxSize(width, height); }, 3000))
        << m_strip->GetClientSize().x << " x " << m_strip->GetClientSize().y;
}
