// Helpers of the strip tests: pictures on disk to make items from, a strip
// of a chosen client size in a window of its own, recorded notifications and
// pixels read back from a rendering.
#pragma once

#include "window/thumbnailctrl.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/weakref.h>

#include <string>
#include <vector>

// Writes a PNG of one colour and returns its path.
wxString WritePicture(const wxString& dir, const wxString& name, const wxSize& size,
                      const wxColour& colour);
// An item made from a picture written to dir (items need an existing file).
wxImageThumbnailItem* MakePictureItem(const wxString& dir, const wxString& name,
                                      const wxSize& size = wxSize(120, 90),
                                      const wxColour& colour = wxColour(200, 40, 40));
// Appends count items named f00.png, f01.png, ... in shades of one hue.
void FillStrip(wxThumbnailCtrl* strip, const wxString& dir, int count, int frameDelay = 0);

struct RecordedEvent
{
    wxEventType type;
    int index;
    int flags;
    bool operator==(const RecordedEvent& other) const
    {
        return type == other.type && index == other.index && flags == other.flags;
    }
};
void PrintTo(const RecordedEvent& event, std::ostream* out);

RecordedEvent Selected(int index);
RecordedEvent Deselected(int index);
RecordedEvent LeftClick(int index, int flags = 0);

// Records the seven notifications as a handler on `source` sees them, and
// lets them travel on.
class EventRecorder
{
public:
    explicit EventRecorder(wxEvtHandler* source);
    ~EventRecorder();

    std::vector<RecordedEvent> events;

private:
    void OnEvent(wxThumbnailEvent& event);

    wxEvtHandler* m_source;
};

// The strip's selection as a plain vector, for readable comparisons.
std::vector<int> SelectionOf(const wxThumbnailCtrl* strip);

// Renders the strip as its paint handler would, into a bitmap of its client
// size.
wxImage RenderStrip(wxThumbnailCtrl* strip, bool hasFocus);
// What the window shows, read back from the screen.
wxImage ReadBackClientArea(wxWindow* window);
std::string PixelAt(const wxImage& image, int x, int y);
std::string Rgb(int red, int green, int blue);
std::string Rgb(const wxColour& colour);
// Whether any pixel of the rectangle has the colour, each channel within
// the tolerance (antialiased and dotted lines are blended).
bool AreaHasColour(const wxImage& image, const wxRect& area, const wxColour& colour, int tolerance = 0);
// Describes the first pixel of the area where two images differ, or says
// "same".
std::string FirstDifference(const wxImage& actual, const wxImage& expected, const wxRect& area);
// Waits until the window shows what the paint step draws; returns the last
// difference found. GTK draws its overlay scroll bar on top of the right
// edge, so that strip is left out.
std::string WaitUntilShownAsDrawn(wxThumbnailCtrl* strip);

// Sends a mouse button event at a client point with modifier flags.
void SendMouse(wxWindow* window, wxEventType type, const wxPoint& point, int flags = 0);
void SendChar(wxWindow* window, int keyCode, int flags = 0);
wxPoint CentreOfItem(const wxThumbnailCtrl* strip, int n);

// A strip alone in a top-level window, sized by client area.
class StripTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Gives the strip the client size and waits until it has it.
    void SetStripClientSize(int width, int height);

    wxFrame* m_window = nullptr;
    wxWeakRef<wxWindow> m_alive;
    wxThumbnailCtrl* m_strip = nullptr;
    wxString m_dir;
};
