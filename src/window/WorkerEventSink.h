// Where a worker thread posts its results. The main window detaches the sink
// when it is destroyed, so a late result is dropped instead of being queued to
// a window that has gone.
#pragma once

#include <wx/event.h>
#include <wx/thread.h>

#include <functional>
#include <memory>

class WorkerEventSink
{
public:
    explicit WorkerEventSink(wxEvtHandler* destination) : m_destination(destination) {}

    // Queues the event (taking ownership) while a destination is attached;
    // otherwise runs discard on it, so that its payload can be freed, and
    // deletes it.
    void Post(wxEvent* event, const std::function<void(wxEvent&)>& discard = {})
    {
        {
            wxMutexLocker lock(m_mutex);
            if (m_destination)
            {
                wxQueueEvent(m_destination, event);
                return;
            }
        }
        if (discard)
            discard(*event);
        delete event;
    }

    void Detach()
    {
        wxMutexLocker lock(m_mutex);
        m_destination = nullptr;
    }

    bool IsAttached()
    {
        wxMutexLocker lock(m_mutex);
        return m_destination != nullptr;
    }

private:
    wxMutex m_mutex;
    wxEvtHandler* m_destination;
};

using WorkerEventSinkPtr = std::shared_ptr<WorkerEventSink>;
