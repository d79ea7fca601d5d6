#include "window/ImageThread.h"

#include "window/ImageDecoding.h"
#include "window/ThreadEvents.h"
#include "window/VideoDecoder.h"
#include "window/thumbnaillogic.h"

#include <wx/image.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace
{
struct DecodedPicture
{
    std::unique_ptr<LoadedPicture> picture;
    wxString path;
    int frameNumber = 0;
    bool isLastOfEntry = false;
};

struct EntryOutcome
{
    std::deque<DecodedPicture> pictures;
    bool finished = false;
    wxString failure; // why the entry, or the rest of it, gave no picture
};

enum class NextResult
{
    Picture,
    EntryFinished,
    NothingYet
};

// The entries shared by the decoding threads, which take them in turn, and
// the thread that hands the results on in entry order.
class EntryDecoder
{
public:
    EntryDecoder(const wxArrayString& entries, const wxSize& thumbnailSize, int threads)
        : m_entries(entries), m_thumbnailSize(thumbnailSize), m_store(HoldProgramFrameStore()),
          m_outcomes(entries.size()),
          // Decoding runs a little ahead of the window, not through the whole list.
          m_entriesAhead(2 * threads + 2)
    {
    }

    void DecodeEntries();
    void DecodeEntry(size_t entryIndex);
    NextResult TakeNext(size_t entryIndex, DecodedPicture& picture, wxString& failure);
    void MarkHandedOn(size_t entryIndex);
    void Stop();

private:
    bool TakeEntry(size_t& entryIndex);
    void Deliver(size_t entryIndex, DecodedPicture&& picture);
    void Finish(size_t entryIndex, const wxString& failure);

    const wxArrayString& m_entries;
    const wxSize m_thumbnailSize;
    // Held, so that the store outlives this load even when the program ends first.
    const std::shared_ptr<FrameStore> m_store;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<EntryOutcome> m_outcomes;
    const size_t m_entriesAhead;
    size_t m_nextEntry = 0;
    size_t m_handedOn = 0;
    bool m_stopping = false;
    std::atomic<bool> m_stopRequested{false}; // read between the frames of a clip or an animation
};

void EntryDecoder::DecodeEntries()
{
    size_t entryIndex = 0;
    while (TakeEntry(entryIndex))
        DecodeEntry(entryIndex);
}

bool EntryDecoder::TakeEntry(size_t& entryIndex)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopping || m_nextEntry < m_handedOn + m_entriesAhead; });
    if (m_stopping || m_nextEntry >= m_outcomes.size())
        return false;
    entryIndex = m_nextEntry++;
    return true;
}

void EntryDecoder::DecodeEntry(size_t entryIndex)
{
    // A copy of its own: converting a path caches its bytes inside the string.
    const wxString entry = m_entries[entryIndex].Clone();
    wxString storeFailure;
    wxString decodeFailure;
    const bool decoded = DecodePictureEntry(
        entry,
        [&](wxImage&& image, const wxString& path, int frameNumber, bool isLastOfEntry, int delay) {
            if (!storeFailure.empty())
                return;
            auto picture = std::make_unique<LoadedPicture>();
            picture->frame = m_store->Put(image, &storeFailure);
            picture->delay = delay;
            picture->entry = int(entryIndex);
            if (!picture->frame)
                return;
            // Copied, so that the thumbnail shares no data with this thread.
            const wxImage thumbnail = ScaleImageToFit(image, m_thumbnailSize.x, m_thumbnailSize.y);
            if (thumbnail.IsOk())
                picture->thumbnail = thumbnail.Copy();
            image.Destroy();
            Deliver(entryIndex, {std::move(picture), path.Clone(), frameNumber, isLastOfEntry});
        },
        &decodeFailure, [this] { return m_stopRequested.load(); });
    Finish(entryIndex, decoded ? storeFailure : decodeFailure);
}

void EntryDecoder::Deliver(size_t entryIndex, DecodedPicture&& picture)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_outcomes[entryIndex].pictures.push_back(std::move(picture));
    m_changed.notify_all();
}

void EntryDecoder::Finish(size_t entryIndex, const wxString& failure)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_outcomes[entryIndex].finished = true;
    m_outcomes[entryIndex].failure = failure.Clone();
    m_changed.notify_all();
}

NextResult EntryDecoder::TakeNext(size_t entryIndex, DecodedPicture& picture, wxString& failure)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    EntryOutcome& outcome = m_outcomes[entryIndex];
    // Bounded, so that the caller notices a window that has gone.
    m_changed.wait_for(lock, std::chrono::milliseconds(200),
                       [&outcome] { return !outcome.pictures.empty() || outcome.finished; });
    if (!outcome.pictures.empty())
    {
        picture = std::move(outcome.pictures.front());
        outcome.pictures.pop_front();
        return NextResult::Picture;
    }
    if (!outcome.finished)
        return NextResult::NothingYet;
    failure = outcome.failure;
    return NextResult::EntryFinished;
}

void EntryDecoder::MarkHandedOn(size_t entryIndex)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handedOn = entryIndex + 1;
    m_changed.notify_all();
}

void EntryDecoder::Stop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
    m_stopRequested = true;
    m_changed.notify_all();
}

// Loads not yet ended, so that the program's end can wait for them before
// the frame store goes.
std::mutex g_loadsMutex;
std::condition_variable g_loadsChanged;
int g_runningLoads = 0;

