// Commands that change which frames the animation has and in which order:
// Add Image, Add Video and Insert Image (loaded on workers), Delete, Clear All,
// the Edit menu and the strip's context menu. Each change is one undoable step.
#include "window/GifFrame.h"

#include "model/AnimationCommands.h"

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
#include <wx/textdlg.h>

#include <algorithm>
#include <cmath>
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
    m_loadedFrames.clear();
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
        m_loadingProject = false;
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
    StartImageLoad(paths);
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
    VideoDialog dialog(this, path, info);
    if (dialog.ShowModal() != wxID_OK)
        return;
    const VideoChoice choice = dialog.GetChoice();
    // The clip's frames show at its pace; an empty animation takes it as its delay.
    m_loadDelay = std::max(1, int(std::lround(100.0 / choice.rate)));
    if (GetFrameCount() == 0)
        m_animation.SetDelay(m_loadDelay);
    wxArrayString entries;
    entries.push_back(VideoRangeEntry(path, choice));
    StartImageLoad(entries);
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

std::vector<int> GifFrame::SelectedFrames() const
{
    const wxArrayInt& selections = m_thumbnailCtrl->GetSelections();
    return std::vector<int>(selections.begin(), selections.end());
}

bool GifFrame::Submit(wxCommand* command)
{
    if (!command)
        return false;
    StopPreview();
    const bool done = m_history.Submit(command);
    UpdateEditMenu();
    return done;
}

void GifFrame::SelectFrames(int first, int count)
{
    for (int i = 0; i < m_thumbnailCtrl->GetCount(); ++i)
        m_thumbnailCtrl->Select(i, i >= first && i < first + count);
    if (count > 0)
        m_thumbnailCtrl->EnsureItemVisible(first);
    m_thumbnailCtrl->Refresh();
}

void GifFrame::OnInsertImage(wxCommandEvent&)
{
    StopPreview();
    if (IsLoading())
        return;
    const wxArrayString paths = AskForPictures(this, _("Insert Image Files"));
    if (paths.empty())
        return;
    StartImageLoad(paths, InsertionPosition());
}

void GifFrame::OnDeleteImage(wxCommandEvent&)
{
    StopPreview();
    const std::vector<int> selected = SelectedFrames();
    if (GetFrameCount() == 0 || selected.empty() || selected[0] < 0)
        return;
    wxMessageDialog question(this, _("Are you sure you want to delete selected image(s)?"), _("Confirm"),
                             wxYES_NO | wxNO_DEFAULT | wxICON_INFORMATION);
    if (question.ShowModal() == wxID_YES)
    {
        Submit(new RemoveFramesCommand(m_animation, selected, wxTRANSLATE("Delete")));
        ClearPreview();
    }
    m_statusBar1->SetStatusText("", 1);
}

void GifFrame::OnClearAll(wxCommandEvent&)
{
    std::vector<int> every(GetFrameCount());
    for (size_t i = 0; i < every.size(); ++i)
        every[i] = int(i);
    Submit(new RemoveFramesCommand(m_animation, every, wxTRANSLATE("Clear All")));
    m_statusBar1->SetStatusText("", 1);
}

void GifFrame::OnUndo(wxCommandEvent&)
{
    StopPreview();
    if (!IsLoading())
        m_history.Undo();
    UpdateEditMenu();
}

void GifFrame::OnRedo(wxCommandEvent&)
{
    StopPreview();
    if (!IsLoading())
        m_history.Redo();
    UpdateEditMenu();
}

void GifFrame::OnDuplicate(wxCommandEvent&)
{
    std::unique_ptr<InsertFramesCommand> command = MakeDuplicateCommand(m_animation, SelectedFrames());
    InsertFramesCommand* duplicate = command.get();
    if (Submit(command.release()))
        SelectFrames(duplicate->GetPosition(), duplicate->GetCount());
}

void GifFrame::OnReverse(wxCommandEvent&)
{
    Submit(MakeReverseCommand(m_animation, SelectedFrames()).release());
}

void GifFrame::OnYoyo(wxCommandEvent&)
{
    Submit(MakeYoyoCommand(m_animation).release());
}

void GifFrame::OnSelectAll(wxCommandEvent&)
{
    m_thumbnailCtrl->SelectAll();
    m_thumbnailCtrl->Refresh();
}

