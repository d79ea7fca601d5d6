// Files that arrive from the desktop (dropped on the strip or named on the
// command line) and frames reordered inside the strip.
#include "window/GifFrame.h"

#include "model/AnimationCommands.h"
#include "window/thumbnailctrl.h"

#include <wx/dnd.h>
#include <wx/filename.h>

#include <algorithm>

namespace
{
bool IsProjectFileName(const wxString& path)
{
    return wxFileName(path).GetExt().Lower() == "xml";
}

// Takes files dropped from a file manager and shows where they will go.
class StripDropTarget : public wxFileDropTarget
{
public:
    StripDropTarget(GifFrame* frame, wxThumbnailCtrl* strip) : m_frame(frame), m_strip(strip) {}

    wxDragResult OnDragOver(wxCoord x, wxCoord y, wxDragResult defaultResult) override
    {
        if (m_frame->IsLoading() || m_frame->IsSaving())
        {
            m_strip->ShowDropMark(-1);
            return wxDragNone;
        }
        m_strip->ShowDropMark(m_strip->GapAtPoint(wxPoint(x, y)));
        // Dropped files are read, never moved away from the file manager.
        return defaultResult == wxDragNone ? wxDragNone : wxDragCopy;
    }

    void OnLeave() override { m_strip->ShowDropMark(-1); }

    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& paths) override
    {
        m_strip->ShowDropMark(-1);
        return m_frame->OpenFiles(paths, m_strip->GapAtPoint(wxPoint(x, y)));
    }

private:
    GifFrame* m_frame;
    wxThumbnailCtrl* m_strip;
};
} // namespace

void GifFrame::InstallStripDropTarget()
{
    m_thumbnailCtrl->SetDropTarget(new StripDropTarget(this, m_thumbnailCtrl));
}

bool GifFrame::OpenFiles(const wxArrayString& paths, int position)
{
    StopPreview();
    // Refused as the menu commands are while pictures load or a GIF is written.
    if (paths.empty() || IsLoading() || IsSaving())
        return false;
    // A project replaces the frames, so the pictures named with it are not loaded.
    for (const wxString& path : paths)
    {
        if (IsProjectFileName(path))
        {
            OpenProjectWithPrompt(path);
            return true;
        }
    }
    const int insertAt = position >= 0 && position < GetFrameCount() ? position : -1;
    return StartImageLoad(paths, insertAt);
}

void GifFrame::OnThumbnailItemsMoving(wxThumbnailEvent& event)
{
    // The animation moves the frames, as one step, and the strip follows it.
    event.Veto();
    // A running load places its frames by position.
    if (IsLoading())
        return;
    const std::vector<int> order = OrderAfterMove(GetFrameCount(), SelectedFrames(), event.GetIndex());
    if (!Submit(new ReorderFramesCommand(m_animation, order, wxTRANSLATE("Move"))))
        return;
    const std::vector<int> moved = SelectedFrames();
    if (moved.empty())
        return;
    const int blockStart = *std::min_element(moved.begin(), moved.end());
    m_thumbnailCtrl->EnsureItemVisible(blockStart);
    ShowPreviewFrame(blockStart);
}

void GifFrame::OnThumbnailItemsMoved(wxThumbnailEvent& event)
{
    ShowPreviewFrame(event.GetIndex());
}
