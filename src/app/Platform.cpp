#include "app/Platform.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <clocale>
#include <string>

wxString GetSystemDocumentsFolder()
{
    return wxStandardPaths::Get().GetDocumentsDir();
}

void ExploreFolder(const wxString& path)
{
    wxLogNull noLog;
    // xdg-open hands a folder to the desktop's file manager.
    wxLaunchDefaultApplication(wxFileName::DirName(path).GetFullPath());
}

void SetToolkitMessageLanguage(const wxString& canonicalName)
{
    // GTK translates through gettext, which takes the LANGUAGE list before
    // the locale but ignores it under the plain "C" locale; C.UTF-8 exists
    // even where no other locale has been generated.
    const std::string messages = std::setlocale(LC_MESSAGES, nullptr);
    if (messages == "C" || messages == "POSIX")
        std::setlocale(LC_MESSAGES, "C.UTF-8");
    wxSetEnv("LANGUAGE", canonicalName + ":" + canonicalName.BeforeFirst('_'));
    // Setting the locale again empties gettext's cache of translations.
    const std::string current = std::setlocale(LC_MESSAGES, nullptr);
    std::setlocale(LC_MESSAGES, current.c_str());
}
