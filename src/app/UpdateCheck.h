// Reads the published update document and compares the version found there
// with the running one. Window-free: the fetch lives in UpdateFetch.
#pragma once

#include <wx/event.h>
#include <wx/stream.h>
#include <wx/string.h>

#include <string>

// Queued to the main window with the latest version found, or an empty
// string when the check failed or the product is not listed.
wxDECLARE_EVENT(UpdateResultEvent, wxCommandEvent);

// The version that follows the product's display name among the attributes
// of a child of the document's root; the last such child wins. Empty when
// the stream is unusable, is not XML or does not list the product.
wxString FindProductVersion(wxInputStream& stream);

// The byte key of a version: at most 9 non-zero bytes whose order is the
// order of versions. Up to four dotted numbers (missing ones count as 0,
// a leading "v" is ignored); anything after them marks a pre-release,
// which sorts before the release of the same numbers. Empty when the text
// does not start with a number.
std::string MakeVersionKey(const wxString& version);

// Negative when running is older than latest, 0 when equal, positive when
// newer.
int CompareVersions(const wxString& running, const wxString& latest);

// Whether a version from the document can be compared at all.
bool IsReadableVersion(const wxString& version);