void GifFrame::OnFrameDelay(wxCommandEvent&)
{
    StopPreview();
    const std::vector<int> selected = SelectedFrames();
    if (selected.empty())
        return;
    wxTextEntryDialog dialog(this, _("Delay of the selected frames, in hundredths of a second:"), _("Frame Delay"),
                             wxString::Format("%d", m_animation.GetFrame(selected[0]).delay));
    dialog.SetTextValidator(wxFILTER_DIGITS);
    if (dialog.ShowModal() != wxID_OK)
        return;
    long delay = 0;
    if (!dialog.GetValue().ToLong(&delay) || delay < 1 || delay > 65535)
    {
        wxMessageBox(_("The delay must be a whole number from 1 to 65535."), GetProductName(),
                     wxOK | wxICON_WARNING, this);
        return;
    }
    Submit(new SetDelayCommand(m_animation, selected, int(delay)));
}

void GifFrame::OnThumbnailRightClick(wxThumbnailEvent&)
{
    StopPreview();
    wxMenu menu;
    menu.Append(ID_CONTEXT_INSERT_IMAGE, wxGETTEXT_IN_CONTEXT("menu", L"&Insert Image…") + "\tCtrl+Ins");
    menu.Append(wxID_DELETE, wxGETTEXT_IN_CONTEXT("menu", "&Delete") + "\tCtrl+Del");
    menu.AppendSeparator();
    menu.Append(ID_MENU_FRAME_DELAY, wxGETTEXT_IN_CONTEXT("menu", L"Frame &Delay…"));
    menu.Append(ID_MENU_DUPLICATE, wxGETTEXT_IN_CONTEXT("menu", "D&uplicate") + "\tCtrl+D");
    menu.Append(ID_MENU_REVERSE, wxGETTEXT_IN_CONTEXT("menu", "&Reverse"));
    menu.Append(ID_MENU_YOYO, wxGETTEXT_IN_CONTEXT("menu", "&Yo-yo"));
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
        TakeLoadedPicture(*picture, event.GetString(), static_cast<int>(event.GetExtraLong()));
        delete picture;
    }

    if (event.GetInt() == 100)
        FinishImageLoad();
    else if (m_loadProgress)
        m_loadProgress->Update(event.GetInt(), "");
}

void GifFrame::TakeLoadedPicture(const LoadedPicture& picture, const wxString& path, int frameNumber)
{
    AnimationFrame frame;
    frame.picture = picture.frame;
    frame.thumbnail = picture.thumbnail;
    frame.source = ThumbnailItemPath(path, frameNumber);
    wxString gifPath;
    int gifFrame = 0;
    const bool fromGif = path.EndsWith(".gif") || SplitGifFrameReference(path, gifPath, gifFrame);
    // A GIF frame without a delay shows for a tenth of a second, as browsers
    // show it; a still picture takes the animation's delay.
    frame.delay = fromGif ? (picture.delay > 0 ? picture.delay : kDefaultFrameDelay)
                          : (m_loadDelay > 0 ? m_loadDelay : m_animation.GetDelay());
    if (m_loadingProject)
    {
        const size_t entry = size_t(picture.entry);
        frame.delay = entry < m_loadEntryDelays.size() ? m_loadEntryDelays[entry] : m_animation.GetDelay();
    }
    m_loadedFrames.push_back(std::move(frame));
}

void GifFrame::FinishImageLoad()
{
    AnimationFrames frames = std::move(m_loadedFrames);
    m_loadedFrames.clear();
    if (m_loadProgress)
    {
        m_loadProgress->Destroy();
        m_loadProgress = nullptr;
    }
    if (m_loadingProject)
        FinishProjectLoad(std::move(frames));
    else if (!frames.empty())
    {
        // Frames deleted during the load may have shortened the animation.
        const int position = m_loadInsertAt < 0 ? GetFrameCount() : std::min(m_loadInsertAt, GetFrameCount());
        Submit(new InsertFramesCommand(m_animation, position, std::move(frames), wxTRANSLATE("Add Pictures")));
    }
    m_loadInsertAt = -1;
    m_loadDelay = 0;
    if (GetFrameCount() > 0)
        ShowPreviewFrame(0);
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
    // The frames of a load enter the animation only when it ends: a
    // cancelled one leaves nothing behind.
    m_loadedFrames.clear();
    m_loadFailures.clear();
    m_loadInsertAt = -1;
    m_loadDelay = 0;
    m_loadingProject = false;
    m_loadProgress->Destroy();
    m_loadProgress = nullptr;
    UpdateEditMenu();
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
