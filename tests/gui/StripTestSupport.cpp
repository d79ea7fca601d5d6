#include "gui/StripTestSupport.h"

#include "support/TestEnvironment.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>

#include <cstdlib>
#include <ostream>

wxString WritePicture(const wxString& dir, const wxString& name, const wxSize& size,
                      const wxColour& colour)
{
    wxImage image(size);
    image.SetRGB(wxRect(size), colour.Red(), colour.Green(), colour.Blue());
    const wxString path = dir + "/" + name;
    EXPECT_TRUE(image.SaveFile(path, wxBITMAP_TYPE_PNG)) << path;
    return path;
}

wxImageThumbnailItem* MakePictureItem(const wxString& dir, const wxString& name, const wxSize& size,
                                      const wxColour& colour)
{
    const wxString path = WritePicture(dir, name, size, colour);
    wxImage* image = new wxImage(size);
    image->SetRGB(wxRect(size), colour.Red(), colour.Green(), colour.Blue());
    return new wxImageThumbnailItem(image, 0, path);
}

void FillStrip(wxThumbnailCtrl* strip, const wxString& dir, int count, int frameDelay)
{
    for (int i = 0; i < count; ++i)
    {
        const wxColour shade(200, 40 + (i * 6) % 200, 40);
        strip->Append(MakePictureItem(dir, wxString::Format("f%02d.png", i), wxSize(120, 90), shade),
                      frameDelay);
    }
}

void PrintTo(const RecordedEvent& event, std::ostream* out)
{
    const char* name = "other";
    if (event.type == wxEVT_COMMAND_THUMBNAIL_ITEM_SELECTED)
        name = "ITEM_SELECTED";
    else if (event.type == wxEVT_COMMAND_THUMBNAIL_ITEM_DESELECTED)
        name = "ITEM_DESELECTED";
    else if (event.type == wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK)
        name = "LEFT_CLICK";
    else if (event.type == wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK)
        name = "RIGHT_CLICK";
    else if (event.type == wxEVT_COMMAND_THUMBNAIL_MIDDLE_CLICK)
        name = "MIDDLE_CLICK";
    else if (event.type == wxEVT_COMMAND_THUMBNAIL_LEFT_DCLICK)
        name = "LEFT_DCLICK";
    else if (event.type == wxEVT_COMMAND_THUMBNAIL_RETURN)
        name = "RETURN";
    *out << name << "(" << event.index << ", flags " << event.flags << ")";
}

RecordedEvent Selected(int index)
{
    return {wxEVT_COMMAND_THUMBNAIL_ITEM_SELECTED, index, 0};
}

RecordedEvent Deselected(int index)
{
    return {wxEVT_COMMAND_THUMBNAIL_ITEM_DESELECTED, index, 0};
}

RecordedEvent LeftClick(int index, int flags)
{
    return {wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK, index, flags};
}

namespace
{
const wxEventType* const kThumbnailEventTypes[] = {
    &wxEVT_COMMAND_THUMBNAIL_ITEM_SELECTED, &wxEVT_COMMAND_THUMBNAIL_ITEM_DESELECTED,
    &wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK,    &wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK,
    &wxEVT_COMMAND_THUMBNAIL_MIDDLE_CLICK,  &wxEVT_COMMAND_THUMBNAIL_LEFT_DCLICK,
    &wxEVT_COMMAND_THUMBNAIL_RETURN};
}

EventRecorder::EventRecorder(wxEvtHandler* source) : m_source(source)
{
    for (const wxEventType* type : kThumbnailEventTypes)
        m_source->Bind(wxEventTypeTag<wxThumbnailEvent>(*type), &EventRecorder::OnEvent, this);
}

EventRecorder::~EventRecorder()
{
    for (const wxEventType* type : kThumbnailEventTypes)
        m_source->Unbind(wxEventTypeTag<wxThumbnailEvent>(*type), &EventRecorder::OnEvent, this);
}

void EventRecorder::OnEvent(wxThumbnailEvent& event)
{
    events.push_back({event.GetEventType(), event.GetIndex(), event.GetFlags()});
    event.Skip();
}

std::vector<int> SelectionOf(const wxThumbnailCtrl* strip)
{
    const wxArrayInt& selections = strip->GetSelections();
    return std::vector<int>(selections.begin(), selections.end());
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

std::string Rgb(int red, int green, int blue)
{
    return "rgb(" + std::to_string(red) + ", " + std::to_string(green) + ", " + std::to_string(blue) + ")";
}

std::string Rgb(const wxColour& colour)
{
    return Rgb(colour.Red(), colour.Green(), colour.Blue());
}

std::string PixelAt(const wxImage& image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight())
        return "outside the image";
    return Rgb(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

bool AreaHasColour(const wxImage& image, const wxRect& area, const wxColour& colour, int tolerance)
{
    for (int y = area.GetTop(); y <= area.GetBottom(); ++y)
    {
        for (int x = area.GetLeft(); x <= area.GetRight(); ++x)
        {
            if (std::abs(image.GetRed(x, y) - colour.Red()) <= tolerance &&
                std::abs(image.GetGreen(x, y) - colour.Green()) <= tolerance &&
                std::abs(image.GetBlue(x, y) - colour.Blue()) <= tolerance)
                return true;
        }
    }
    return false;
}

std::string FirstDifference(const wxImage& actual, const wxImage& expected, const wxRect& area)
{
    for (int y = area.GetTop(); y <= area.GetBottom(); ++y)
    {
        for (int x = area.GetLeft(); x <= area.GetRight(); ++x)
        {
            if (PixelAt(actual, x, y) != PixelAt(expected, x, y))
                return "at (" + std::to_string(x) + ", " + std::to_string(y) + "): " + PixelAt(actual, x, y) +
                       " instead of " + PixelAt(expected, x, y);
        }
    }
    return "same";
}

std::string WaitUntilShownAsDrawn(wxThumbnailCtrl* strip)
{
    const int overlayScrollBarWidth = 16;
    std::string difference;
    WaitFor(
        [&] {
            const wxImage shown = ReadBackClientArea(strip);
            const wxImage drawn = RenderStrip(strip, wxWindow::FindFocus() == strip);
            const wxRect area(0, 0, shown.GetWidth() - overlayScrollBarWidth, shown.GetHeight());
            difference = FirstDifference(shown, drawn, area);
            return difference == "same";
        },
        3000);
    return difference;
}

void SendMouse(wxWindow* window, wxEventType type, const wxPoint& point, int flags)
{
    wxMouseEvent event(type);
    event.SetPosition(point);
    event.SetShiftDown((flags & THUMB_MOD_SHIFT) != 0);
    event.SetControlDown((flags & THUMB_MOD_CONTROL) != 0);
    event.SetAltDown((flags & THUMB_MOD_ALT) != 0);
    event.SetEventObject(window);
    window->ProcessWindowEvent(event);
}

void SendChar(wxWindow* window, int keyCode, int flags)
{
    wxKeyEvent event(wxEVT_CHAR);
    event.m_keyCode = keyCode;
    event.SetShiftDown((flags & THUMB_MOD_SHIFT) != 0);
    event.SetControlDown((flags & THUMB_MOD_CONTROL) != 0);
    event.SetAltDown((flags & THUMB_MOD_ALT) != 0);
    event.SetEventObject(window);
    window->ProcessWindowEvent(event);
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
    // A panel does not stretch its only child, so the strip keeps the size
    // a test gives it.
    wxPanel* panel = new wxPanel(m_window);
    m_strip = new wxThumbnailCtrl(panel);
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
