// Decodes pictures for the strip on a worker thread. For every picture it
// posts one update event (id 6) carrying the path, the GIF frame number, the
// progress in percent and the decoded wxImage (owned by the receiver). An
// entry that yields no picture is reported by an event with progress -1
// carrying a LoadFailure. The load always ends with an event of progress 100.
#pragma once

#include "window/WorkerEventSink.h"

#include <wx/arrstr.h>
#include <wx/thread.h>

struct LoadFailure
{
    wxString entry;
    wxString reason;
};

const int kLoadFailureProgress = -1;

class ImageThread : public wxThread
{
public:
    ImageThread(const WorkerEventSinkPtr& sink, const wxArrayString& entries);

    // Progress of a picture, as integer percent of the entries: entry i of
    // count, with a whole GIF's frames reporting i until its last frame of the
    // last entry.
    static int PictureProgress(int entryIndex, int entryCount, bool isLastOfEntry, bool wholeGif);

protected:
    ExitCode Entry() override;

private:
    void PostPicture(wxImage&& image, const wxString& path, int frameNumber, int progress);
    void PostFailure(const wxString& entry, const wxString& reason);
    void PostCompletion();

    WorkerEventSinkPtr m_sink;
    wxArrayString m_entries;
};
