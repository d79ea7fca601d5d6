#include "window/GifSave.h"

#include "window/AtomicFileWriter.h"
#include "window/FrameConversion.h"
#include "window/ImageDecoding.h"
#include "window/AnimationWriter.h"
#include "window/PaletteReduction.h"

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

// Tasks run on a few threads. The thread that waits for a result runs
// queued tasks itself meanwhile, so with one thread in all nothing runs in
// the background. A task may submit further tasks; the state tasks share is
// guarded by the pool's mutex.
class TaskPool
{
public:
    explicit TaskPool(int threads);
    ~TaskPool();

    void Submit(std::function<void()> task);
    // Runs queued tasks until done(), evaluated under the pool's mutex, holds.
    void RunUntil(const std::function<bool()>& done);
    // Drops the queued tasks and waits for the running ones.
    void Drain();
    int ThreadCount() const { return int(m_threads.size()) + 1; }
    std::mutex& Mutex() { return m_mutex; }

    void Work();

private:
    // Runs the task with the lock released.
    void Run(std::unique_lock<std::mutex>& lock);

    std::mutex m_mutex;
    std::condition_variable m_workAvailable;
    std::condition_variable m_taskDone;
    std::deque<std::function<void()>> m_queue;
    int m_running = 0;
    bool m_draining = false;
    bool m_stopping = false;
    std::vector<std::unique_ptr<wxThread>> m_threads;
};

class PoolThread : public wxThread
{
public:
    explicit PoolThread(TaskPool& pool) : wxThread(wxTHREAD_JOINABLE), m_pool(pool) {}

protected:
    ExitCode Entry() override
    {
        m_pool.Work();
        return nullptr;
    }

private:
    TaskPool& m_pool;
};

TaskPool::TaskPool(int threads)
{
    // Without background threads the calling thread still runs every task.
    for (int i = 1; i < threads; ++i)
    {
        std::unique_ptr<wxThread> thread(new PoolThread(*this));
        if (thread->Run() != wxTHREAD_NO_ERROR)
            break;
        m_threads.push_back(std::move(thread));
    }
}

TaskPool::~TaskPool()
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

void TaskPool::Submit(std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_draining)
            return;
        m_queue.push_back(std::move(task));
    }
    m_workAvailable.notify_one();
}

void TaskPool::Run(std::unique_lock<std::mutex>& lock)
{
    std::function<void()> task = std::move(m_queue.front());
    m_queue.pop_front();
    ++m_running;
    lock.unlock();
    task();
    task = nullptr;
    lock.lock();
    --m_running;
    m_taskDone.notify_all();
}

void TaskPool::Work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;)
    {
        m_workAvailable.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping)
            return;
        Run(lock);
    }
}

void TaskPool::RunUntil(const std::function<bool()>& done)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!done())
    {
        if (m_queue.empty())
            m_taskDone.wait(lock);
        else
            Run(lock);
    }
}

void TaskPool::Drain()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_draining = true;
    m_queue.clear();
    m_taskDone.wait(lock, [this] { return m_running == 0; });
    m_queue.clear();
    m_draining = false;
}

int ConversionThreadCount(int requested)
{
    if (requested > 0)
        return std::min(requested, 64);
    return std::max(1, wxThread::GetCPUCount());
}

