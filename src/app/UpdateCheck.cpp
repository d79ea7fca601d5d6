#include "app/UpdateCheck.h"

#include "app/Paths.h"

#include <wx/log.h>
#include <wx/xml/xml.h>

#include <algorithm>
#include <cstring>

wxDEFINE_EVENT(UpdateResultEvent, wxCommandEvent);

namespace
{
const int kVersionParts = 4;
const size_t kVersionKeySize = 9;
// Each number takes two base-255 digits stored as 1..255, so that no key
// byte is zero (the comparison stops at the first zero byte).
const unsigned long kLargestVersionNumber = 255 * 255 - 1;
const char kPreReleaseMark = 1;
const char kReleaseMark = 2;

wxString VersionAfterProductName(const wxXmlNode& element)
{
    for (const wxXmlAttribute* attribute = element.GetAttributes(); attribute;
         attribute = attribute->GetNext())
    {
        const wxXmlAttribute* next = attribute->GetNext();
        if (next && attribute->GetValue() == GetProductName())
            return next->GetValue();
    }
    return wxString();
}

void AppendVersionNumber(std::string& key, unsigned long number)
{
    number = std::min(number, kLargestVersionNumber);
    key += static_cast<char>(number / 255 + 1);
    key += static_cast<char>(number % 255 + 1);
}

// Reads the leading decimal digits of text from position; false when there
// are none.
bool ReadNumber(const std::string& text, size_t& position, unsigned long& number)
{
    const size_t start = position;
    number = 0;
    while (position < text.size() && text[position] >= '0' && text[position] <= '9')
    {
        number = std::min(number * 10 + (text[position] - '0'), kLargestVersionNumber);
        ++position;
    }
    return position > start;
}
} // namespace

wxString FindProductVersion(wxInputStream& stream)
{
    wxLogNull noLog;
    wxXmlDocument document;
    if (!stream.IsOk() || !document.Load(stream, "UTF-8") || !document.GetRoot())
        return wxString();
    wxString version;
    for (const wxXmlNode* child = document.GetRoot()->GetChildren(); child; child = child->GetNext())
    {
        if (child->GetType() != wxXML_ELEMENT_NODE)
            continue;
        const wxString found = VersionAfterProductName(*child);
        if (!found.empty())
            version = found;
    }
    return version;
}

std::string MakeVersionKey(const wxString& version)
{
    const std::string text = wxString(version).Trim(true).Trim(false).utf8_string();
    size_t position = (!text.empty() && (text[0] == 'v' || text[0] == 'V')) ? 1 : 0;
    std::string key;
    unsigned long number = 0;
    for (int part = 0; part < kVersionParts; ++part)
    {
        if (!ReadNumber(text, position, number))
        {
            if (part == 0)
                return std::string();
            // "2.1." reads as 2.1; the dot without a number marks nothing.
            break;
        }
        AppendVersionNumber(key, number);
        if (position >= text.size() || text[position] != '.' || part + 1 == kVersionParts)
            break;
        ++position;
    }
    while (key.size() < 2 * kVersionParts)
        AppendVersionNumber(key, 0);
    // Numbers beyond the fourth are ignored; other text is a pre-release tag.
    while (position < text.size() && (text[position] == '.' || (text[position] >= '0' && text[position] <= '9')))
        ++position;
    key += position < text.size() ? kPreReleaseMark : kReleaseMark;
    return key;
}

bool IsReadableVersion(const wxString& version)
{
    return !MakeVersionKey(version).empty();
}

int CompareVersions(const wxString& running, const wxString& latest)
{
    char runningKey[kVersionKeySize + 1] = {};
    char latestKey[kVersionKeySize + 1] = {};
    const std::string runningBytes = MakeVersionKey(running);
    const std::string latestBytes = MakeVersionKey(latest);
    std::memcpy(runningKey, runningBytes.data(), std::min(runningBytes.size(), kVersionKeySize));
    std::memcpy(latestKey, latestBytes.data(), std::min(latestBytes.size(), kVersionKeySize));
    const int order = std::strncmp(runningKey, latestKey, kVersionKeySize);
    return (order > 0) - (order < 0);
}
