// Commands that change which frames the animation has: Add Image (loaded on a
// worker), Insert Image (loaded at once), Delete, Clear All and the strip's
// context menu.
#include "window/GifFrame.h"

#include "app/Paths.h"
#include "window/ImageDecoding.h"
#include "window/ImageThread.h"
#include "window/ThreadEvents.h"
#include "window/VideoDecoder.h"
#include "window/VideoDialog.h"
#include "window/thumbnailctrl.h"

#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/spinctrl.h>
#include <wx/statusbr.h>

#include <algorithm>
#include <functional>

namespace
{
wxString ImageFileFilter()
{
    // GTK matches patterns case-sensitively: name the upper-case extensions
    // of camera files too.
    return _("Image files") +
           " (*.png;*.jpg;*bmp;*.gif)|*.png;*.jpg;*.bmp;*.gif;*.jpeg;*.PNG;*.JPG;*.BMP;*.GIF;*.JPEG;" +
           VideoFilePattern();
}

wxString VideoFileFilter()
{
    const wxString pattern = VideoFilePattern();
    return _("Video clips") + " (" + pattern.BeforeFirst(';') + ";...)|" + pattern;
}

wxArrayString AskForPictures(wxWindow* parent, const wxString& title)
{
    wxFileDialog dialog(parent, title, "", "", ImageFileFilter(),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST | wxFD_MULTIPLE);
    wxArrayString paths;
    if (dialog.ShowModal() != wxID_OK)
        return paths;
    dialog.GetPaths(paths);
    return paths;
}

wxString DescribeFailures(const std::vector<LoadFailure>& failures)
{
    const size_t kListed = 15;
    wxString list;
    for (size_t i = 0; i < failures.size() && i < kListed; ++i)
        list += "\n" + failures[i].entry + " (" + failures[i].reason + ")";
    if (failures.size() > kListed)
    {
        const int more = int(failures.size() - kListed);
        list += "\n" + wxString::Format(wxPLURAL("and %d more", "and %d more", more), more);
    }
    return list;
}
} // namespace

bool GifFrame::IsLoading() const
{
    return m_loadProgress != nullptr;
}

bool GifFrame::StartImageLoad(const wxArrayString& entries, int insertAt)
{
    // A sink of its own, so that cancelling this load leaves other workers be.
    m_loadSink = std::make_shared<WorkerEventSink>(this);
    ImageThread* thread = new ImageThread(
        m_loadSink, entries, wxSize(m_thumbnailCtrl->GetThumbnailWidth(), m_thumbnailCtrl->GetThumbnailHeight()));
    if (thread->Create() != wxTHREAD_NO_ERROR)
    {
        delete thread;
        wxMessageBox(_("The pictures could not be loaded: no worker thread could be started."),
                     GetProductName(), wxOK | wxICON_ERROR, this);
        return false;
    }
    m_loadFailures.clear();
    m_loadItems.clear();
    m_loadInsertAt = insertAt;
    m_loadProgress =
        new wxProgressDialog(_("Load Images Progress Dialog"), _(" Loading images...."), 100, this,
                             wxPD_CAN_ABORT | wxPD_ELAPSED_TIME | wxPD_ESTIMATED_TIME | wxPD_REMAINING_TIME);
    // Cancel, Escape and the dialog's close box stop the load at once, not at
    // the next progress report.
    m_loadProgress->Bind(wxEVT_BUTTON, &GifFrame::OnCancelLoadButton, this, wxID_CANCEL);
    m_loadProgress->Bind(wxEVT_CLOSE_WINDOW, &GifFrame::OnCloseLoadProgress, this);
    if (thread->Run() != wxTHREAD_NO_ERROR)
    {
        // A detached thread that did not run is still ours to delete.
        delete thread;
        m_loadProgress->Destroy();
        m_loadProgress = nullptr;
        return false;
    }
    return true;
}

void GifFrame::OnAddImage(wxCommandEvent&)
{
    StopPreview();
    if (IsLoading())
        return;
    const wxArrayString paths = AskForPictures(this, _("Add Image Files"));
    if (paths.empty())
        return;
    if (StartImageLoad(paths))
        EnableFrameCommands();
}

