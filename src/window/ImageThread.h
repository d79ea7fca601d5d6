// Decodes pictures for the strip on worker threads. Pictures are decoded on
// every core, an entry (a whole GIF included) on one thread, and are put in
// the frame store there; the results still reach the window in entry order.
// For every picture one update event (id 6) carries the path, the GIF frame
// number, the progress in percent and a LoadedPicture (owned by the
// receiver). An entry that yields no picture, or whose pictures the store
// cannot take, is reported by an event with progress -1 carrying a
// LoadFailure. The load always ends with an event of progress 100.
#pragma once

#include "window/FrameStore.h"
#include "window/WorkerEventSink.h"

#include <wx/arrstr.h>
#include <wx/thread.h>

struct LoadFailure
{
    wxString entry;
    wxString reason;
};

// A picture in the store on its way to the strip.
struct LoadedPicture
{
    FrameRef frame;
    wxImage thumbnail; // the picture scaled to the strip's thumbnail size; invalid when a side is 0
    int delay = 0;     // hundredths of a second the file gives for it; 0 when none
    int entry = 0;     // the index of the entry it came from
};

const int kLoadFailureProgress = -1;

class ImageThread : public wxThread
{
public:
    ImageThread(const WorkerEventSinkPtr& sink, const wxArrayString& entries,
                const wxSize& thumbnailSize = wxSize(80, 80));
    ~ImageThread() override;

    // Waits, at most a few seconds, until every load has ended: a load whose
    // sink is detached stops within a picture. False if some still run.
    static bool WaitUntilAllEnded();

    // Progress of a picture, as integer percent of the entries: entry i of
    // count, with a whole GIF's frames reporting i until its last frame of the
    // last entry.
    static int PictureProgress(int entryIndex, int entryCount, bool isLastOfEntry, bool wholeGif);
    // Progress of picture `picture` of a clip expected to give pictureCount;
    // 100 only for the last picture of the last entry.
    static int ClipPictureProgress(int entryIndex, int entryCount, int picture, int pictureCount, bool isLastOfEntry);

protected:
    ExitCode Entry() override;

private:
    void PostPicture(LoadedPicture* picture, const wxString& path, int frameNumber, int progress);
    void PostFailure(const wxString& entry, const wxString& reason);
    void PostCompletion();

    WorkerEventSinkPtr m_sink;
    wxArrayString m_entries;
    wxSize m_thumbnailSize;
};
