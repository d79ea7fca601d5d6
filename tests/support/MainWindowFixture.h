// A main window made from the real XRC, with its state open to the tests.
#pragma once

#include "window/GifFrame.h"

#include <gtest/gtest.h>
#include <wx/weakref.h>

#include <vector>

class wxSpinCtrl;

class TestFrame : public GifFrame
{
public:
    using GifFrame::m_gifName;
    using GifFrame::m_gifPath;
    using GifFrame::m_gifSavedDelay;
    using GifFrame::m_gifSavedFrameCount;
    using GifFrame::m_gifSavedHeight;
    using GifFrame::m_gifSavedWidth;
    using GifFrame::m_isPlaying;
    using GifFrame::m_language;
    using GifFrame::m_loadProgress;
    using GifFrame::m_loopCount;
    using GifFrame::m_loopsDone;
    using GifFrame::m_menuBar;
    using GifFrame::m_menuItem_run;
    using GifFrame::m_outHeight;
    using GifFrame::m_outWidth;
    using GifFrame::m_panel_down;
    using GifFrame::m_panel_top;
    using GifFrame::m_previewIndex;
    using GifFrame::m_previewName;
    using GifFrame::m_projectFileName;
    using GifFrame::m_projectPath;
    using GifFrame::m_refHeight;
    using GifFrame::m_refWidth;
    using GifFrame::m_saveProgress;
    using GifFrame::m_savedDelay;
    using GifFrame::m_savedFrameCount;
    using GifFrame::m_savedHeight;
    using GifFrame::m_savedWidth;
    using GifFrame::m_spinctrl_delay;
    using GifFrame::m_spinctrl_height;
    using GifFrame::m_spinctrl_width;
    using GifFrame::m_splitter3;
    using GifFrame::m_statusBar1;
    using GifFrame::m_thumbnailCtrl;
    using GifFrame::m_timer;
    using GifFrame::m_toolBar_button;
    using GifFrame::m_loadFailures;
    using GifFrame::m_previewBitmap;
    using GifFrame::m_previewPosition;
    using GifFrame::m_previewWidth;
    using GifFrame::m_previewHeight;
    using GifFrame::m_saveFeed;
    using GifFrame::m_gifSaveFailed;
    using GifFrame::StartImageLoad;
    using GifFrame::ProjectChanged;
    using GifFrame::DrawPreview;
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

    // Loads pictures through the window's loader and waits for the load to end.
    void LoadPictures(const std::vector<wxString>& entries);
    // The same when some pictures fail: the message naming them is answered
    // and its text returned.
    wxString LoadPicturesWithFailures(const std::vector<wxString>& entries);
    int FrameCount() const;
    wxString FramePath(int index) const;
    // Changes a spin control as the user would: the value, then its text event.
    void EditSpin(wxSpinCtrl* spin, int value);
    void Tick();
    wxString StatusText(int field) const;

    TestFrame* m_frame = nullptr;
    wxWeakRef<wxWindow> m_alive;
};