// Each decoding thread holds a picture or two at full size: a few are enough
// to keep the cores of an ordinary machine busy.
int DecodingThreadCount()
{
    const int kMostThreads = 8;
    return std::min(kMostThreads, std::max(1, wxThread::GetCPUCount()));
}
} // namespace

ImageThread::ImageThread(const WorkerEventSinkPtr& sink, const wxArrayString& entries, const wxSize& thumbnailSize)
    : wxThread(wxTHREAD_DETACHED), m_sink(sink), m_entries(entries), m_thumbnailSize(thumbnailSize)
{
    std::lock_guard<std::mutex> lock(g_loadsMutex);
    ++g_runningLoads;
}

ImageThread::~ImageThread()
{
    std::lock_guard<std::mutex> lock(g_loadsMutex);
    --g_runningLoads;
    g_loadsChanged.notify_all();
}

bool ImageThread::WaitUntilAllEnded()
{
    std::unique_lock<std::mutex> lock(g_loadsMutex);
    return g_loadsChanged.wait_for(lock, std::chrono::seconds(5), [] { return g_runningLoads == 0; });
}

int ImageThread::PictureProgress(int entryIndex, int entryCount, bool isLastOfEntry, bool wholeGif)
{
    int done = entryIndex + 1;
    // The frames of a whole GIF report the entries before it, so that only
    // the very last picture of the list reaches 100.
    if (wholeGif && !(isLastOfEntry && entryIndex == entryCount - 1))
        done = entryIndex;
    return 100 * done / entryCount;
}

int ImageThread::ClipPictureProgress(int entryIndex, int entryCount, int picture, int pictureCount,
                                     bool isLastOfEntry)
{
    if (isLastOfEntry && entryIndex == entryCount - 1)
        return 100;
    const double done = entryIndex + std::min(1.0, double(picture + 1) / pictureCount);
    return std::min(99, int(100 * done / entryCount));
}

wxThread::ExitCode ImageThread::Entry()
{
    const int count = static_cast<int>(m_entries.size());
    const int threadCount = DecodingThreadCount();
    EntryDecoder decoder(m_entries, m_thumbnailSize, threadCount);
    std::vector<std::thread> threads;
    try
    {
        for (int i = 0; i < threadCount; ++i)
            threads.emplace_back([&decoder] { decoder.DecodeEntries(); });
    }
    catch (const std::system_error&)
    {
        // Fewer threads decode; with none at all this one does.
    }

    bool completed = false;
    bool stopped = false;
    for (int i = 0; i < count && !stopped; ++i)
    {
        wxString gifPath;
        int frameNumber = 0;
        const wxString& entry = m_entries[i];
        const bool wholeGif = entry.EndsWith(".gif") && !SplitGifFrameReference(entry, gifPath, frameNumber);
        // A clip's frames advance the bar within its entry.
        const int clipPictures = IsVideoEntry(entry) ? ExpectedVideoPictures(entry) : 0;
        int picturesOfEntry = 0;
        if (threads.empty())
            decoder.DecodeEntry(i);
        for (;;)
        {
            if (TestDestroy() || !m_sink->IsAttached())
            {
                stopped = true;
                break;
            }
            DecodedPicture decoded;
            wxString failure;
            const NextResult next = decoder.TakeNext(i, decoded, failure);
            if (next == NextResult::Picture)
            {
                const int progress =
                    clipPictures > 0 ? ClipPictureProgress(i, count, picturesOfEntry++, clipPictures, decoded.isLastOfEntry)
                                     : PictureProgress(i, count, decoded.isLastOfEntry, wholeGif);
                completed = progress == 100;
                PostPicture(decoded.picture.release(), decoded.path, decoded.frameNumber, progress);
            }
            else if (next == NextResult::EntryFinished)
            {
                if (!failure.empty())
                    PostFailure(entry, failure);
                break;
            }
        }
        decoder.MarkHandedOn(i);
    }
    decoder.Stop();
    for (std::thread& thread : threads)
        thread.join();
    if (!completed && !stopped)
        PostCompletion();
    return 0;
}

void ImageThread::PostPicture(LoadedPicture* picture, const wxString& path, int frameNumber, int progress)
{
    wxCommandEvent* event = new wxCommandEvent(wxEVT_COMMAND_THREAD_UPDATE, ID_IMAGE_THREAD_UPDATE);
    event->SetString(path.Clone());
    event->SetInt(progress);
    event->SetExtraLong(frameNumber);
    event->SetClientData(picture);
    m_sink->Post(event, [](wxEvent& discarded) {
        delete static_cast<LoadedPicture*>(static_cast<wxCommandEvent&>(discarded).GetClientData());
    });
}

void ImageThread::PostFailure(const wxString& entry, const wxString& reason)
{
    wxCommandEvent* event = new wxCommandEvent(wxEVT_COMMAND_THREAD_UPDATE, ID_IMAGE_THREAD_UPDATE);
    event->SetInt(kLoadFailureProgress);
    event->SetClientData(new LoadFailure{entry.Clone(), reason.Clone()});
    m_sink->Post(event, [](wxEvent& discarded) {
        delete static_cast<LoadFailure*>(static_cast<wxCommandEvent&>(discarded).GetClientData());
    });
}

void ImageThread::PostCompletion()
{
    wxCommandEvent* event = new wxCommandEvent(wxEVT_COMMAND_THREAD_UPDATE, ID_IMAGE_THREAD_UPDATE);
    event->SetInt(100);
    m_sink->Post(event);
}