bool CheckOutputSize(const GifSaveSettings& settings, wxString& error)
{
    if (settings.width < 1 || settings.height < 1 || settings.width > GifBlocks::kMaxSide ||
        settings.height > GifBlocks::kMaxSide)
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

// One frame on its way from the source to the file. wxImage counts its
// references without atomics, so an image is never copied across threads:
// each stays owned by its slot and is only read by the tasks that use it.
struct FrameSlot
{
    int index = 0;
    std::unique_ptr<wxImage> picture; // consumed by the fit
    std::unique_ptr<wxImage> fitted;  // kept while it waits for its run's palette
    IndexedFrame frame;
    bool ready = false; // guarded by the pool's mutex, as is ok
    bool ok = false;
};

// A run of consecutive frames whose pictures of more than 256 colours share
// one palette. Runs are cut by frame number alone, so the file does not
// depend on the number of threads.
struct FrameRun
{
    int first = 0;
    int fitsPending = 0;
    std::vector<std::shared_ptr<FrameSlot>> needPalette; // by position in the run
};

// Fetches, converts and writes the frames, in order.
class FrameWriter
{
public:
    FrameWriter(const GifSaveSettings& settings, GifFrameSource& source, wxOutputStream& stream,
                GifSaveTimings& timings);
    ~FrameWriter() { m_pool.Drain(); }

    void WriteAll(const std::function<void(int, int)>& onFrameDone);
    bool WriteFailed() const { return !m_stream.IsOk(); }
    int FramesWritten() const { return m_framesWritten; }
    void Finish();
    // The first frame that could not be read or converted, or -1.
    int MissingFrame() const { return m_missingFrame; }
    bool Stopped() const { return m_stopped; }

private:
    int RunLength() const { return m_runLength; }
    void FetchAhead(int head, int count);
    void Fit(const std::shared_ptr<FrameSlot>& slot, const std::shared_ptr<FrameRun>& run);
    void FitDone(const std::shared_ptr<FrameRun>& run);
    void MakePalette(const std::shared_ptr<FrameRun>& run);
    void Remap(const std::shared_ptr<FrameSlot>& slot, const std::shared_ptr<const GifBlocks::ColourTable>& palette,
               bool ownPalette);
    void Write(const GifBlocks::Bytes& bytes);
    int FrameDelay(int index) const;

    const GifSaveSettings& m_settings;
    GifFrameSource& m_source;
    wxOutputStream& m_stream;
    GifSaveTimings& m_timings; // its seconds of conversion are guarded by the pool's mutex
    const int m_runLength;
    TaskPool m_pool;
    AnimationWriter m_animation;
    std::deque<std::shared_ptr<FrameSlot>> m_inFlight;
    std::shared_ptr<FrameRun> m_fetchRun;
    int m_nextToFetch = 0;
    int m_framesWritten = 0;
    int m_missingFrame = -1;
    bool m_stopped = false;
};

// How many times its run's error a frame's error may be before it gets a
// palette of its own.
const double kOwnPaletteError = 2;

// Longer runs keep palettes steady for longer, but one palette serves the
// colours of video that drifts less well, and all their pictures are held
// until the palette is made: 4 frames, or about 48 MB of pixels at most.
int RunLengthFor(int width, int height)
{
    const double bytesPerFrame = double(width) * height * 3;
    return int(std::min(4.0, std::max(1.0, 48e6 / bytesPerFrame)));
}

FrameWriter::FrameWriter(const GifSaveSettings& settings, GifFrameSource& source, wxOutputStream& stream,
                         GifSaveTimings& timings)
    : m_settings(settings), m_source(source), m_stream(stream), m_timings(timings),
      m_runLength(RunLengthFor(settings.width, settings.height)),
      m_pool(ConversionThreadCount(settings.threads)),
      m_animation(settings.width, settings.height, settings.options.repeat, settings.options.storeChangedOnly)
{
}

int FrameWriter::FrameDelay(int index) const
{
    const int own = m_source.GetFrameDelay(index);
    return std::min(std::max(own >= 1 ? own : m_settings.delay, 0), GifBlocks::kMaxDelay);
}

void FrameWriter::Fit(const std::shared_ptr<FrameSlot>& slot, const std::shared_ptr<FrameRun>& run)
{
    auto start = std::chrono::steady_clock::now();
    wxImage fitted = FitFrameImage(*slot->picture, m_settings.width, m_settings.height);
    slot->picture.reset();
    const double fitSeconds = SecondsSince(start);
    start = std::chrono::steady_clock::now();
    const bool ok = fitted.IsOk();
    const bool exact = ok && ReduceExactly(fitted, slot->frame);
    const double reduceSeconds = SecondsSince(start);
    // The copy must hold the only reference before another thread sees it.
    std::unique_ptr<wxImage> kept;
    if (ok && !exact)
        kept.reset(new wxImage(fitted));
    fitted = wxImage();
    {
        std::lock_guard<std::mutex> lock(m_pool.Mutex());
        m_timings.fitSeconds += fitSeconds;
        m_timings.reduceSeconds += reduceSeconds;
        if (!kept)
        {
            slot->ok = exact;
            slot->ready = true;
        }
        else
        {
            slot->fitted = std::move(kept);
            run->needPalette[size_t(slot->index - run->first)] = slot;
        }
    }
    FitDone(run);
}

void FrameWriter::FitDone(const std::shared_ptr<FrameRun>& run)
{
    bool last = false;
    {
        std::lock_guard<std::mutex> lock(m_pool.Mutex());
        last = --run->fitsPending == 0;
    }
    if (last)
        m_pool.Submit([this, run] { MakePalette(run); });
}

void FrameWriter::MakePalette(const std::shared_ptr<FrameRun>& run)
{
    std::vector<std::shared_ptr<FrameSlot>> slots;
    std::vector<const wxImage*> pictures;
    {
        std::lock_guard<std::mutex> lock(m_pool.Mutex());
        for (const auto& slot : run->needPalette)
            if (slot)
            {
                slots.push_back(slot);
                pictures.push_back(slot->fitted.get());
            }
        run->needPalette.clear();
    }
    if (slots.empty())
        return;
    const auto start = std::chrono::steady_clock::now();
    auto palette = std::make_shared<const GifBlocks::ColourTable>(SharedPalette(pictures, m_settings.options.quality));
    // A frame far off its run's palette (the run crosses a change of scene)
    // gets a palette of its own.
    std::vector<double> errors;
    for (const wxImage* picture : pictures)
        errors.push_back(palette->empty() ? 0 : PaletteError(*picture, *palette));
    const double usual = errors.empty() ? 0 : *std::min_element(errors.begin(), errors.end());
    {
        std::lock_guard<std::mutex> lock(m_pool.Mutex());
        m_timings.reduceSeconds += SecondsSince(start);
        if (palette->empty())
            for (const auto& slot : slots)
            {
                slot->fitted.reset();
                slot->ready = true;
            }
    }
    if (palette->empty())
        return;
    for (size_t i = 0; i < slots.size(); ++i)
    {
        const bool own = errors[i] > kOwnPaletteError * usual + 4;
        m_pool.Submit([this, slot = slots[i], palette, own] { Remap(slot, palette, own); });
    }
}

void FrameWriter::Remap(const std::shared_ptr<FrameSlot>& slot,
                        const std::shared_ptr<const GifBlocks::ColourTable>& palette, bool ownPalette)
{
    const auto start = std::chrono::steady_clock::now();
    GifBlocks::ColourTable own;
    if (ownPalette)
        own = SharedPalette({slot->fitted.get()}, m_settings.options.quality);
    RemapToPalette(*slot->fitted, own.empty() ? *palette : own, m_settings.options.dithering, slot->frame);
    slot->frame.tolerance = ToleranceForQuality(m_settings.options.quality);
    slot->fitted.reset();
    std::lock_guard<std::mutex> lock(m_pool.Mutex());
    m_timings.reduceSeconds += SecondsSince(start);
    slot->ok = true;
    slot->ready = true;
}

// Frames are fetched up to the end of the run after the one being written,
// so that the next run's palette is made while this run is written.
void FrameWriter::FetchAhead(int head, int count)
{
    const int limit = std::min(count, (head / m_runLength + 2) * m_runLength);
    while (m_nextToFetch < limit)
    {
        const int index = m_nextToFetch++;
        if (index % m_runLength == 0)
        {
            m_fetchRun = std::make_shared<FrameRun>();
            m_fetchRun->first = index;
            m_fetchRun->fitsPending = std::min(m_runLength, count - index);
            m_fetchRun->needPalette.resize(size_t(m_fetchRun->fitsPending));
        }
        const auto start = std::chrono::steady_clock::now();
        auto slot = std::make_shared<FrameSlot>();
        slot->index = index;
        {
            const wxImage frame = m_source.GetFrame(index);
            if (frame.IsOk())
                slot->picture.reset(new wxImage(frame));
        }
        m_timings.decodeSeconds += SecondsSince(start);
        m_inFlight.push_back(slot);
        const std::shared_ptr<FrameRun> run = m_fetchRun;
        if (slot->picture)
            m_pool.Submit([this, slot, run] { Fit(slot, run); });
        else
        {
            {
                std::lock_guard<std::mutex> lock(m_pool.Mutex());
                slot->ready = true;
            }
            FitDone(run);
        }
    }
}

void FrameWriter::Write(const GifBlocks::Bytes& bytes)
{
    if (!bytes.empty())
        m_stream.Write(bytes.data(), bytes.size());
}

void FrameWriter::WriteAll(const std::function<void(int, int)>& onFrameDone)
{
    const int count = m_source.GetFrameCount();
    GifBlocks::Bytes bytes;
    for (int index = 0; index < count && !WriteFailed(); ++index)
    {
        FetchAhead(index, count);
        std::shared_ptr<FrameSlot> slot = std::move(m_inFlight.front());
        m_inFlight.pop_front();
        m_pool.RunUntil([&slot] { return slot->ready; });
        // A file without one of its frames would show a different
        // animation, and an interrupted save (the window closed at logout)
        // looks just like this: stop, so the old file stays.
        if (m_source.StopRequested())
        {
            m_stopped = true;
            return;
        }
        if (!slot->ok)
        {
            m_missingFrame = index;
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        bytes.clear();
        m_animation.AddFrame(slot->frame, FrameDelay(index), bytes);
        Write(bytes);
        ++m_framesWritten;
        m_timings.writeSeconds += SecondsSince(start);
        slot.reset();
        if (onFrameDone && !WriteFailed())
            onFrameDone(index, count);
    }
}

void FrameWriter::Finish()
{
    if (m_framesWritten == 0 || WriteFailed())
        return;
    GifBlocks::Bytes bytes;
    m_animation.Finish(bytes);
    Write(bytes);
}
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
    int missingFrame = -1;
    bool stopped = false;
    {
        FrameWriter writer(settings, source, file.Stream(), spent);
        writer.WriteAll(onFrameDone);
        result.framesWritten = writer.FramesWritten();
        missingFrame = writer.MissingFrame();
        stopped = writer.Stopped() || source.StopRequested();
        const auto start = std::chrono::steady_clock::now();
        if (missingFrame < 0 && !stopped && !writer.WriteFailed())
            writer.Finish();
        spent.writeSeconds += SecondsSince(start);
    }
    if (stopped)
    {
        file.Discard();
        result.error = wxString::Format(_("Saving \"%s\" was stopped, so the file was left as it was."), settings.path);
        return result;
    }
    if (missingFrame >= 0)
    {
        file.Discard();
        result.error = wxString::Format(_("Cannot save \"%s\": frame %d could not be read, so the file was left as "
                                          "it was."),
                                        settings.path, missingFrame + 1);
        return result;
    }
    const auto start = std::chrono::steady_clock::now();
    result.ok = file.Commit();
    spent.writeSeconds += SecondsSince(start);
    if (!result.ok)
        result.error = file.Error();
    return result;
}
