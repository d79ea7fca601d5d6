// Language codes and the locales that carry the interface translations.
#pragma once

#include <wx/intl.h>
#include <wx/string.h>

// "language.txt" and the Language menu ids keep the language numbers of the
// toolkit version the program was first released with; these map them to and
// from the running toolkit's enumeration.
struct StoredLanguage
{
    int code;             // number in "language.txt" and the menu item id
    const char* label;    // shown in its own language, never translated
    wxLanguage language;  // the running toolkit's value
};

const StoredLanguage* GetStoredLanguages(); // the seven, in menu order
const int kStoredLanguageCount = 7;
const int kStoredCodeEnglish = 58;

wxLanguage ToolkitLanguageFromStoredCode(int code);

// Creates a locale for the stored code with the catalogue lookup prefix and
// catalogue name given. Failures (a language the system cannot set, a
// missing catalogue) are silent: untranslated English is used then.
wxLocale* CreateLocale(int storedCode, const wxString& lookupPrefix, const wxString& catalogue);
