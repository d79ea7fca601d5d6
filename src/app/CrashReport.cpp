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

#include <unistd.h>

namespace
{
// A crash inside the C library's allocator can leave its lock taken, and the
// report's first allocation then waits forever. The alarm ends such a process
// instead of leaving it hanging without a window.
const unsigned kReportTimeLimitSeconds = 30;

void OnAbortSignal(int)
{
    if (wxTheApp)
        wxTheApp->OnFatalException();
    // The handler was reset to the default on entry, so this ends the process
    // as the abort meant to.
    std::raise(SIGABRT);
}
} // namespace

void CatchAbortSignal()
{
    struct sigaction action = {};
    action.sa_handler = OnAbortSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGABRT, &action, nullptr);
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
