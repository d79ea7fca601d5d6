#include "app/Platform.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

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
