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

namespace
{
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

    if (report->Process())
    {
        wxMessageBox(message, wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
        ExploreFolder(directory);
        report->Reset();
    }
}
