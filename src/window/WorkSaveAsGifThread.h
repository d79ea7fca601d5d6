// Writes the animation as a GIF file on a worker thread. The frames are those
// of the moment the save began; the worker reads them from the frame store.
#pragma once

#include "window/FrameStore.h"
#include "window/GifSave.h"
#include "window/WorkerEventSink.h"

#include <wx/thread.h>

#include <atomic>
#include <memory>
#include <vector>

// A path ending in ".gif" stays as it is; any other gets ".gif" appended (so
// "clip.GIF" becomes "clip.GIF.gif").
wxString EnsureGifExtension(const wxString& path);

// The frames of one save: references into the frame store taken when the
// save began, so later edits of the strip do not reach the file and deleted
// frames stay readable until the save ends. The worker reads them itself.
class SaveFrameFeed : public GifFrameSource
{
public:
    // Delays in hundredths of a second, one per frame.
    SaveFrameFeed(std::vector<FrameRef> frames, std::vector<int> delays);

    int GetFrameCount() const override { return m_frameCount; }
    wxImage GetFrame(int index) override; // worker thread
    int GetFrameDelay(int index) const override { return m_delays[index]; }

    bool StopRequested() const override { return m_cancelled; }
    void Cancel();        // the worker gets no more frames
    void ReleaseFrames(); // GUI thread: after the save

private:
    const int m_frameCount;
    std::vector<FrameRef> m_frames;
    const std::vector<int> m_delays;
    std::atomic<bool> m_cancelled{false};
};

class WorkSaveAsGifThread : public wxThread
{
public:
    WorkSaveAsGifThread(int width, int height, const WorkerEventSinkPtr& sink,
                        const std::shared_ptr<SaveFrameFeed>& frames, const wxString& path, int delay,
                        const GifOptions& options);

protected:
    ExitCode Entry() override;

private:
    void PostProgress(int percent, const GifSaveResult* result);

    WorkerEventSinkPtr m_sink;
    std::shared_ptr<SaveFrameFeed> m_frames;
    GifSaveSettings m_settings;
};
