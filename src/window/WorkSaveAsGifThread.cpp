#include "window/WorkSaveAsGifThread.h"

#include "window/ThreadEvents.h"

wxString EnsureGifExtension(const wxString& path)
{
    return path.EndsWith(".gif") ? path : path + ".gif";
}

SaveFrameFeed::SaveFrameFeed(std::vector<FrameRef> frames, std::vector<int> delays)
    : m_frameCount(static_cast<int>(frames.size())), m_frames(std::move(frames)), m_delays(std::move(delays))
{
}

wxImage SaveFrameFeed::GetFrame(int index)
{
    if (m_cancelled || index < 0 || index >= m_frameCount || !m_frames[index])
        return wxImage();
    return m_frames[index]->Load();
}

void SaveFrameFeed::Cancel()
{
    m_cancelled = true;
}

void SaveFrameFeed::ReleaseFrames()
{
    m_frames.clear();
}

WorkSaveAsGifThread::WorkSaveAsGifThread(int width, int height, const WorkerEventSinkPtr& sink,
                                         const std::shared_ptr<SaveFrameFeed>& frames, const wxString& path,
                                         int delay, const GifOptions& options)
    : wxThread(wxTHREAD_DETACHED), m_sink(sink), m_frames(frames)
{
    m_settings.path = path.Clone();
    m_settings.width = width;
    m_settings.height = height;
    m_settings.delay = delay;
    m_settings.options = options;
}

wxThread::ExitCode WorkSaveAsGifThread::Entry()
{
    const int count = m_frames->GetFrameCount();
    const GifSaveResult result = SaveGifAnimation(m_settings, *m_frames, [this, count](int index, int) {
        // The last report waits until the file is complete.
        if (index + 1 < count)
            PostProgress(100 * (index + 1) / count, nullptr);
    });
    PostProgress(100, &result);
    return 0;
}

void WorkSaveAsGifThread::PostProgress(int percent, const GifSaveResult* result)
{
    wxCommandEvent* event = new wxCommandEvent(wxEVT_COMMAND_THREAD_UPDATE, ID_SAVE_THREAD_UPDATE);
    event->SetInt(percent);
    if (result)
    {
        event->SetExtraLong(result->ok ? 1 : 0);
        event->SetString(result->error.Clone());
    }
    m_sink->Post(event);
}
