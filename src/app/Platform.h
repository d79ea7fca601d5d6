// The few desktop services the program needs from the system.
#pragma once

#include <wx/string.h>

// The user's documents folder as the desktop reports it (XDG user dirs,
// falling back to the home folder).
wxString GetSystemDocumentsFolder();

// Opens a folder in the desktop's file manager. The result is not reported.
void ExploreFolder(const wxString& path);

// Makes the desktop toolkit's own texts (stock buttons, file and message
// dialogs) use the language of the given canonical name ("de_DE"), also
// where the system has no locale for it.
void SetToolkitMessageLanguage(const wxString& canonicalName);
