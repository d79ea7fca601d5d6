// Writes the animation as a GIF file on a worker thread. The frames are those
// of the moment the save began: the main window keeps their bitmaps and hands
// them over one by one, as wxImage, while the worker asks for them.
#pragma once

#include "window/GifSave.h"
#include "window/WorkerEventSink.h"

#include <wx/bitmap.h>
#include <wx/thread.h>

#include <map>
#include <memory>
#include <vector>

// A path ending in ".gif" stays as it is; any other gets ".gif" appended (so
// "clip.GIF" becomes "clip.GIF.gif").
wxString EnsureGifExtension(const wxString& path);

// Id of the worker's request for a frame (the event's integer is the index).
const int ID_SAVE_FRAME_REQUEST = 11;

// The frames of one save. The bitmaps are touched only on the GUI thread
// (Provide, Cancel, ReleaseFrames); the worker only takes finished images.
class SaveFrameFeed : public GifFrameSource
{
public:
    SaveFrameFeed(std::vector<wxBitmap> frames, const WorkerEventSinkPtr& sink);
    ~SaveFrameFeed() override;

    int GetFrameCount() const override { return m_frameCount; }
    wxImage GetFrame(int index) override; // worker thread

    void Provide(int index);  // GUI thread: converts one frame for the worker
    void Cancel();            // GUI thread: the worker gets no more frames
    void ReleaseFrames();     // GUI thread: after the save

private:
    void RequestUpTo(int lastIndex);

    static const int kFramesAhead = 3;

    const int m_frameCount;
    std::vector<wxBitmap> m_frames;
    WorkerEventSinkPtr m_sink;

    wxMutex m_mutex;
    wxCondition m_ready;
    std::map<int, wxImage*> m_converted;
    int m_requested = -1;
    bool m_cancelled = false;
};

class WorkSaveAsGifThread : public wxThread
{
public:
    WorkSaveAsGifThread(int width, int height, const WorkerEventSinkPtr& sink,
                        const std::shared_ptr<SaveFrameFeed>& frames, const wxString& path, int delay);

protected:
    ExitCode Entry() override;

private:
    void PostProgress(int percent, const GifSaveResult* result);

    WorkerEventSinkPtr m_sink;
    std::shared_ptr<SaveFrameFeed> m_frames;
    GifSaveSettings m_settings;
};
