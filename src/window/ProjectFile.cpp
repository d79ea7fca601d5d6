#include "window/ProjectFile.h"

#include "app/Paths.h"
#include "window/AtomicFileWriter.h"
#include "window/GifOptionsFile.h"
#include "window/ImageDecoding.h"

#include <wx/filename.h>
#include <wx/log.h>

namespace
{
// The source GIF of a frame reference, or empty for any other entry.
wxString GifOfFrameReference(const wxString& path)
{
    wxString gif;
    int frame = 0;
    return SplitGifFrameReference(path, gif, frame) && !gif.empty() ? gif : wxString();
}

wxXmlNode* TextElement(const wxString& name, const wxString& text)
{
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, name);
    element->AddChild(new wxXmlNode(wxXML_TEXT_NODE, "", text));
    return element;
}

wxString ElementText(const wxXmlNode* element)
{
    return element->GetNodeContent();
}

const wxXmlNode* NextElement(const wxXmlNode* node)
{
    while (node && node->GetType() != wxXML_ELEMENT_NODE)
        node = node->GetNext();
    return node;
}

const wxXmlNode* FirstChildElement(const wxXmlNode* node)
{
    return node ? NextElement(node->GetChildren()) : nullptr;
}

const wxXmlNode* NextSiblingElement(const wxXmlNode* node)
{
    return node ? NextElement(node->GetNext()) : nullptr;
}

bool IsElement(const wxXmlNode* node, const char* name)
{
    return node && node->GetName() == name;
}
} // namespace

std::vector<wxString> ProjectEntriesWithMarkers(const std::vector<wxString>& framePaths)
{
    std::vector<wxString> entries;
    const size_t count = framePaths.size();
    for (size_t i = 0; i < count; ++i)
    {
        entries.push_back(framePaths[i]);
        const wxString gif = GifOfFrameReference(framePaths[i]);
        if (gif.empty() || i + 1 == count)
            continue;
        if (!framePaths[i + 1].StartsWith(gif))
            entries.push_back(gif);
        else if (i + 2 == count)
            entries.push_back(gif);  // a run reaching the end: marker before the last frame
    }
    return entries;
}

void BuildProjectDocument(const ProjectData& project, wxXmlDocument& document)
{
    wxXmlNode* root = new wxXmlNode(wxXML_ELEMENT_NODE, "project");
    wxXmlNode* name = TextElement("name", project.gifName);
    wxXmlNode* gif = new wxXmlNode(wxXML_ELEMENT_NODE, "gif");
    wxXmlNode* images = new wxXmlNode(wxXML_ELEMENT_NODE, "images");
    root->AddChild(name);
    root->AddChild(gif);
    root->AddChild(images);
    gif->AddChild(TextElement("width", wxString::Format("%d", project.width)));
    gif->AddChild(TextElement("height", wxString::Format("%d", project.height)));
    gif->AddChild(TextElement("delay_time", wxString::Format("%d", project.delay)));
    // A frame whose delay differs from delay_time carries its own; markers
    // are never frames.
    size_t frame = 0;
    for (const wxString& entry : ProjectEntriesWithMarkers(project.framePaths))
    {
        wxXmlNode* path = TextElement("path", entry);
        if (frame < project.framePaths.size() && entry == project.framePaths[frame])
        {
            const int delay = frame < project.frameDelays.size() ? project.frameDelays[frame] : 0;
            if (delay >= 1 && delay != project.delay)
                path->AddAttribute("delay", wxString::Format("%d", delay));
            ++frame;
        }
        images->AddChild(path);
    }
    // After <images>, where readers that do not know it never look.
    if (project.hasGifOptions)
        root->AddChild(MakeGifOptionsElement(project.gifOptions));
    document.SetRoot(root);
}

bool WriteProjectFile(const wxString& path, const ProjectData& project, wxString* error)
{
    wxXmlDocument document;
    BuildProjectDocument(project, document);
    return WriteXmlFile(path, document, error);
}

ProjectReadStatus ReadProjectFile(const wxString& path, ProjectData& project)
{
    wxLogNull noLog;
    wxXmlDocument document;
    if (!wxFileName::FileExists(path) || !document.Load(path, "UTF-8") || !document.GetRoot())
        return ProjectReadStatus::NotAProject;

    const wxXmlNode* root = document.GetRoot();
    const wxXmlNode* name = FirstChildElement(root);
    const wxXmlNode* gif = NextSiblingElement(name);
    const wxXmlNode* width = FirstChildElement(gif);
    const wxXmlNode* height = NextSiblingElement(width);
    const wxXmlNode* delay = NextSiblingElement(height);
    const wxXmlNode* images = NextSiblingElement(gif);
    if (!IsElement(root, "project") || !IsElement(name, "name") || !IsElement(gif, "gif") ||
        !IsElement(width, "width") || !IsElement(height, "height") || !IsElement(delay, "delay_time") ||
        !IsElement(images, "images"))
        return ProjectReadStatus::NotAProject;

    ProjectData read;
    read.gifName = ElementText(name);
    read.width = ParseLeadingInt(ElementText(width));
    read.height = ParseLeadingInt(ElementText(height));
    read.delay = ParseLeadingInt(ElementText(delay));
    for (const wxXmlNode* later = NextSiblingElement(images); later && !read.hasGifOptions;
         later = NextSiblingElement(later))
        read.hasGifOptions = ReadGifOptionsElement(later, read.gifOptions);
    const wxXmlNode* entry = FirstChildElement(images);
    if (!entry)
    {
        project = read;
        return ProjectReadStatus::NoImages;
    }
    for (; entry; entry = NextSiblingElement(entry))
    {
        if (!IsElement(entry, "path"))
            return ProjectReadStatus::NotAProject;
        const wxString text = ElementText(entry);
        if (text.EndsWith(".gif"))
            continue;
        read.framePaths.push_back(text);
        wxString delay;
        read.frameDelays.push_back(entry->GetAttribute("delay", &delay) ? ParseLeadingInt(delay) : 0);
    }
    project = read;
    return ProjectReadStatus::Ok;
}

wxString ProjectTitleBase(const wxString& fileName)
{
    return fileName.EndsWith(".xml") ? fileName.Left(fileName.length() - 4) : wxString();
}
