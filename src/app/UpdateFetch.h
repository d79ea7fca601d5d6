// Fetches the update document over HTTP or HTTPS on a worker thread, so that
// the window keeps responding however long the network takes.
#pragma once

#include "window/WorkerEventSink.h"

#include <wx/string.h>

#include <cstddef>
#include <functional>
#include <string>

struct FetchLimits
{
    long connectTimeoutMs = 10000;
    long totalTimeoutMs = 30000;
    long maxRedirects = 5;
    size_t maxBytes = 1024 * 1024;
};

struct FetchResult
{
    bool ok = false;
    std::string body;
    wxString reason;  // why the fetch failed
};

// The limits of a real check. The test suite alone shortens the timeouts
// through PELAGRIN_TEST_UPDATE_TIMEOUT_MS.
FetchLimits UpdateFetchLimits();

// Whether the address names a scheme and a server, as an absolute URL does.
bool IsAbsoluteAddress(const wxString& address);

// Fetches one document, blocking. Certificates are verified against the
// system's store (the test suite alone may name its own authority through
// PELAGRIN_TEST_CA_FILE). cancelled is polled while waiting; when it returns
// true the fetch ends as failed.
FetchResult FetchDocument(const wxString& address, const FetchLimits& limits,
                          const std::function<bool()>& cancelled);

// Starts the check of the document at address on a detached worker, which
// posts UpdateResultEvent to sink when done. False when no worker started.
bool StartUpdateFetch(const wxString& address, const WorkerEventSinkPtr& sink);
