#include "window/GifSave.h"

#include "window/AtomicFileWriter.h"
#include "window/FrameConversion.h"
#include "window/ImageDecoding.h"
#include "window/gif_gifhandler.h"

#include <wx/intl.h>
#include <wx/thread.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace
{
double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One frame on its way from the source to the file. wxImage counts its
// references without atomics, so an image crosses threads only inside a job,
// owned by exactly one thread at a time, and the hand-over goes through the
// pool's mutex.
struct ConversionJob
{
    std::unique_ptr<wxImage> picture;  // consumed by the conversion
    std::unique_ptr<wxImage> paletted; // null when the conversion failed
    bool done = false;
    double fitSeconds = 0;
    double reduceSeconds = 0;
};

void Convert(ConversionJob& job, int width, int height)
{
    auto start = std::chrono::steady_clock::now();
    wxImage fitted = FitFrameImage(*job.picture, width, height);
    job.picture.reset();
    job.fitSeconds = SecondsSince(start);
    start = std::chrono::steady_clock::now();
    if (fitted.IsOk())
    {
        wxImage paletted = ReducePalette(fitted);
        if (paletted.IsOk())
            job.paletted.reset(new wxImage(paletted));
    }
    job.reduceSeconds = SecondsSince(start);
}

// Converter threads fed from a queue. The thread that waits for a frame
// converts queued ones itself meanwhile, so with one thread in all nothing
// runs in the background.
class ConversionPool
{
public:
    ConversionPool(int threads, int width, int height);
    ~ConversionPool();

    void Submit(ConversionJob& job);
    void WaitUntilDone(ConversionJob& job);
    // Drops the queued jobs and waits for the running ones.
    void Drain();
    int ThreadCount() const { return int(m_threads.size()) + 1; }

    void Work();

private:
    // Runs the job with the lock released.
    void RunJob(ConversionJob& job, std::unique_lock<std::mutex>& lock);

    const int m_width;
    const int m_height;
    std::mutex m_mutex;
    std::condition_variable m_workAvailable;
    std::condition_variable m_jobDone;
    std::deque<ConversionJob*> m_queue;
    int m_running = 0;
    bool m_stopping = false;
    std::vector<std::unique_ptr<wxThread>> m_threads;
};

class ConversionThread : public wxThread
{
public:
    explicit ConversionThread(ConversionPool& pool) : wxThread(wxTHREAD_JOINABLE), m_pool(pool) {}

protected:
    ExitCode Entry() override
    {
        m_pool.Work();
        return nullptr;
    }

private:
    ConversionPool& m_pool;
};

ConversionPool::ConversionPool(int threads, int width, int height) : m_width(width), m_height(height)
{
    // Without background threads the calling thread still converts them all.
    for (int i = 1; i < threads; ++i)
    {
        std::unique_ptr<wxThread> thread(new ConversionThread(*this));
        if (thread->Run() != wxTHREAD_NO_ERROR)
            break;
        m_threads.push_back(std::move(thread));
    }
}

ConversionPool::~ConversionPool()
{
    Drain();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_workAvailable.notify_all();
    for (auto& thread : m_threads)
        thread->Wait();
}

void ConversionPool::Submit(ConversionJob& job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(&job);
    }
    m_workAvailable.notify_one();
}

void ConversionPool::RunJob(ConversionJob& job, std::unique_lock<std::mutex>& lock)
{
    ++m_running;
    lock.unlock();
    Convert(job, m_width, m_height);
    lock.lock();
    --m_running;
    job.done = true;
    m_jobDone.notify_all();
}

void ConversionPool::Work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;)
    {
        m_workAvailable.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping)
            return;
        ConversionJob* job = m_queue.front();
        m_queue.pop_front();
        RunJob(*job, lock);
    }
}

void ConversionPool::WaitUntilDone(ConversionJob& job)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!job.done)
    {
        if (m_queue.empty())
        {
            m_jobDone.wait(lock);
            continue;
        }
        ConversionJob* next = m_queue.front();
        m_queue.pop_front();
        RunJob(*next, lock);
    }
}

void ConversionPool::Drain()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_queue.clear();
    m_jobDone.wait(lock, [this] { return m_running == 0; });
}

int ConversionThreadCount(int requested)
{
    if (requested > 0)
        return std::min(requested, 64);
    return std::max(1, wxThread::GetCPUCount());
}

bool CheckOutputSize(const GifSaveSettings& settings, wxString& error)
{
    if (settings.width < 1 || settings.height < 1 || settings.width > kMaxGifSide ||
        settings.height > kMaxGifSide)
    {
        error = wxString::Format(
            _("Cannot save \"%s\": a GIF must be 1 to 65535 pixels wide and high, not %d x %d."),
            settings.path, settings.width, settings.height);
        return false;
    }
    if ((long long)settings.width * settings.height > kMaxPicturePixels)
    {
        error = wxString::Format(_("Cannot save \"%s\": frames of %d x %d pixels are too large to convert."),
                                 settings.path, settings.width, settings.height);
        return false;
    }
    return true;
}

