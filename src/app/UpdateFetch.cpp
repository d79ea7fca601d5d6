#include "app/UpdateFetch.h"

#include "app/UpdateCheck.h"

#include <wx/mstream.h>
#include <wx/thread.h>
#include <wx/uri.h>

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>

namespace
{
struct Transfer
{
    std::string body;
    size_t maxBytes = 0;
    bool tooLarge = false;
    const std::function<bool()>* cancelled = nullptr;
};

size_t AppendBody(char* data, size_t size, size_t count, void* user)
{
    Transfer& transfer = *static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer.body.size() + bytes > transfer.maxBytes)
    {
        transfer.tooLarge = true;
        return 0;  // makes libcurl end the transfer with an error
    }
    transfer.body.append(data, bytes);
    return bytes;
}

int CheckCancelled(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const Transfer& transfer = *static_cast<Transfer*>(user);
    return (*transfer.cancelled && (*transfer.cancelled)()) ? 1 : 0;
}

long EnvironmentMilliseconds(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    const long value = text ? std::strtol(text, nullptr, 10) : 0;
    return value > 0 ? value : fallback;
}

void SetTransferOptions(CURL* curl, const FetchLimits& limits, Transfer& transfer)
{
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, limits.maxRedirects);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (const char* authority = std::getenv("PELAGRIN_TEST_CA_FILE"))
        curl_easy_setopt(curl, CURLOPT_CAINFO, authority);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckCancelled);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
}

class UpdateFetchThread : public wxThread
{
public:
    UpdateFetchThread(const wxString& address, const WorkerEventSinkPtr& sink)
        : wxThread(wxTHREAD_DETACHED), m_address(address.Clone()), m_sink(sink)
    {
    }

protected:
    ExitCode Entry() override
    {
        // Stops waiting for the network as soon as the window has gone or
        // the program ends.
        const std::function<bool()> cancelled = [this] { return TestDestroy() || !m_sink->IsAttached(); };
        const FetchResult fetched = FetchDocument(m_address, UpdateFetchLimits(), cancelled);
        wxString version;
        if (fetched.ok)
        {
            wxMemoryInputStream stream(fetched.body.data(), fetched.body.size());
            version = FindProductVersion(stream);
        }
        wxCommandEvent* result = new wxCommandEvent(UpdateResultEvent, 0);
        result->SetString(version);
        m_sink->Post(result);
        return nullptr;
    }

private:
    wxString m_address;
    WorkerEventSinkPtr m_sink;
};
} // namespace

FetchLimits UpdateFetchLimits()
{
    FetchLimits limits;
    limits.totalTimeoutMs = EnvironmentMilliseconds("PELAGRIN_TEST_UPDATE_TIMEOUT_MS", limits.totalTimeoutMs);
    limits.connectTimeoutMs = std::min(limits.connectTimeoutMs, limits.totalTimeoutMs);
    return limits;
}

bool IsAbsoluteAddress(const wxString& address)
{
    const wxURI uri(address);
    return uri.HasScheme() && uri.HasServer();
}

FetchResult FetchDocument(const wxString& address, const FetchLimits& limits,
                          const std::function<bool()>& cancelled)
{
    FetchResult result;
    CURL* curl = curl_easy_init();
    if (!curl)
    {
        result.reason = "cannot start a transfer";
        return result;
    }
    Transfer transfer;
    transfer.maxBytes = limits.maxBytes;
    transfer.cancelled = &cancelled;
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_URL, address.utf8_str().data());
    SetTransferOptions(curl, limits, transfer);
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    result.ok = code == CURLE_OK;
    if (result.ok)
        result.body = std::move(transfer.body);
    else if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED)
        result.reason = "the document is larger than the limit";
    else
        result.reason = wxString::FromUTF8(error[0] ? error : curl_easy_strerror(code));
    return result;
}

bool StartUpdateFetch(const wxString& address, const WorkerEventSinkPtr& sink)
{
    // libcurl's global set-up is not thread-safe everywhere: it runs here,
    // on the GUI thread, before the first worker starts.
    static const bool curlReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!curlReady)
        return false;
    UpdateFetchThread* thread = new UpdateFetchThread(address, sink);
    if (thread->Run() != wxTHREAD_NO_ERROR)
    {
        delete thread;
        return false;
    }
    return true;
}
