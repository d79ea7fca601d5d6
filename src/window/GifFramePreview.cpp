// Preview playback in the lower panel and the loop count command.
#include "window/GifFrame.h"

#include "app/Paths.h"

#include <wx/log.h>
#include <wx/menu.h>
#include <wx/toolbar.h>
#include <wx/xrc/xmlres.h>

namespace
{
void SetPlayToolBitmap(wxToolBar* toolBar, const char* fileName)
{
    wxLogNull noLog;
    const wxBitmap bitmap(GetInstallDir() + "/Themes/" + fileName, wxBITMAP_TYPE_ANY);
    if (bitmap.IsOk())
        toolBar->SetToolNormalBitmap(XRCID("m_tool_play"), bitmap);
}
} // namespace

void GifFrame::StopPreview()
{
    m_timer.Stop();
    m_previewIndex = 0;
    ShowPlayTool();
    m_isPlaying = false;
}

void GifFrame::ShowPlayTool()
{
    SetPlayToolBitmap(m_toolBar_button, "play.png");
    m_menuItem_run->SetItemLabel(_("Run animation") + "\tCtrl+P");
}

void GifFrame::ShowStopTool()
{
    SetPlayToolBitmap(m_toolBar_button, "stop.png");
    m_menuItem_run->SetItemLabel(_("Stop animation") + "\tCtrl+T");
}

void GifFrame::ShowPreviewFrame(int)
{
}

void GifFrame::OnRunAnimation(wxCommandEvent&)
{
}

void GifFrame::OnTimer(wxTimerEvent&)
{
}

void GifFrame::OnThumbnailLeftClick(wxThumbnailEvent&)
{
}

void GifFrame::OnChangeSplitterWindow(wxSplitterEvent&)
{
}

void GifFrame::OnLoopCount(wxCommandEvent&)
{
}
