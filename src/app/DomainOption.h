// The installation's read-only option file "option.cfg": seven addresses
// stored by position as the children of the root's first child element.
#pragma once

#include <wx/string.h>
#include <wx/xml/xml.h>

class DomainOption
{
public:
    static const int kValueCount = 7;

    explicit DomainOption(const wxString& path);
    virtual ~DomainOption() = default;

    // Parses the file; false when it is missing, unparsable or has no root.
    bool Load();

    // Value 1: help page; value 3: support page; value 5: update document
    // (stored text + "-update.xml"); value 6: download page.
    wxString GetHelpAddress() const { return m_values[0]; }
    wxString GetSupportAddress() const { return m_values[2]; }
    wxString GetUpdateAddress() const { return m_values[4]; }
    wxString GetDownloadAddress() const { return m_values[5]; }
    wxString GetValue(int number) const { return m_values[number - 1]; }

    // Fills the values from the loaded document; false when the document did
    // not load or holds fewer than seven values (those read stay).
    bool ReadValues();

private:
    wxString m_filePath;
    wxXmlDocument m_document;
    wxString m_values[kValueCount];
};

// The one option holder of the process, owned by the application object.
extern DomainOption* g_domainOption;

// Loads the process-wide option holder and fills its values.
bool ReadDomainOptions();
