// The views of the animation: strip, captions, controls, status bar, title
// and Edit menu follow every change of the document.
#include "window/GifFrame.h"

#include "app/Paths.h"
#include "window/thumbnailctrl.h"

#include <wx/menu.h>
#include <wx/spinctrl.h>
#include <wx/statusbr.h>

namespace
{
void SetSpinValue(wxSpinCtrl* spin, int value)
{
    // Setting the value a user is typing would move the cursor.
    if (spin->GetValue() != value)
        spin->SetValue(value);
}
} // namespace

bool GifFrame::ProjectChanged() const
{
    return m_animation.GetRevision() != m_projectRevision || m_gifOptions != m_savedGifOptions;
}

bool GifFrame::GifChanged() const
{
    return m_gifSaveFailed || m_animation.GetRevision() != m_gifRevision || m_gifOptions != m_gifSavedOptions ||
           !wxFileExists(m_gifPath);
}

void GifFrame::OnAnimationChanged()
{
    if (!m_thumbnailCtrl)
        return;
    SyncStrip();
    const wxSize size = m_animation.GetOutputSize();
    SetSpinValue(m_spinctrl_width, size.x);
    SetSpinValue(m_spinctrl_height, size.y);
    SetSpinValue(m_spinctrl_delay, m_animation.GetDelay());
    RefreshOutputSize();
    SetFrameCommandsEnabled(!m_animation.IsEmpty());
    if (m_animation.IsEmpty())
    {
        ClearPreview();
        m_statusBar1->SetStatusText("", 1);
    }
    UpdateTitle();
}

void GifFrame::SyncStrip()
{
    std::vector<long> keys;
    keys.reserve(m_animation.GetFrameCount());
    for (const AnimationFrame& frame : m_animation.GetFrames())
        keys.push_back(frame.id);
    m_thumbnailCtrl->SuspendUpdates();
    m_thumbnailCtrl->SyncItems(keys, [this](size_t index) {
        const AnimationFrame& frame = m_animation.GetFrame(int(index));
        return new wxImageThumbnailItem(frame.thumbnail, frame.source);
    });
    for (int i = 0; i < m_thumbnailCtrl->GetCount(); ++i)
        m_thumbnailCtrl->GetItem(i)->m_startTime = m_animation.GetStartTime(i);
    m_thumbnailCtrl->ResumeUpdates();
    m_thumbnailCtrl->Refresh();
}

// Status field 0: the GIF's name and the output size.
void GifFrame::RefreshOutputSize()
{
    if (m_animation.IsEmpty())
    {
        m_statusBar1->SetStatusText("", 0);
        return;
    }
    const wxSize size = m_animation.GetOutputSize();
    m_statusBar1->SetStatusText(OutputSizeText(size.x, size.y), 0);
}

void GifFrame::UpdateTitle()
{
    const wxString base = m_projectFileName.empty() ? GetProductName()
                                                    : ProjectTitleBase(m_projectFileName) + " - " + GetProductName();
    // A star before the title marks a project with unsaved changes.
    const bool changed = ProjectChanged() && !m_animation.IsEmpty();
    SetTitle(changed ? "*" + base : base);
}

namespace
{
// The command a redo would do: the one after the current, or the first when
// every step is undone.
wxCommand* NextCommand(wxCommandProcessor& history)
{
    const wxList& commands = history.GetCommands();
    wxCommand* current = history.GetCurrentCommand();
    if (!current)
        return commands.empty() ? nullptr : static_cast<wxCommand*>(commands.GetFirst()->GetData());
    for (wxList::compatibility_iterator node = commands.GetFirst(); node; node = node->GetNext())
    {
        if (node->GetData() == current)
            return node->GetNext() ? static_cast<wxCommand*>(node->GetNext()->GetData()) : nullptr;
    }
    return nullptr;
}
} // namespace

void GifFrame::UpdateEditMenu()
{
    if (!m_menuItem_undo)
        return;
    wxCommand* undo = m_history.CanUndo() ? m_history.GetCurrentCommand() : nullptr;
    wxCommand* redo = m_history.CanRedo() ? NextCommand(m_history) : nullptr;
    // TRANSLATORS: Edit menu; %s names the step, e.g. "Undo Delete".
    m_menuItem_undo->SetItemLabel(
        (undo ? wxString::Format(_("&Undo %s"), wxGetTranslation(undo->GetName()))
              : wxGETTEXT_IN_CONTEXT("menu", "&Undo")) +
        "\tCtrl+Z");
    // TRANSLATORS: Edit menu; %s names the step, e.g. "Redo Delete".
    m_menuItem_redo->SetItemLabel(
        (redo ? wxString::Format(_("&Redo %s"), wxGetTranslation(redo->GetName()))
              : wxGETTEXT_IN_CONTEXT("menu", "&Redo")) +
        "\tCtrl+Shift+Z");
    m_menuItem_undo->Enable(undo != nullptr && !IsLoading());
    m_menuItem_redo->Enable(redo != nullptr && !IsLoading());
}
