#include "window/ImageThread.h"

#include "window/ImageDecoding.h"
#include "window/ThreadEvents.h"

#include <wx/image.h>

ImageThread::ImageThread(const WorkerEventSinkPtr& sink, const wxArrayString& entries)
    : wxThread(wxTHREAD_DETACHED), m_sink(sink), m_entries(entries)
{
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

wxThread::ExitCode ImageThread::Entry()
{
    const int count = static_cast<int>(m_entries.size());
    bool completed = false;
    for (int i = 0; i < count && !TestDestroy() && m_sink->IsAttached(); ++i)
    {
        const wxString& entry = m_entries[i];
        wxString gifPath;
        int frameNumber = 0;
        const bool wholeGif = entry.EndsWith(".gif") && !SplitGifFrameReference(entry, gifPath, frameNumber);
        wxString failure;
        const bool decoded = DecodePictureEntry(
            entry,
            [&](wxImage&& image, const wxString& path, int frame, bool isLastOfEntry) {
                const int progress = PictureProgress(i, count, isLastOfEntry, wholeGif);
                completed = progress == 100;
                PostPicture(std::move(image), path, frame, progress);
            },
            &failure);
        if (!decoded)
            PostFailure(entry, failure);
    }
    if (!completed)
        PostCompletion();
    return 0;
}

void ImageThread::PostPicture(wxImage&& image, const wxString& path, int frameNumber, int progress)
{
    wxCommandEvent* event = new wxCommandEvent(wxEVT_COMMAND_THREAD_UPDATE, ID_IMAGE_THREAD_UPDATE);
    event->SetString(path.Clone());
    event->SetInt(progress);
    event->SetExtraLong(frameNumber);
    // wxImage data is reference counted without atomics: hand over a copy that
    // nothing on this thread shares.
    event->SetClientData(new wxImage(image.Copy()));
    image.Destroy();
    m_sink->Post(event, [](wxEvent& discarded) {
        delete static_cast<wxImage*>(static_cast<wxCommandEvent&>(discarded).GetClientData());
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
