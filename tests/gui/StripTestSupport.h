// Helpers of the strip tests.
#pragma once

#include "window/thumbnailctrl.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/weakref.h>

#include <string>
#include <vector>

// An item whose picture has one colour; its file is empty, as the strip
// only checks that it exists.
wxImageThumbnailItem* MakePictureItem(const wxString& dir, const wxString& name,
                                      const wxSize& size = wxSize(120, 90),
                                      const wxColour& colour = wxColour(200, 40, 40));
// Appends count items named f00.png, f01.png, ... in shades of one hue.
void FillStrip(wxThumbnailCtrl* strip, const wxString& dir, int count, int frameDelay = 0);

// Notifications as readable strings: "SELECTED 2", "LEFT_CLICK 2 flags 1".
using Events = std::vector<std::string>;

// Records the seven notifications as a handler on `source` sees them.
class EventRecorder : public wxEvtHandler
{
public:
    explicit EventRecorder(wxEvtHandler* source);

    Events events;

private:
    void OnEvent(wxThumbnailEvent& event);
};

// The strip as its paint handler draws it, and as the screen shows it.
wxImage RenderStrip(wxThumbnailCtrl* strip, bool hasFocus);
wxImage ReadBackClientArea(wxWindow* window);
// Waits until the screen shows what the paint step draws.
::testing::AssertionResult WaitUntilShownAsDrawn(wxThumbnailCtrl* strip);

// Mouse and key events with THUMB_MOD_* modifiers.
void SendMouse(wxWindow* window, wxEventType type, const wxPoint& point, int flags = 0);
void SendChar(wxWindow* window, int keyCode, int flags = 0);
wxPoint CentreOfItem(const wxThumbnailCtrl* strip, int n);

// A strip alone in a top-level window, sized by client area.
class StripTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void SetStripClientSize(int width, int height);

    wxFrame* m_window = nullptr;
    wxWeakRef<wxWindow> m_alive;
    wxThumbnailCtrl* m_strip = nullptr;
    wxString m_dir;
};
