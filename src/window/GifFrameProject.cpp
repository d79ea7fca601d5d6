// Project files and the unsaved-project questions.
#include "window/GifFrame.h"

#include "app/Paths.h"
#include "window/GifOptionsFile.h"
#include "window/ProjectFile.h"
#include "window/thumbnailctrl.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/spinctrl.h>
#include <wx/statusbr.h>

bool GifFrame::ProjectChanged() const
{
    return m_spinctrl_delay->GetValue() != m_savedDelay || m_spinctrl_width->GetValue() != m_savedWidth ||
           m_spinctrl_height->GetValue() != m_savedHeight || GetFrameCount() != m_savedFrameCount ||
           m_reorderedSinceProject || m_gifOptions != m_savedGifOptions;
}

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
    m_savedWidth = project.width = m_spinctrl_width->GetValue();
    m_savedHeight = project.height = m_spinctrl_height->GetValue();
    m_savedDelay = project.delay = m_spinctrl_delay->GetValue();
    m_savedFrameCount = GetFrameCount();
    m_savedGifOptions = project.gifOptions = m_gifOptions;
    project.hasGifOptions = true;
    for (int i = 0; i < m_savedFrameCount; ++i)
        project.framePaths.push_back(m_thumbnailCtrl->GetItem(i)->m_path);

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
        m_savedFrameCount = -1;
        wxMessageBox(wxString::Format(_("The project could not be saved to \"%s\":\n%s"), m_projectPath, error),
                     GetProductName(), wxOK | wxICON_ERROR, this);
        return;
    }
    m_reorderedSinceProject = false;
    m_projectFileName = wxFileNameFromPath(m_projectPath);
    SetTitle(ProjectTitleBase(m_projectFileName) + " - " + GetProductName());
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
    ApplyLoadedProject(path, project);
    if (status == ProjectReadStatus::NoImages)
    {
        wxMessageBox(_("Failed to load XML file!"), GetTitle(), wxOK | wxICON_INFORMATION, this);
        return;
    }

    wxArrayString entries;
    for (const wxString& frame : project.framePaths)
        entries.push_back(frame);
    if (!StartImageLoad(entries))
        return;
    m_savedFrameCount = static_cast<int>(entries.size());
    EnableFrameCommands();
}

void GifFrame::ApplyLoadedProject(const wxString& path, const ProjectData& project)
{
    m_projectPath = path;
    m_projectFileName = wxFileNameFromPath(path);
    m_reorderedSinceProject = false;
    SetTitle(ProjectTitleBase(m_projectFileName) + " - " + GetProductName());

    m_savedWidth = project.width;
    m_spinctrl_width->SetValue(project.width);
    m_savedHeight = project.height;
    m_spinctrl_height->SetValue(project.height);
    m_gifName = project.gifName;
    m_statusBar1->SetStatusText(OutputSizeText(project.width, project.height), 0);
    m_refWidth = m_outWidth = project.width;
    m_refHeight = m_outHeight = project.height;
    m_savedDelay = project.delay;
    m_spinctrl_delay->SetValue(project.delay);
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
