// The preview's next pictures, prepared on a thread of its own while the
// animation plays: read from the frame store and scaled to the panel, so
// that a tick of the preview timer only has to draw.
#pragma once

#include "window/FrameStore.h"

#include <wx/gdicmn.h>
#include <wx/image.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The picture as the preview panel shows it (PreviewPlacement): scaled
// down when it does not fit, and where it goes. Invalid when nothing shows.
struct PreviewPicture
{
    wxImage image;
    wxRect place;
};
PreviewPicture MakePreviewPicture(const wxImage& picture, const wxSize& panel);

// When the preview's ticks are due. A repeating timer counts its interval
// from the moment it fired, so every tick's own work would slow the
// animation down; the ticks are timed from the start instead. After a stall
// of the whole program the pace starts again from the late tick: frames are
// shown late, but none is skipped and none bunched up.
class PreviewPace
{
public:
    void Start();
    // Counts a tick as shown, `interval` after the one before, and returns
    // the wait until it is due.
    int MillisecondsToNextTick(int intervalMilliseconds);

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point m_start;
    long long m_due = 0;  // milliseconds from m_start
};

class PreviewPrefetch
{
public:
    PreviewPrefetch();
    ~PreviewPrefetch();
    PreviewPrefetch(const PreviewPrefetch&) = delete;
    PreviewPrefetch& operator=(const PreviewPrefetch&) = delete;

    // Prepares the frames in playing order from `first` on, round and round.
    void Start(std::vector<FrameRef> frames, const wxSize& panel, int first);
    void Stop();
    // The prepared picture of frame `index` for a panel of that size; false
    // when it is not ready (the caller then makes it itself). Taking a frame
    // out of order starts preparing again after it.
    bool Take(int index, const wxSize& panel, PreviewPicture& picture);

private:
    struct Prepared
    {
        std::unique_ptr<wxImage> image;
        wxRect place;
    };

    void Work();
    bool NeedsWork() const;
    void Restart(int next);

    // Enough for a tick or two of a busy GUI thread, little memory.
    static constexpr size_t kFramesAhead = 3; // constexpr: inline, so std::min may bind to it

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<FrameRef> m_frames;
    wxSize m_panel;
    std::map<int, Prepared> m_ready;
    int m_next = 0;          // the frame to prepare next
    int m_generation = 0;    // counts restarts, so stale work is thrown away
    bool m_quit = false;
    std::thread m_thread;
};
