// Saving an animation as a GIF file without any window: fetch every frame,
// fit it into the output size, reduce it to a palette and write it. The save
// command's worker thread and the save benchmark both run this.
#pragma once

#include "window/GifOptions.h"

#include <wx/image.h>
#include <wx/string.h>

#include <functional>

// Where the frames come from.
class GifFrameSource
{
public:
    virtual ~GifFrameSource() = default;
    virtual int GetFrameCount() const = 0;
    // Called only from the thread running SaveGifAnimation, for index 0, 1,
    // 2 ... in order. May block (the program's source asks the GUI thread).
    // Returns an invalid wxImage when the frame is unavailable. The image is
    // handed to another thread, so it must share its data with no image the
    // source keeps (ConvertToImage and Copy make unshared ones).
    virtual wxImage GetFrame(int index) = 0;
    // The delay of frame `index` in hundredths of a second; any thread. A
    // value below 1 means GifSaveSettings::delay.
    virtual int GetFrameDelay(int index) const
    {
        (void)index;
        return 0;
    }
    // True once the save must stop (its window is closing); checked before
    // each frame is written and before the file replaces the old one.
    virtual bool StopRequested() const { return false; }
};

struct GifSaveSettings
{
    wxString path;
    int width = 0;
    int height = 0;
    int delay = 0;   // hundredths of a second, for frames whose source gives none
    GifOptions options;
    int threads = 0; // threads that convert frames, the calling one included; 0 = one per core
};

// Seconds spent in each phase, summed over the frames (and so over threads).
struct GifSaveTimings
{
    double decodeSeconds = 0, fitSeconds = 0, reduceSeconds = 0, writeSeconds = 0;
};

struct GifSaveResult
{
    bool ok = false;
    wxString error; // why the save failed, for the user
    int framesWritten = 0;
};

// Writes the animation to settings.path. Frames are converted on several
// threads but written strictly in order, so the file is the same whatever
// the number of threads; only a few frames are held at a time. The target is
// replaced only when every frame was written; on failure (a write error, or
// a frame that is unavailable or cannot be converted) it is left as it was.
// onFrameDone(i, count) is called on the calling thread after frame i was
// written, in order; after a failure the save stops at once and no further
// frames are reported.
GifSaveResult SaveGifAnimation(const GifSaveSettings& settings, GifFrameSource& source,
                               const std::function<void(int, int)>& onFrameDone = {},
                               GifSaveTimings* timings = nullptr);
