#include "app/GifApp.h"

#include "app/CrashReport.h"
#include "app/DomainOption.h"
#include "app/Localisation.h"
#include "app/Paths.h"
#include "app/Trace.h"
#include "window/FrameStore.h"
#include "window/GifFrame.h"
#include "window/ImageThread.h"

#include <wx/cmdline.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/xrc/xmlres.h>


wxIMPLEMENT_APP_NO_MAIN(GifApp);

GifApp::GifApp()
{
    wxHandleFatalExceptions(true);
    CatchFatalSignals();
}

GifApp::~GifApp()
{
    delete m_locale;
}

void GifApp::SetupAppLocale()
{
    delete m_locale;
    m_locale = CreateLocale(kStoredCodeEnglish, "m_locale_", "ui");
}

void LoadToolkitResources(const wxString& themesDir)
{
    wxInitAllImageHandlers();
    wxXmlResource::Get()->InitAllHandlers();
    wxXmlResource::Get()->LoadAllFiles(themesDir);
}

bool GifApp::OnInit()
{
    if (!wxApp::OnInit())
        return false;
    // The toolkit installs its own assertion handler while it starts; its
    // assertions stay silent in this program.
    wxSetAssertHandler(nullptr);
    m_locale = nullptr;
    SetupAppLocale();

    GifFrame* frame = nullptr;
    {
        // The toolkit's own messages about missing files stay quiet during
        // start-up; a missing main window is reported below in our words.
        wxLogNull noLog;
        const wxString installDir = GetInstallDir();
        LoadToolkitResources((installDir.empty() ? wxString(".") : installDir) + "/Themes");

        const wxString optionPath = GetOptionFilePath();
        WriteTraceLine(optionPath);
        g_domainOption = new DomainOption(optionPath);
        ReadDomainOptions();

        // Stores of a previous run that was killed go before this run makes its own.
        RemoveAbandonedFrameStores(FrameStoreDirectory());
        frame = CreateMainWindow();
    }
    if (!frame)
    {
        wxMessageBox(wxString::Format(_("The window resources of %s were not found in \"%s\".\n"
                                        "Please reinstall the program."),
                                      GetProductName(), GetInstallDir() + "/Themes"),
                     GetProductName(), wxOK | wxICON_ERROR | wxCENTRE, nullptr);
        return false;
    }
    m_frame = frame;
    m_frame->Show();
    if (!m_startupFiles.empty())
    {
        // Loaded once the window is on screen, so that their progress and
        // messages have it as parent.
        const wxArrayString files = m_startupFiles;
        m_frame->CallAfter([frame, files] { frame->OpenFiles(files); });
    }
    return true;
}

void GifApp::OnInitCmdLine(wxCmdLineParser& parser)
{
    wxApp::OnInitCmdLine(parser);
    parser.AddParam(_("picture or project"), wxCMD_LINE_VAL_STRING,
                    wxCMD_LINE_PARAM_OPTIONAL | wxCMD_LINE_PARAM_MULTIPLE);
}

bool GifApp::OnCmdLineParsed(wxCmdLineParser& parser)
{
    if (!wxApp::OnCmdLineParsed(parser))
        return false;
    for (size_t i = 0; i < parser.GetParamCount(); ++i)
    {
        wxFileName file(parser.GetParam(i));
        file.MakeAbsolute();
        m_startupFiles.push_back(file.GetFullPath());
    }
    return true;
}

int GifApp::OnExit()
{
    delete g_domainOption;
    g_domainOption = nullptr;
    // The windows, and with them the frames, are gone: the temporary file goes
    // too, once the loads that were stopped with the window have ended.
    ImageThread::WaitUntilAllEnded();
    ShutDownProgramFrameStore();
    return 0;
}

void GifApp::OnFatalException()
{
    WriteCrashReport();
}

int RunGifAnimator(int argc, char** argv)
{
    wxSetAssertHandler(nullptr);
    wxLog::SetLogLevel(wxLOG_Info);
    return wxEntry(argc, argv);
}
