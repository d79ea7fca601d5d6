// Where the program finds its resources and keeps its settings.
// Inside the program every path uses "/" as separator.
#pragma once

#include <wx/string.h>

// Product identity.
wxString GetBrandName();
wxString GetProductName();
wxString GetProductVersion();

// The install rule as a function of the executable's path, so that it can be
// checked without running from an installation: the executable's folder is the
// path cut before its last "/", and the install root that folder's parent.
// Either cut gives an empty string when there is no "/".
wxString ExecutableDirFromPath(const wxString& executablePath);
wxString InstallRootFromExecutablePath(const wxString& executablePath);

wxString GetInstallDir();
wxString GetThemesDir();
wxString GetLanguageDir();
wxString GetOptionFilePath();

// The per-user folder "<documents>/Pelagrin files/Pelagrin GIF Animator";
// every call creates it if it is missing.
wxString GetUserDocDir();
wxString GetLanguageFilePath();
// The user's default GIF options, "gif-options.xml" in the folder above.
wxString GetGifOptionsFilePath();

// "language.txt" holds the interface language as decimal ASCII digits.
// A missing file is created with English (58); unreadable text gives 0.
int ReadLanguageCode();
void WriteLanguageCode(int code);
int ReadLanguageCodeFrom(const wxString& path);
void WriteLanguageCodeTo(const wxString& path, int code);

// Leading decimal digits of a text, after optional blanks and sign; 0 when
// there are none. Numbers read from files follow this rule.
int ParseLeadingInt(const wxString& text);
