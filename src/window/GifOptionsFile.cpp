#include "window/GifOptionsFile.h"

#include "app/Paths.h"
#include "window/AtomicFileWriter.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/xml/xml.h>

#include <algorithm>

namespace
{
const char kElementName[] = "gif_options";

wxXmlNode* NumberElement(const char* name, int value)
{
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, name);
    element->AddChild(new wxXmlNode(wxXML_TEXT_NODE, "", wxString::Format("%d", value)));
    return element;
}

// Only text that starts with a digit counts, so an empty element keeps the
// default instead of becoming 0.
void ReadNumber(const wxXmlNode* element, int& value)
{
    const wxString text = element->GetNodeContent().Strip(wxString::both);
    if (!text.empty() && wxIsdigit(text[0]))
        value = ParseLeadingInt(text);
}
} // namespace

GifOptions ValidGifOptions(const GifOptions& options)
{
    GifOptions valid = options;
    valid.quality = std::clamp(options.quality, 1, 100);
    valid.dithering = std::clamp(options.dithering, 0, 100);
    valid.repeat = std::clamp(options.repeat, 0, kMaxGifRepeat);
    return valid;
}

wxXmlNode* MakeGifOptionsElement(const GifOptions& options)
{
    const GifOptions valid = ValidGifOptions(options);
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, kElementName);
    element->AddChild(NumberElement("quality", valid.quality));
    element->AddChild(NumberElement("dithering", valid.dithering));
    element->AddChild(NumberElement("changed_only", valid.storeChangedOnly ? 1 : 0));
    element->AddChild(NumberElement("repeat", valid.repeat));
    return element;
}

bool ReadGifOptionsElement(const wxXmlNode* element, GifOptions& options)
{
    if (!element || element->GetType() != wxXML_ELEMENT_NODE || element->GetName() != kElementName)
        return false;
    GifOptions read;
    int changedOnly = read.storeChangedOnly ? 1 : 0;
    for (const wxXmlNode* child = element->GetChildren(); child; child = child->GetNext())
    {
        if (child->GetType() != wxXML_ELEMENT_NODE)
            continue;
        const wxString& name = child->GetName();
        if (name == "quality")
            ReadNumber(child, read.quality);
        else if (name == "dithering")
            ReadNumber(child, read.dithering);
        else if (name == "changed_only")
            ReadNumber(child, changedOnly);
        else if (name == "repeat")
            ReadNumber(child, read.repeat);
    }
    read.storeChangedOnly = changedOnly != 0;
    options = ValidGifOptions(read);
    return true;
}

GifOptions ReadGifOptionsFile(const wxString& path)
{
    wxLogNull noLog;
    GifOptions options;
    wxXmlDocument document;
    if (wxFileName::FileExists(path) && document.Load(path, "UTF-8"))
        ReadGifOptionsElement(document.GetRoot(), options);
    return options;
}

bool WriteGifOptionsFile(const wxString& path, const GifOptions& options, wxString* error)
{
    wxXmlDocument document;
    document.SetRoot(MakeGifOptionsElement(options));
    return WriteXmlFile(path, document, error);
}
