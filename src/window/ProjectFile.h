// The project file: the GIF name, output size, delay and the frame list as a
// small XML document.
//
// <project><name/><gif><width/><height/><delay_time/></gif>
//   <images><path>...</path>...</images><gif_options>...</gif_options></project>
//
// A frame taken from an animated GIF is stored as "<gif path>_<index>"; after a
// run of such frames the GIF's own path is written as a marker, which readers
// skip (every entry ending in ".gif"). <gif_options> (GifOptionsFile.h) is
// missing from older files.
#pragma once

#include "window/GifOptions.h"

#include <wx/string.h>
#include <wx/xml/xml.h>

#include <vector>

struct ProjectData
{
    wxString gifName;
    int width = 0;
    int height = 0;
    int delay = 0;
    std::vector<wxString> framePaths;  // in strip order, markers left out
    // Each frame's delay in hundredths of a second, parallel to framePaths;
    // empty, or an entry below 1, means `delay`.
    std::vector<int> frameDelays;
    GifOptions gifOptions;
    bool hasGifOptions = false;        // the file carried GIF options
};

// The entries of <images> for these frames, markers included.
std::vector<wxString> ProjectEntriesWithMarkers(const std::vector<wxString>& framePaths);

// The whole document for a project.
void BuildProjectDocument(const ProjectData& project, wxXmlDocument& document);

// Writes the document with an indentation step of 2 through a temporary file
// beside the target, which replaces the target only when complete. On
// failure the old file is unchanged and *error says why.
bool WriteProjectFile(const wxString& path, const ProjectData& project, wxString* error);

enum class ProjectReadStatus
{
    Ok,
    NotAProject,  // unreadable, not XML, or not laid out as a project
    NoImages      // a project whose <images> is empty
};

// Reads a project. Everything is checked before anything is returned, so a
// file that is not a project changes nothing for the caller.
ProjectReadStatus ReadProjectFile(const wxString& path, ProjectData& project);

// The title base of a project file name: the name without ".xml" when it ends
// so (case-sensitive), otherwise empty.
wxString ProjectTitleBase(const wxString& fileName);