void GifFrame::OnAddVideo(wxCommandEvent&)
{
    StopPreview();
    if (IsLoading())
        return;
    wxFileDialog files(this, _("Add Video Clip"), "", "", VideoFileFilter(), wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (files.ShowModal() != wxID_OK)
        return;
    const wxString path = files.GetPath();
    VideoClipInfo info;
    wxString failure;
    if (!ProbeVideoClip(path, info, &failure))
    {
        wxMessageBox(_("These pictures could not be loaded:") + DescribeFailures({{path, failure}}), GetProductName(),
                     wxOK | wxICON_WARNING, this);
        return;
    }
    // A clip that does not know its length has no span to choose: all of it comes.
    VideoChoice choice = DefaultVideoChoice(info);
    if (info.duration > 0)
    {
        VideoDialog dialog(this, path, info);
        if (dialog.ShowModal() != wxID_OK)
            return;
        choice = dialog.GetChoice();
    }
    // The one delay of an empty animation follows the clip's pace.
    if (GetFrameCount() == 0)
    {
        m_spinctrl_delay->SetValue(int(std::lround(100.0 / choice.rate)));
        m_thumbnailCtrl->m_frameDelay = m_spinctrl_delay->GetValue();
    }
    wxArrayString entries;
    entries.push_back(info.duration > 0 ? VideoRangeEntry(path, choice) : path);
    if (StartImageLoad(entries))
        EnableFrameCommands();
}

int GifFrame::InsertionPosition() const
{
    const wxArrayInt& selections = m_thumbnailCtrl->GetSelections();
    if (!selections.empty() && selections[0] >= 0)
        return selections[0];
    // Nothing selected (a right click only moves the focus): before the
    // focused frame, or at the end.
    const int focus = m_thumbnailCtrl->GetFocusItem();
    return focus >= 0 && focus < m_thumbnailCtrl->GetCount() ? focus : m_thumbnailCtrl->GetCount();
}

void GifFrame::OnInsertImage(wxCommandEvent&)
{
    StopPreview();
    const wxArrayString paths = AskForPictures(this, _("Insert Image Files"));
    if (paths.empty())
        return;

    const int position = InsertionPosition();
    // A clip's frames would keep the window frozen while they decode here:
    // they load in the background, with progress and Cancel, at the same place.
    if (std::any_of(paths.begin(), paths.end(), [](const wxString& path) { return IsVideoEntry(path); }))
    {
        if (!IsLoading())
            StartImageLoad(paths, position < GetFrameCount() ? position : -1);
        return;
    }
    int inserted = 0;
    std::vector<LoadFailure> failures;
    for (const wxString& path : paths)
    {
        wxString failure;
        const bool decoded = DecodePictureEntry(
            path,
            [&](wxImage&& image, const wxString& source, int frameNumber, bool, int) {
                m_thumbnailCtrl->SuspendUpdates();
                wxImageThumbnailItem* item =
                    new wxImageThumbnailItem(new wxImage(image), frameNumber, source);
                m_thumbnailCtrl->Insert(item, position + inserted);
                ++inserted;
                m_thumbnailCtrl->ResumeUpdates();
            },
            &failure);
        if (!decoded)
            failures.push_back({path, failure});
    }
    RefreshOutputSize();
    if (!failures.empty())
        wxMessageBox(_("These pictures could not be loaded:") + DescribeFailures(failures), GetProductName(),
                     wxOK | wxICON_WARNING, this);
}

void GifFrame::OnDeleteImage(wxCommandEvent&)
{
    StopPreview();
    if (GetFrameCount() == 0)
        return;
    wxArrayInt selected = m_thumbnailCtrl->GetSelections();
    if (selected.empty() || selected[0] < 0)
        return;
    // From the highest index down, so that the lower ones stay valid.
    std::sort(selected.begin(), selected.end(), std::greater<int>());

    wxMessageDialog question(this, _("Are you sure you want to delete selected image(s)?"), _("Confirm"),
                             wxYES_NO | wxNO_DEFAULT | wxICON_INFORMATION);
    if (question.ShowModal() == wxID_YES)
    {
        for (int index : selected)
            m_thumbnailCtrl->Delete(index);
        ClearPreview();
    }
    m_statusBar1->SetStatusText("", 1);
    RefreshOutputSize();
    if (GetFrameCount() == 0)
        DisableFrameCommands();
}

void GifFrame::OnClearAll(wxCommandEvent&)
{
    StopPreview();
    DisableFrameCommands();
    m_thumbnailCtrl->Clear();
    RefreshOutputSize();
    m_statusBar1->SetStatusText("", 1);
    ClearPreview();
}

void GifFrame::OnThumbnailRightClick(wxThumbnailEvent&)
{
    StopPreview();
    wxMenu menu;
    menu.Append(ID_CONTEXT_INSERT_IMAGE, wxGETTEXT_IN_CONTEXT("menu", L"&Insert Image…") + "\tCtrl+Ins");
    menu.Append(wxID_DELETE, wxGETTEXT_IN_CONTEXT("menu", "&Delete") + "\tCtrl+Del");
    PopupMenu(&menu, ScreenToClient(wxGetMousePosition()));
}

void GifFrame::OnThreadUpdate(wxCommandEvent& event)
{
    if (m_loadCancelPending)
    {
        DiscardLoadUpdate(event);
        return;
    }
    if (event.GetInt() == kLoadFailureProgress)
    {
        LoadFailure* failure = static_cast<LoadFailure*>(event.GetClientData());
        m_loadFailures.push_back(*failure);
        delete failure;
        return;
    }

    if (LoadedPicture* picture = static_cast<LoadedPicture*>(event.GetClientData()))
    {
        wxImageThumbnailItem* item = new wxImageThumbnailItem(
            picture->frame, picture->thumbnail, static_cast<int>(event.GetExtraLong()), event.GetString());
        delete picture;
        // The strip refuses an item whose file has gone meanwhile.
        if (!PlaceLoadedItem(item))
        {
            m_loadFailures.push_back({event.GetString(), _("the file is no longer there")});
            delete item;
        }
    }

    if (event.GetInt() == 100)
        FinishImageLoad();
    else if (m_loadProgress)
        m_loadProgress->Update(event.GetInt(), "");
}

bool GifFrame::PlaceLoadedItem(wxImageThumbnailItem* item)
{
    if (m_loadInsertAt < 0)
    {
        if (m_thumbnailCtrl->Append(item, m_spinctrl_delay->GetValue()) < 0)
            return false;
        m_loadItems.insert(item);
        return true;
    }
    // Insert keeps even an item that cannot load; a dropped picture whose
    // file has gone is refused as Append refuses it.
    if (!item->LoadThumbnail(m_thumbnailCtrl))
        return false;
    m_thumbnailCtrl->m_frameDelay = m_spinctrl_delay->GetValue();
    // Frames deleted during the load may have shortened the strip.
    const int position = std::min(m_loadInsertAt, m_thumbnailCtrl->GetCount());
    m_thumbnailCtrl->Insert(item, position);
    m_loadInsertAt = position + 1;
    m_loadItems.insert(item);
    return true;
}

void GifFrame::FinishImageLoad()
{
    m_loadInsertAt = -1;
    m_loadItems.clear();
    RefreshOutputSize();
    if (GetFrameCount() > 0)
        ShowPreviewFrame(0);
    if (m_loadProgress)
    {
        m_loadProgress->Destroy();
        m_loadProgress = nullptr;
    }
    if (!m_loadFailures.empty())
    {
        const std::vector<LoadFailure> failures = std::move(m_loadFailures);
        m_loadFailures.clear();
        wxMessageBox(_("These pictures could not be loaded:") + DescribeFailures(failures), GetProductName(),
                     wxOK | wxICON_WARNING, this);
    }
}

// A marker queued behind the updates of a cancelled load: they are dropped
// until it arrives.
const int kLoadCancelledProgress = -2;

void GifFrame::CancelImageLoad()
{
    if (!m_loadProgress)
        return;
    // Updates queued from now on are dropped by the sink; those already
    // queued are dropped here until the marker that follows them.
    m_loadSink->Detach();
    m_loadCancelPending = true;
    wxCommandEvent* marker = new wxCommandEvent(wxEVT_COMMAND_THREAD_UPDATE, ID_IMAGE_THREAD_UPDATE);
    marker->SetInt(kLoadCancelledProgress);
    wxQueueEvent(this, marker);
    m_thumbnailCtrl->SuspendUpdates();
    for (int index = GetFrameCount() - 1; index >= 0 && !m_loadItems.empty(); --index)
    {
        if (m_loadItems.erase(m_thumbnailCtrl->GetItem(index)))
            m_thumbnailCtrl->Delete(index);
    }
    m_thumbnailCtrl->ResumeUpdates();
    m_loadItems.clear();
    m_loadFailures.clear();
    m_loadInsertAt = -1;
    m_loadProgress->Destroy();
    m_loadProgress = nullptr;
    RefreshOutputSize();
    if (GetFrameCount() == 0)
    {
        DisableFrameCommands();
        ClearPreview();
    }
}

void GifFrame::OnCancelLoadButton(wxCommandEvent&)
{
    CancelImageLoad();
}

void GifFrame::OnCloseLoadProgress(wxCloseEvent&)
{
    CancelImageLoad();
}

void GifFrame::DiscardLoadUpdate(wxCommandEvent& event)
{
    if (event.GetInt() == kLoadFailureProgress)
        delete static_cast<LoadFailure*>(event.GetClientData());
    else
        delete static_cast<LoadedPicture*>(event.GetClientData());
    if (event.GetInt() == kLoadCancelledProgress)
        m_loadCancelPending = false;
}
