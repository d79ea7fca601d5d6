// Compares the running version with the one published in the update document.
#pragma once

#include <wx/event.h>
#include <wx/stream.h>
#include <wx/string.h>

// Queued to the main window with the latest version found, or an empty
// string when the check failed.
wxDECLARE_EVENT(UpdateResultEvent, wxCommandEvent);

void CheckForUpdate();
wxString FindProductVersion(wxInputStream& stream);
int CompareVersions(const wxString& running, const wxString& latest);
