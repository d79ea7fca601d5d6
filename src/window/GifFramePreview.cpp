// Preview playback in the lower panel and the loop count command.
#include "window/GifFrame.h"

#include "app/Paths.h"
#include "app/Trace.h"
#include "window/LoopCountDialog.h"
#include "window/PreviewPrefetch.h"
#include "window/thumbnailctrl.h"

#include <wx/dcclient.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/spinctrl.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/xrc/xmlres.h>

#include <algorithm>

namespace
{
// A delay of 0 would ask the timer for 0 ms; keep a small positive tick.
const int kMinimumPreviewInterval = 10;

void SetPlayToolBitmap(wxToolBar* toolBar, const char* fileName)
{
    wxLogNull noLog;
    const wxBitmap bitmap(GetInstallDir() + "/Themes/" + fileName, wxBITMAP_TYPE_ANY);
    if (bitmap.IsOk())
        toolBar->SetToolNormalBitmap(XRCID("m_tool_play"), bitmap);
}
} // namespace

int GifFrame::PreviewInterval(int index) const
{
    if (index < 0 || index >= m_animation.GetFrameCount())
        return kMinimumPreviewInterval;
    return std::max(kMinimumPreviewInterval, m_animation.GetFrame(index).delay * 10);
}

void GifFrame::StopPreview()
{
    m_timer.Stop();
    m_previewPrefetch->Stop();
    m_previewIndex = 0;
    ShowPlayTool();
    m_isPlaying = false;
}

void GifFrame::ShowPlayTool()
{
    SetPlayToolBitmap(m_toolBar_button, "play.png");
    m_menuItem_run->SetItemLabel(wxGETTEXT_IN_CONTEXT("menu", "Run animation") + "\tCtrl+P");
}

void GifFrame::ShowStopTool()
{
    SetPlayToolBitmap(m_toolBar_button, "stop.png");
    m_menuItem_run->SetItemLabel(wxGETTEXT_IN_CONTEXT("menu", "Stop animation") + "\tCtrl+T");
}

void GifFrame::OnRunAnimation(wxCommandEvent&)
{
    if (m_isPlaying)
    {
        m_timer.Stop();
        m_previewPrefetch->Stop();
        m_previewIndex = 0;
        ShowPlayTool();
    }
    else
    {
        if (GetFrameCount() == 0)
            return;
        StartPreviewPrefetch();
        m_previewPace.Start();
        // The first frame shows after the delay of the one before it, the last.
        m_timer.StartOnce(m_previewPace.MillisecondsToNextTick(PreviewInterval(GetFrameCount() - 1)));
        ShowStopTool();
    }
    m_isPlaying = !m_isPlaying;
}

void GifFrame::OnTimer(wxTimerEvent&)
{
    const int count = GetFrameCount();
    if (count == 0)
    {
        StopPreview();
        return;
    }
    ShowPreviewFrame(m_previewIndex);
    const int shown = m_previewIndex;
    ++m_previewIndex;
    if (m_previewIndex >= count)
    {
        ++m_loopsDone;
        if (m_loopsDone == m_animation.GetLoopCount())
        {
            m_timer.Stop();
            m_previewPrefetch->Stop();
            m_loopsDone = 0;
            ShowPlayTool();
            m_isPlaying = false;
        }
        m_previewIndex = 0;
    }
    if (m_isPlaying)
        m_timer.StartOnce(m_previewPace.MillisecondsToNextTick(PreviewInterval(shown)));
}

// GTK3 draws a window reliably only from its paint event, so this records
// what to show and where, and the panel's paint handler draws it.
void GifFrame::ShowPreviewFrame(int index)
{
    if (index < 0 || index >= m_animation.GetFrameCount())
        return;
    const AnimationFrame& frame = m_animation.GetFrame(index);
    const wxSize panel = m_panel_down->GetClientSize();
    PreviewPicture shown;
    if (!m_isPlaying || !m_previewPrefetch->Take(index, panel, shown))
        shown = MakePreviewPicture(frame.picture ? frame.picture->Load() : wxImage(), panel);
    m_previewPosition = shown.place.GetPosition();
    m_previewBitmap = shown.image.IsOk() ? wxBitmap(shown.image) : wxBitmap();
    m_panel_down->Refresh();

    m_previewName = wxFileNameFromPath(frame.source);
    const wxSize pictureSize = frame.GetSize();
    m_previewWidth = pictureSize.x;
    m_previewHeight = pictureSize.y;
    WritePreviewStatus();
}

void GifFrame::StartPreviewPrefetch()
{
    std::vector<FrameRef> frames;
    for (const AnimationFrame& frame : m_animation.GetFrames())
        frames.push_back(frame.picture);
    m_previewPrefetch->Start(std::move(frames), m_panel_down->GetClientSize(), m_previewIndex);
}

// Status field 1 describes the picture last drawn in the preview.
void GifFrame::WritePreviewStatus()
{
    // TRANSLATORS: status bar: the file name of the frame in the preview and
    // its width and height in pixels.
    m_statusBar1->SetStatusText(wxString::Format(_("%s Width:%dpx,Height:%d px"), m_previewName, m_previewWidth,
                                                 m_previewHeight),
                                1);
}

void GifFrame::ClearPreview()
{
    m_previewBitmap = wxBitmap();
    m_panel_down->Refresh();
}

void GifFrame::DrawPreview(wxDC& dc)
{
    dc.SetBackground(wxBrush(m_panel_down->GetBackgroundColour()));
    dc.Clear();
    if (m_previewBitmap.IsOk())
        dc.DrawBitmap(m_previewBitmap, m_previewPosition, true);
}

void GifFrame::OnPreviewPaint(wxPaintEvent&)
{
    wxPaintDC dc(m_panel_down);
    DrawPreview(dc);
}

void GifFrame::OnThumbnailLeftClick(wxThumbnailEvent& event)
{
    if (GetFrameCount() == 0)
        return;
    StopPreview();
    ShowPreviewFrame(event.GetIndex());
}

void GifFrame::OnChangeSplitterWindow(wxSplitterEvent& event)
{
    WriteTraceLine("OnChangeSplitterWindow");
    event.Skip();
    const wxArrayInt& selections = m_thumbnailCtrl->GetSelections();
    if (!selections.empty() && selections[0] >= 0)
        ShowPreviewFrame(selections[0]);
}

void GifFrame::OnLoopCount(wxCommandEvent&)
{
    if (GetFrameCount() == 0)
        return;
    LoopCountDialog dialog(this);
    if (dialog.ShowModal() == wxID_OK)
    {
        m_animation.SetLoopCount(dialog.m_chosenLoopCount);
        m_loopsDone = 0;
    }
    StopPreview();
}
