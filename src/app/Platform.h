// The few desktop services the program needs from the system.
#pragma once

#include <wx/string.h>

// The user's documents folder as the desktop reports it (XDG user dirs,
// falling back to the home folder).
wxString GetSystemDocumentsFolder();

// Opens a folder in the desktop's file manager. The result is not reported.
void ExploreFolder(const wxString& path);
