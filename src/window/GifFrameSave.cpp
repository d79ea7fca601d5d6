// Save and Save As: writing the animation as a GIF file on a worker thread.
#include "window/GifFrame.h"

#include "app/Paths.h"
#include "app/Trace.h"
#include "window/GifOptionsDialog.h"
#include "window/GifOptionsFile.h"
#include "window/ThreadEvents.h"
#include "window/WorkSaveAsGifThread.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/spinctrl.h>
#include <wx/statusbr.h>


namespace
{
wxString AskForGifPath(wxWindow* parent, const wxString& title)
{
    wxFileDialog dialog(parent, title, "", "*.gif", _("Image files") + " (*.gif)|*.gif",
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
}
} // namespace

bool GifFrame::IsSaving() const
{
    return m_saveFeed != nullptr;
}

void GifFrame::WriteSaveStatus()
{
    RefreshOutputSize();
}

void GifFrame::OnSaveAnimator(wxCommandEvent&)
{
    WriteTraceLine("OnSaveAnimator");
    StopPreview();
    // The size is known only once the pictures being loaded have arrived.
    if (IsSaving() || IsLoading())
        return;
    if (GetFrameCount() == 0)
    {
        if (m_gifPath.empty())
            m_gifPath = AskForGifPath(this, _("Save GIF Files"));
        return;
    }
    if (m_gifPath.empty())
    {
        m_gifPath = AskForGifPath(this, _("Save GIF Files"));
        if (m_gifPath.empty())
            return;
        // The name shows as typed, before the extension is added.
        m_gifName = wxFileNameFromPath(m_gifPath);
        m_gifPath = EnsureGifExtension(m_gifPath);
        StartGifSave(_("Save GIF Progress Dialog"));
    }
    else
    {
        if (!GifChanged())
            return;
        StartGifSave(_("Save GIF Progress Dialog"));
    }
    WriteSaveStatus();
}

void GifFrame::OnSaveAsAnimator(wxCommandEvent&)
{
    StopPreview();
    if (GetFrameCount() == 0 || IsSaving() || IsLoading())
        return;
    m_gifPath = AskForGifPath(this, _("Save As GIF Files"));
    if (m_gifPath.empty())
        return;
    m_gifPath = EnsureGifExtension(m_gifPath);
    StartGifSave(_("Save As GIF Progress Dialog"));
    m_gifName = wxFileNameFromPath(m_gifPath);
    WriteSaveStatus();
}

bool GifFrame::StartGifSave(const wxString& progressTitle)
{
    // The frames of this moment: later edits do not reach the file.
    m_gifRevision = m_animation.GetRevision();
    m_gifSavedOptions = m_gifOptions;
    std::vector<FrameRef> frames;
    std::vector<int> delays;
    for (const AnimationFrame& frame : m_animation.GetFrames())
    {
        frames.push_back(frame.picture);
        delays.push_back(frame.delay);
    }
    auto feed = std::make_shared<SaveFrameFeed>(std::move(frames), std::move(delays));
    const wxSize size = m_animation.GetOutputSize();
    WorkSaveAsGifThread* thread =
        new WorkSaveAsGifThread(size.x, size.y, m_workerSink, feed, m_gifPath, m_animation.GetDelay(), m_gifOptions);
    if (thread->Run() != wxTHREAD_NO_ERROR)
    {
        delete thread;
        m_gifSaveFailed = true;
        wxMessageBox(wxString::Format(_("Could not save \"%s\": no worker thread could be started."), m_gifPath),
                     GetProductName(), wxOK | wxICON_ERROR, this);
        return false;
    }
    m_saveFeed = feed;
    m_savingGifPath = m_gifPath;
    m_statusBar1->SetStatusText("", 2);
    SetSaveCommandsEnabled(false);
    m_saveProgress = new wxProgressDialog(progressTitle, _(" Saving images...."), 100, this,
                                          wxPD_ELAPSED_TIME | wxPD_ESTIMATED_TIME | wxPD_REMAINING_TIME);
    return true;
}

void GifFrame::SetSaveCommandsEnabled(bool enable)
{
    // Save and Save As follow the other frame commands once no save runs.
    const bool frameCommandsOn = m_menuItem_saveProject->IsEnabled();
    m_menuItem_save->Enable(enable && frameCommandsOn);
    m_menuItem_saveAs->Enable(enable && frameCommandsOn);
}

void GifFrame::OnWorkSaveAsGifThreadUpdate(wxCommandEvent& event)
{
    const int value = event.GetInt();
    if (value != 100)
    {
        if (m_saveProgress)
            m_saveProgress->Update(value, "");
        return;
    }
    if (m_saveProgress)
    {
        m_saveProgress->Destroy();
        m_saveProgress = nullptr;
    }
    m_saveFeed->ReleaseFrames();
    m_saveFeed.reset();
    SetSaveCommandsEnabled(true);
    wxWakeUpIdle();

    m_gifSaveFailed = event.GetExtraLong() == 0;
    if (m_gifSaveFailed)
        wxMessageBox(wxString::Format(_("The GIF file \"%s\" could not be saved:\n%s"), m_savingGifPath,
                                      event.GetString()),
                     GetProductName(), wxOK | wxICON_ERROR, this);
    else
        WriteSavedSizeStatus(m_savingGifPath);
    if (m_closeAfterSave)
        CallAfter([this] { Close(); });
}

void GifFrame::WriteSavedSizeStatus(const wxString& path)
{
    const wxULongLong size = wxFileName::GetSize(path);
    if (size == wxInvalidSize)
        return;
    // TRANSLATORS: after a GIF was saved: its file name and its size, such as "12.5 KB".
    m_statusBar1->SetStatusText(
        wxString::Format(_("Saved %s (%s)"), wxFileNameFromPath(path), wxFileName::GetHumanReadableSize(size)), 2);
}

void GifFrame::OnGifOptions(wxCommandEvent&)
{
    GifOptionsDialog dialog(this, m_gifOptions);
    if (dialog.ShowModal() != wxID_OK)
        return;
    const GifOptions chosen = dialog.GetOptions();
    if (chosen == m_gifOptions)
        return;
    // The project keeps them, and the next new project starts with them.
    m_gifOptions = chosen;
    UpdateTitle();
    wxString error;
    if (!WriteGifOptionsFile(GetGifOptionsFilePath(), chosen, &error))
        wxMessageBox(wxString::Format(_("The GIF options could not be kept as your defaults:\n%s"), error),
                     GetProductName(), wxOK | wxICON_ERROR, this);
}
