// A main window made from the real XRC, with its state open to the tests.
#pragma once

#include "window/GifFrame.h"
#include "window/thumbnailctrl.h"

#include <gtest/gtest.h>
#include <wx/statusbr.h>
#include <wx/weakref.h>

#include <vector>

class wxSpinCtrl;

class TestFrame : public GifFrame
{
public:
    using GifFrame::m_gifName, GifFrame::m_gifPath, GifFrame::m_isPlaying, GifFrame::m_language,
        GifFrame::m_loadProgress, GifFrame::m_loopsDone, GifFrame::m_menuItem_run, GifFrame::m_panel_down,
        GifFrame::m_previewName, GifFrame::m_projectPath, GifFrame::m_spinctrl_delay, GifFrame::m_spinctrl_height,
        GifFrame::m_spinctrl_width, GifFrame::m_statusBar1, GifFrame::m_thumbnailCtrl, GifFrame::m_timer,
        GifFrame::m_toolBar_button, GifFrame::m_previewBitmap, GifFrame::m_previewPosition, GifFrame::m_saveFeed,
        GifFrame::m_gifSaveFailed, GifFrame::m_animation, GifFrame::m_loadCancelPending, GifFrame::m_menuFrame,
        GifFrame::m_saveProgress, GifFrame::StartImageLoad, GifFrame::DrawPreview;
};

// Records the progress values of the worker updates with the given id, in
// the order the window receives them.
class ProgressRecorder
{
public:
    ProgressRecorder(wxWindow* window, int id);
    ~ProgressRecorder();
    std::vector<int> values;

private:
    void OnUpdate(wxCommandEvent& event);
    wxWindow* m_window;
    int m_id;
};

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Sends a menu command to the window as a menu click would.
    void Command(int id);
    // Closes the window and runs the loop until it is gone (or not).
    bool CloseAndWait();

    // Runs the loop until the running load has ended.
    bool WaitForLoad();
    // Loads pictures through the window's loader and waits for the load to end.
    void LoadPictures(const std::vector<wxString>& entries);
    // The same when some pictures fail: the message naming them is answered
    // and its text returned.
    wxString LoadPicturesWithFailures(const std::vector<wxString>& entries);
    int FrameCount() const { return m_frame->m_thumbnailCtrl->GetCount(); }
    wxString FramePath(int index) const { return m_frame->GetAnimation().GetFrame(index).source; }
    // Changes a spin control as the user would: the value, then its text event.
    void EditSpin(wxSpinCtrl* spin, int value);
    // One tick of the preview timer.
    void Tick()
    {
        wxTimerEvent tick(m_frame->m_timer);
        m_frame->ProcessWindowEvent(tick);
    }
    wxString StatusText(int field) const { return m_frame->m_statusBar1->GetStatusText(field); }

    TestFrame* m_frame = nullptr;
    wxWeakRef<wxWindow> m_alive;
};
