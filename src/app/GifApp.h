// The application object: prepares locale, image decoders, window resources
// and settings, then shows the main window.
#pragma once

#include <wx/app.h>
#include <wx/arrstr.h>

class GifFrame;
class wxLocale;

class GifApp : public wxApp
{
public:
    GifApp();
    ~GifApp() override;

    bool OnInit() override;
    int OnExit() override;
    void OnFatalException() override;
    // Pictures and a project may be named on the command line (a file
    // manager's "Open With" passes them so); the toolkit's own options stay.
    void OnInitCmdLine(wxCmdLineParser& parser) override;
    bool OnCmdLineParsed(wxCmdLineParser& parser) override;

    GifFrame* GetMainWindow() const { return m_frame; }

private:
    void SetupAppLocale();

    GifFrame* m_frame = nullptr;
    wxLocale* m_locale = nullptr;
    wxArrayString m_startupFiles;
};

// Registers the image decoders and XRC handlers and loads every XRC file of
// the themes folder. Shared by the program and its tests.
void LoadToolkitResources(const wxString& themesDir);

// Process entry: silences toolkit assertions, drops debug-level log messages
// and runs the toolkit with a GifApp.
int RunGifAnimator(int argc, char** argv);