// Fetches, converts and writes the frames, in order.
class FrameWriter
{
public:
    FrameWriter(const GifSaveSettings& settings, GifFrameSource& source, wxOutputStream& stream,
                GifSaveTimings& timings)
        : m_settings(settings), m_source(source), m_stream(stream), m_timings(timings),
          m_pool(ConversionThreadCount(settings.threads), settings.width, settings.height)
    {
    }
    ~FrameWriter() { m_pool.Drain(); }

    void WriteAll(const std::function<void(int, int)>& onFrameDone);
    bool WriteFailed() const { return !m_stream.IsOk(); }
    int FramesWritten() const { return m_framesWritten; }

private:
    void FetchAhead(int count);
    void WriteFrame(const wxImage& paletted, int index, int count);

    const GifSaveSettings& m_settings;
    GifFrameSource& m_source;
    wxOutputStream& m_stream;
    GifSaveTimings& m_timings;
    ConversionPool m_pool;
    std::deque<std::unique_ptr<ConversionJob>> m_inFlight;
    int m_nextToFetch = 0;
    int m_framesWritten = 0;
};

// A couple of frames beyond the converter count keep every thread busy
// while memory grows by a few frames only.
void FrameWriter::FetchAhead(int count)
{
    const size_t window = size_t(m_pool.ThreadCount()) + 2;
    while (m_nextToFetch < count && m_inFlight.size() < window)
    {
        const auto start = std::chrono::steady_clock::now();
        std::unique_ptr<ConversionJob> job(new ConversionJob);
        {
            const wxImage frame = m_source.GetFrame(m_nextToFetch++);
            if (frame.IsOk())
                job->picture.reset(new wxImage(frame));
        }
        m_timings.decodeSeconds += SecondsSince(start);
        if (job->picture)
            m_pool.Submit(*job);
        else
            job->done = true;
        m_inFlight.push_back(std::move(job));
    }
}

void FrameWriter::WriteFrame(const wxImage& paletted, int index, int count)
{
    const auto start = std::chrono::steady_clock::now();
    // GIF delays are 16-bit hundredths of a second.
    const int frameDelay = m_source.GetFrameDelay(index);
    const int delay = std::min(std::max(frameDelay >= 1 ? frameDelay : m_settings.delay, 0), 65535);
    MyGifHandler handler;
    if (WriteAnimationFrame(paletted, handler, delay * 10, count, index))
        ++m_framesWritten;
    m_timings.writeSeconds += SecondsSince(start);
}

void FrameWriter::WriteAll(const std::function<void(int, int)>& onFrameDone)
{
    const int count = m_source.GetFrameCount();
    for (int index = 0; index < count && !WriteFailed(); ++index)
    {
        FetchAhead(count);
        std::unique_ptr<ConversionJob> job = std::move(m_inFlight.front());
        m_inFlight.pop_front();
        m_pool.WaitUntilDone(*job);
        m_timings.fitSeconds += job->fitSeconds;
        m_timings.reduceSeconds += job->reduceSeconds;
        if (job->paletted)
            WriteFrame(*job->paletted, index, count);
        job.reset();
        if (onFrameDone && !WriteFailed())
            onFrameDone(index, count);
    }
}

// Clears the output slot however the save ends.
class OutputSlotScope
{
public:
    explicit OutputSlotScope(wxOutputStream& stream) { SetGifOutputStream(&stream); }
    ~OutputSlotScope() { SetGifOutputStream(nullptr); }
};
} // namespace

GifSaveResult SaveGifAnimation(const GifSaveSettings& settings, GifFrameSource& source,
                               const std::function<void(int, int)>& onFrameDone,
                               GifSaveTimings* timings)
{
    GifSaveResult result;
    GifSaveTimings localTimings;
    GifSaveTimings& spent = timings ? *timings : localTimings;
    if (!CheckOutputSize(settings, result.error))
        return result;
    if (source.GetFrameCount() <= 0)
    {
        result.error = wxString::Format(_("Cannot save \"%s\": there are no frames."), settings.path);
        return result;
    }
    AtomicFileWriter file;
    if (!file.Open(settings.path))
    {
        result.error = file.Error();
        return result;
    }
    {
        OutputSlotScope slot(file.Stream());
        FrameWriter writer(settings, source, file.Stream(), spent);
        writer.WriteAll(onFrameDone);
        result.framesWritten = writer.FramesWritten();
        // The trailer follows the last frame written, even when later frames
        // were skipped.
        const auto start = std::chrono::steady_clock::now();
        if (result.framesWritten > 0 && !writer.WriteFailed())
            FinishGifAnimation();
        spent.writeSeconds += SecondsSince(start);
    }
    if (result.framesWritten == 0 && file.Stream().IsOk())
    {
        file.Discard();
        result.error =
            wxString::Format(_("Cannot save \"%s\": none of its frames could be converted."), settings.path);
        return result;
    }
    const auto start = std::chrono::steady_clock::now();
    result.ok = file.Commit();
    spent.writeSeconds += SecondsSince(start);
    if (!result.ok)
        result.error = file.Error();
    return result;
}
