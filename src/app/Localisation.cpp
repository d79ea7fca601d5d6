#include "app/Localisation.h"

#include "app/Platform.h"

#include <wx/log.h>

namespace
{
const StoredLanguage kStoredLanguages[kStoredLanguageCount] = {
    {46, "中文简体", wxLANGUAGE_CHINESE_SIMPLIFIED},
    {47, "中文繁體", wxLANGUAGE_CHINESE_TRADITIONAL},
    {89, "Deutsch", wxLANGUAGE_GERMAN},
    {58, "English", wxLANGUAGE_ENGLISH},
    {80, "Français", wxLANGUAGE_FRENCH},
    {110, "Italiano", wxLANGUAGE_ITALIAN},
    {112, "日本語", wxLANGUAGE_JAPANESE},
};
} // namespace

const StoredLanguage* GetStoredLanguages()
{
    return kStoredLanguages;
}

wxLanguage ToolkitLanguageFromStoredCode(int code)
{
    for (const StoredLanguage& stored : kStoredLanguages)
    {
        if (stored.code == code)
            return stored.language;
    }
    // 0 (default) and 1 (unknown) mean the same in every toolkit version;
    // any other number has no meaning here and falls back to the default.
    return code == wxLANGUAGE_UNKNOWN ? wxLANGUAGE_UNKNOWN : wxLANGUAGE_DEFAULT;
}

wxLocale* CreateLocale(int storedCode, const wxString& lookupPrefix, const wxString& catalogue)
{
    wxLogNull noLog;
    wxLocale* locale = new wxLocale;
    const wxLanguage language = ToolkitLanguageFromStoredCode(storedCode);
    locale->Init(language, wxLOCALE_LOAD_DEFAULT);
    const wxString canonicalName = wxLocale::GetLanguageCanonicalName(language);
    if (!canonicalName.empty())
        SetToolkitMessageLanguage(canonicalName);
    wxLocale::AddCatalogLookupPathPrefix(lookupPrefix);
    locale->AddCatalog(catalogue);
    return locale;
}
