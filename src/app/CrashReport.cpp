#include "app/CrashReport.h"

#include "app/Platform.h"

#include <wx/app.h>
#include <wx/datetime.h>
#include <wx/debugrpt.h>
#include <wx/evtloop.h>
#include <wx/evtloopsrc.h>
#include <wx/ffile.h>
#include <wx/msgdlg.h>

#include <atomic>
#include <csignal>
#include <memory>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace
{
// A crash inside the C library's allocator can leave its lock taken, and the
// report's first allocation then waits forever. The alarm ends such a process
// instead of leaving it hanging without a window.
const unsigned kReportTimeLimitSeconds = 30;

const int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
const int kFatalSignalCount = sizeof(kFatalSignals) / sizeof(kFatalSignals[0]);
struct sigaction g_toolkitActions[kFatalSignalCount];  // the toolkit's own handlers
pthread_t g_guiThread;
// A signal sent by another process is written here and reported from the
// event loop; see OnFatalSignal.
int g_sentSignalPipe[2] = {-1, -1};

int FatalSignalIndex(int signal)
{
    for (int i = 0; i < kFatalSignalCount; ++i)
        if (kFatalSignals[i] == signal)
            return i;
    return -1;
}

// What the toolkit does with a fatal signal, the report included; then the
// process ends as the signal meant it to.
void HandFatalSignalOn(int signal, siginfo_t* info, void* context)
{
    const struct sigaction& toolkit = g_toolkitActions[FatalSignalIndex(signal)];
    if (toolkit.sa_flags & SA_SIGINFO)
        toolkit.sa_sigaction(signal, info, context);
    else if (toolkit.sa_handler != SIG_DFL && toolkit.sa_handler != SIG_IGN)
        toolkit.sa_handler(signal);
    else if (wxTheApp)
        wxTheApp->OnFatalException();  // the toolkit leaves SIGABRT alone
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

bool SentByAnotherProcess(const siginfo_t* info)
{
    return (info->si_code == SI_USER || info->si_code == SI_QUEUE || info->si_code == SI_TKILL) &&
           info->si_pid != getpid();
}

void OnFatalSignal(int signal, siginfo_t* info, void* context)
{
    if (SentByAnotherProcess(info) && g_sentSignalPipe[1] != -1)
    {
        // Such a signal interrupts whatever the program was doing, perhaps
        // inside the allocator or holding the display's lock; a report
        // written here would wait for that lock for ever. Nothing is broken,
        // so the event loop writes the report instead.
        const unsigned char number = static_cast<unsigned char>(signal);
        if (write(g_sentSignalPipe[1], &number, 1) == 1)
            return;
    }
    if (!pthread_equal(pthread_self(), g_guiThread))
    {
        // The report shows a window, which only the GUI thread may do. A
        // signal sent to the process can land on any thread (GLib keeps a
        // few): hand it over and wait here for the process to end.
        pthread_kill(g_guiThread, signal);
        for (;;)
            pause();
    }
    HandFatalSignalOn(signal, info, context);
}

// Reads the signals that other processes sent and reports the first.
class SentSignalReader : public wxEventLoopSourceHandler
{
public:
    void OnReadWaiting() override
    {
        unsigned char number = 0;
        if (read(g_sentSignalPipe[0], &number, 1) != 1)
            return;
        siginfo_t info = {};
        info.si_signo = number;
        info.si_code = SI_USER;
        HandFatalSignalOn(number, &info, nullptr);
    }
    void OnWriteWaiting() override {}
    void OnExceptionWaiting() override {}
};

void WatchForSentSignals()
{
    if (pipe2(g_sentSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    static SentSignalReader reader;
    if (!wxEventLoopBase::AddSourceForFD(g_sentSignalPipe[0], &reader, wxEVENT_SOURCE_INPUT))
    {
        close(g_sentSignalPipe[0]);
        close(g_sentSignalPipe[1]);
        g_sentSignalPipe[0] = g_sentSignalPipe[1] = -1;
    }
}
} // namespace

void CatchFatalSignals()
{
    g_guiThread = pthread_self();
    WatchForSentSignals();
    struct sigaction action = {};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kFatalSignalCount; ++i)
        sigaction(kFatalSignals[i], &action, &g_toolkitActions[i]);
}

void WriteCrashReport()
{
    // The toolkit ends the process with abort() after a report: that second
    // signal must not write a second one.
    static std::atomic<bool> reported(false);
    if (reported.exchange(true))
        return;
    alarm(kReportTimeLimitSeconds);
    std::unique_ptr<wxDebugReportCompress> report(new wxDebugReportCompress);
    report->AddAll(wxDebugReport::Context_Exception);

    const wxString directory = report->GetDirectory();
    const wxString stampPath = directory + "/timestamp.my";
    {
        wxFFile stamp(stampPath, "w");
        if (stamp.IsOpened())
        {
            const wxDateTime now = wxDateTime::Now();
            stamp.Write(now.FormatISODate() + " " + now.FormatISOTime());
        }
    }
    report->SetCompressedFileDirectory(directory);
    report->AddFile("timestamp.my", "timestamp of this report");

    wxString message = _("Application have crashed due to some unknown reasons,\nPlease email the zip crashing report file that is generated in \n%s\n to us.");
    message.Replace("%s", directory);

    const bool written = report->Process();
    alarm(0);
    if (written)
    {
        wxMessageBox(message, wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
        ExploreFolder(directory);
        report->Reset();
    }
}
