#include "window/PreviewPrefetch.h"

#include "window/PreviewGeometry.h"

#include <algorithm>

PreviewPicture MakePreviewPicture(const wxImage& picture, const wxSize& panel)
{
    PreviewPicture shown;
    if (!picture.IsOk() || picture.GetWidth() <= 0 || picture.GetHeight() <= 0)
        return shown;
    shown.place = PreviewPlacement(panel, picture.GetSize());
    if (shown.place.GetSize() == picture.GetSize())
        shown.image = picture;
    else if (shown.place.width > 0 && shown.place.height > 0)
        shown.image = picture.Scale(shown.place.width, shown.place.height, wxIMAGE_QUALITY_NORMAL);
    return shown;
}

void PreviewPace::Start()
{
    m_start = Clock::now();
    m_due = 0;
}

int PreviewPace::MillisecondsToNextTick(int intervalMilliseconds)
{
    const int interval = std::max(1, intervalMilliseconds);
    m_due += interval;
    const Clock::time_point now = Clock::now();
    const long long wait =
        m_due - std::chrono::duration_cast<std::chrono::milliseconds>(now - m_start).count();
    // Far behind (the machine was busy): start counting afresh rather than
    // rushing through the missed ticks.
    if (wait < -interval)
    {
        m_start = now;
        m_due = interval;
        return interval;
    }
    return int(std::max(1LL, wait));
}

PreviewPrefetch::PreviewPrefetch() : m_thread([this] { Work(); }) {}

PreviewPrefetch::~PreviewPrefetch()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        m_changed.notify_all();
    }
    m_thread.join();
}

void PreviewPrefetch::Start(std::vector<FrameRef> frames, const wxSize& panel, int first)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frames = std::move(frames);
    m_panel = panel;
    Restart(first);
}

void PreviewPrefetch::Stop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frames.clear();
    Restart(0);
}

void PreviewPrefetch::Restart(int next)
{
    m_ready.clear();
    m_next = m_frames.empty() ? 0 : next % int(m_frames.size());
    ++m_generation;
    m_changed.notify_all();
}

bool PreviewPrefetch::Take(int index, const wxSize& panel, PreviewPicture& picture)
{
    std::unique_ptr<wxImage> image;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_frames.empty())
            return false;
        auto ready = m_ready.find(index);
        if (panel != m_panel || ready == m_ready.end())
        {
            m_panel = panel;
            Restart(index + 1);
            return false;
        }
        image = std::move(ready->second.image);
        picture.place = ready->second.place;
        m_ready.erase(ready);
        m_changed.notify_all();
    }
    // The worker let go of the image when it handed it over.
    picture.image = image ? *image : wxImage();
    return true;
}

bool PreviewPrefetch::NeedsWork() const
{
    return !m_frames.empty() && m_ready.size() < std::min(kFramesAhead, m_frames.size());
}

void PreviewPrefetch::Work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;)
    {
        m_changed.wait(lock, [this] { return m_quit || NeedsWork(); });
        if (m_quit)
            return;
        const int index = m_next;
        const FrameRef frame = m_frames[index];
        const wxSize panel = m_panel;
        const int generation = m_generation;
        m_next = (index + 1) % int(m_frames.size());
        lock.unlock();

        std::unique_ptr<wxImage> image;
        PreviewPicture shown = MakePreviewPicture(frame ? frame->Load() : wxImage(), panel);
        if (shown.image.IsOk())
            image.reset(new wxImage(shown.image));
        shown.image = wxImage();

        lock.lock();
        if (generation == m_generation)
            m_ready[index] = Prepared{std::move(image), shown.place};
    }
}
