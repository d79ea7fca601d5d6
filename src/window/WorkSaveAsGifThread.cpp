#include "window/WorkSaveAsGifThread.h"

#include "window/ThreadEvents.h"

wxString EnsureGifExtension(const wxString& path)
{
    return path.EndsWith(".gif") ? path : path + ".gif";
}

SaveFrameFeed::SaveFrameFeed(std::vector<wxBitmap> frames, const WorkerEventSinkPtr& sink)
    : m_frameCount(static_cast<int>(frames.size())), m_frames(std::move(frames)), m_sink(sink), m_ready(m_mutex)
{
}

SaveFrameFeed::~SaveFrameFeed()
{
    for (auto& converted : m_converted)
        delete converted.second;
}

void SaveFrameFeed::RequestUpTo(int lastIndex)
{
    lastIndex = std::min(lastIndex, m_frameCount - 1);
    while (m_requested < lastIndex)
    {
        ++m_requested;
        wxCommandEvent* request = new wxCommandEvent(wxEVT_COMMAND_THREAD_UPDATE, ID_SAVE_FRAME_REQUEST);
        request->SetInt(m_requested);
        m_sink->Post(request);
    }
}

wxImage SaveFrameFeed::GetFrame(int index)
{
    wxImage* converted = nullptr;
    {
        wxMutexLocker lock(m_mutex);
        RequestUpTo(index + kFramesAhead);
        while (!m_cancelled && m_converted.find(index) == m_converted.end())
        {
            // A window that has gone answers no more requests.
            if (m_ready.WaitTimeout(200) == wxCOND_TIMEOUT && !m_sink->IsAttached())
                m_cancelled = true;
        }
        if (m_cancelled)
            return wxImage();
        converted = m_converted[index];
        m_converted.erase(index);
    }
    wxImage frame = *converted;
    delete converted;
    return frame;
}

void SaveFrameFeed::Provide(int index)
{
    wxImage* converted = nullptr;
    if (index >= 0 && index < m_frameCount && m_frames[index].IsOk())
        converted = new wxImage(m_frames[index].ConvertToImage());
    else
        converted = new wxImage;
    // Only this thread held the new image, so it can change hands now.
    wxMutexLocker lock(m_mutex);
    m_converted[index] = converted;
    m_ready.Broadcast();
}

void SaveFrameFeed::Cancel()
{
    wxMutexLocker lock(m_mutex);
    m_cancelled = true;
    m_ready.Broadcast();
}

void SaveFrameFeed::ReleaseFrames()
{
    m_frames.clear();
}

WorkSaveAsGifThread::WorkSaveAsGifThread(int width, int height, const WorkerEventSinkPtr& sink,
                                         const std::shared_ptr<SaveFrameFeed>& frames, const wxString& path,
                                         int delay)
    : wxThread(wxTHREAD_DETACHED), m_sink(sink), m_frames(frames)
{
    m_settings.path = path.Clone();
    m_settings.width = width;
    m_settings.height = height;
    m_settings.delay = delay;
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
