// Project files and the unsaved-project questions.
#include "window/GifFrame.h"

#include "app/Paths.h"
#include "window/OutputSize.h"
#include "window/GifOptionsFile.h"
#include "window/GifWriter.h"
#include "window/ProjectFile.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/spinctrl.h>
#include <wx/statusbr.h>

int GifFrame::AskToSaveProject(const wxString& caption)
{
    wxMessageDialog question(this,
                             _("The project is unsaved,you can continue to edit\n your project when you open it "
                               "next time,do you \nwant to save the project now?"),
                             caption, wxYES_NO | wxCANCEL | wxNO_DEFAULT | wxICON_EXCLAMATION);
    return question.ShowModal();
}

void GifFrame::OnOpenProject(wxCommandEvent&)
{
    OpenProjectWithPrompt(wxString());
}

void GifFrame::OpenProjectWithPrompt(const wxString& path)
{
    if (GetFrameCount() == 0)
    {
        LoadProject(path);
        return;
    }
    wxString caption = _("Warning!");
    if (!m_projectPath.empty())
    {
        if (!ProjectChanged())
        {
            LoadProject(path);
            return;
        }
        caption = _("Warning");
    }
    const int answer = AskToSaveProject(caption);
    if (answer == wxID_YES)
        SaveProject();
    if (answer == wxID_YES || answer == wxID_NO)
    {
        LoadProject(path);
        m_gifPath.clear();
    }
}

void GifFrame::OnSaveProject(wxCommandEvent&)
{
    SaveProject();
}

void GifFrame::SaveProject()
{
    if (GetFrameCount() == 0)
        return;
    ProjectData project;
    project.gifName = wxFileNameFromPath(m_gifPath);
    const wxSize size = m_animation.GetOutputSize();
    project.width = size.x;
    project.height = size.y;
    project.delay = m_animation.GetDelay();
    for (const AnimationFrame& frame : m_animation.GetFrames())
    {
        project.framePaths.push_back(frame.source);
        project.frameDelays.push_back(frame.delay);
    }
    m_savedGifOptions = project.gifOptions = m_gifOptions;
    project.hasGifOptions = true;

    // Offering the save is enough: a user who cancels its file dialog is not
    // asked again on closing, unless something changes afterwards.
    m_projectRevision = m_animation.GetRevision();
    if (m_projectPath.empty())
    {
        wxFileDialog dialog(this, _("Save XML Files"), "", "", _("XML files") + " (*.xml)|*.xml",
                            wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
        if (dialog.ShowModal() == wxID_OK)
            m_projectPath = dialog.GetPath();
        if (m_projectPath.empty())
            return;
    }
    if (!m_projectPath.EndsWith(".xml"))
        m_projectPath += ".xml";

    wxString error;
    if (!WriteProjectFile(m_projectPath, project, &error))
    {
        // Nothing was saved: the next close asks again.
        m_projectRevision = -1;
        wxMessageBox(wxString::Format(_("The project could not be saved to \"%s\":\n%s"), m_projectPath, error),
                     GetProductName(), wxOK | wxICON_ERROR, this);
        return;
    }
    m_projectFileName = wxFileNameFromPath(m_projectPath);
    UpdateTitle();
}

namespace
{
wxString AskForProject(wxWindow* parent)
{
    wxFileDialog dialog(parent, _("Load Xml Files"), "", "", _("Xml files") + " (*.xml)|*.xml",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST | wxFD_MULTIPLE);
    if (dialog.ShowModal() != wxID_OK)
        return wxString();
    wxArrayString paths;
    dialog.GetPaths(paths);
    return paths.empty() ? dialog.GetPath() : paths[0];
}
} // namespace

void GifFrame::LoadProject(const wxString& chosenPath)
{
    StopPreview();
    if (IsLoading())
        return;
    const wxString path = chosenPath.empty() ? AskForProject(this) : chosenPath;
    if (path.empty())
        return;

    ProjectData project;
    const ProjectReadStatus status = ReadProjectFile(path, project);
    if (status == ProjectReadStatus::NotAProject)
    {
        wxMessageBox(wxString::Format(_("\"%s\" is not a project that this program can open."), path),
                     GetProductName(), wxOK | wxICON_ERROR, this);
        return;
    }
    if (status == ProjectReadStatus::NoImages)
    {
        wxMessageBox(_("Failed to load XML file!"), GetTitle(), wxOK | wxICON_INFORMATION, this);
        return;
    }

    wxArrayString entries;
    for (const wxString& frame : project.framePaths)
        entries.push_back(frame);
    m_loadEntryDelays.clear();
    for (size_t i = 0; i < project.framePaths.size(); ++i)
    {
        const int delay = i < project.frameDelays.size() ? project.frameDelays[i] : 0;
        m_loadEntryDelays.push_back(delay >= 1 ? delay : project.delay);
    }
    m_loadingProject = true;
    m_loadedProject = project;
    m_loadedProjectPath = path;
    if (!StartImageLoad(entries))
        m_loadingProject = false;
}

// The frames of an opened project replace those of the window, and the
// history starts afresh: the opened state is the saved one.
void GifFrame::FinishProjectLoad(AnimationFrames frames)
{
    m_loadingProject = false;
    ApplyLoadedProject(m_loadedProjectPath, m_loadedProject);
    std::vector<wxSize> sizes;
    for (const AnimationFrame& frame : frames)
        sizes.push_back(frame.GetSize());
    const wxSize reference = ReferenceSize(sizes);
    // A project without a size, or with one no GIF can have (made by hand or
    // by another program), follows its frames instead of failing every save.
    const wxSize stored(m_loadedProject.width, m_loadedProject.height);
    const bool usable = stored.x >= 1 && stored.y >= 1 && stored.x <= GifBlocks::kMaxSide &&
                        stored.y <= GifBlocks::kMaxSide;
    OutputSizeRule rule;
    if (usable && reference != stored)
        rule = {OutputSizeRule::KeepWidth, stored.x, stored.y};
    m_history.ClearCommands();
    m_animation.Reset(std::move(frames), m_loadedProject.delay, rule);
    m_projectRevision = m_animation.GetRevision();
    UpdateEditMenu();
    UpdateTitle();
}

void GifFrame::ApplyLoadedProject(const wxString& path, const ProjectData& project)
{
    m_projectPath = path;
    m_projectFileName = wxFileNameFromPath(path);
    m_gifName = project.gifName;
    // Older projects carry no options; they are written as the user's
    // defaults would write them.
    m_gifOptions = project.hasGifOptions ? project.gifOptions : ReadGifOptionsFile(GetGifOptionsFilePath());
    m_savedGifOptions = m_gifOptions;
}

void GifFrame::CloseWithSavePrompt()
{
    if (!ProjectChanged())
    {
        Destroy();
        return;
    }
    const int answer = AskToSaveProject(_("Warning"));
    if (answer == wxID_YES)
        SaveProject();
    if (answer == wxID_YES || answer == wxID_NO)
        Destroy();
}
