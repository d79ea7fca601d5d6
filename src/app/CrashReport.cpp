#include "app/CrashReport.h"

#include "app/Platform.h"

#include <wx/datetime.h>
#include <wx/debugrpt.h>
#include <wx/ffile.h>
#include <wx/msgdlg.h>

#include <memory>

void WriteCrashReport()
{
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
