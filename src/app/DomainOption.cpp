#include "app/DomainOption.h"

#include <wx/filename.h>
#include <wx/log.h>

DomainOption* g_domainOption = nullptr;

namespace
{
// The first text or CDATA child, empty when there is none.
wxString ElementText(const wxXmlNode* element)
{
    for (const wxXmlNode* child = element->GetChildren(); child; child = child->GetNext())
    {
        if (child->GetType() == wxXML_TEXT_NODE || child->GetType() == wxXML_CDATA_SECTION_NODE)
            return child->GetContent();
    }
    return wxString();
}

const wxXmlNode* FirstElementChild(const wxXmlNode* node)
{
    const wxXmlNode* child = node ? node->GetChildren() : nullptr;
    while (child && child->GetType() != wxXML_ELEMENT_NODE)
        child = child->GetNext();
    return child;
}

const wxXmlNode* NextElementSibling(const wxXmlNode* node)
{
    const wxXmlNode* next = node->GetNext();
    while (next && next->GetType() != wxXML_ELEMENT_NODE)
        next = next->GetNext();
    return next;
}
} // namespace

DomainOption::DomainOption(const wxString& path)
    : m_filePath(path)
{
}

bool DomainOption::Load()
{
    if (!wxFileName::FileExists(m_filePath))
        return false;
    wxLogNull noLog;
    return m_document.Load(m_filePath, "UTF-8") && m_document.GetRoot() != nullptr;
}

bool DomainOption::ReadValues()
{
    if (!m_document.IsOk() || !m_document.GetRoot())
        return false;
    const wxXmlNode* node = FirstElementChild(FirstElementChild(m_document.GetRoot()));
    for (int k = 0; k < kValueCount; ++k)
    {
        if (!node)
            return false;
        m_values[k] = ElementText(node);
        if (k == 4)
            m_values[k] += "-update.xml";
        node = NextElementSibling(node);
    }
    return true;
}

bool ReadDomainOptions()
{
    if (!g_domainOption || !g_domainOption->Load())
        return false;
    return g_domainOption->ReadValues();
}
