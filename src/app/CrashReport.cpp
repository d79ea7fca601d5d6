#include "app/CrashReport.h"

#include "app/Platform.h"

#include <wx/app.h>
#include <wx/datetime.h>
#include <wx/debugrpt.h>
#include <wx/ffile.h>
#include <wx/msgdlg.h>

#include <atomic>
#include <csignal>
#include <memory>

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

int FatalSignalIndex(int signal)
{
    for (int i = 0; i < kFatalSignalCount; ++i)
        if (kFatalSignals[i] == signal)
            return i;
    return -1;
}

void OnFatalSignal(int signal, siginfo_t* info, void* context)
{
    if (!pthread_equal(pthread_self(), g_guiThread))
    {
        // The report shows a window, which only the GUI thread may do. A
        // signal sent to the process can land on any thread (GLib keeps a
        // few): hand it over and wait here for the process to end.
        pthread_kill(g_guiThread, signal);
        for (;;)
            pause();
    }
    const struct sigaction& toolkit = g_toolkitActions[FatalSignalIndex(signal)];
    if (toolkit.sa_flags & SA_SIGINFO)
        toolkit.sa_sigaction(signal, info, context);
    else if (toolkit.sa_handler != SIG_DFL && toolkit.sa_handler != SIG_IGN)
        toolkit.sa_handler(signal);
    else if (wxTheApp)
        wxTheApp->OnFatalException();  // the toolkit leaves SIGABRT alone
    // End the process as the signal meant to.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
} // namespace

void CatchFatalSignals()
{
    g_guiThread = pthread_self();
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
