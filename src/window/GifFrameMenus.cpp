// Menu bar, command wiring and the interface language of the main window.
#include "window/GifFrame.h"

#include "app/Localisation.h"
#include "app/Paths.h"
#include "window/ThreadEvents.h"
#include "window/WorkSaveAsGifThread.h"
#include "window/thumbnailctrl.h"

#include <wx/menu.h>
#include <wx/spinctrl.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/xrc/xmlres.h>

#include <algorithm>

namespace
{
wxString WithAccelerator(const wxString& label, const char* accelerator)
{
    return label + "\t" + accelerator;
}
} // namespace

void GifFrame::BuildMenuBar()
{
    m_menuBar = new wxMenuBar;

    // Menu items carry the context "menu" and tool tips "tooltip": the same
    // command reads differently in each, and an item that opens a dialog
    // ends with an ellipsis, as the desktop's conventions ask. Texts beyond
    // ASCII are wide literals: a narrow one is converted by the C library's
    // locale, which in the "C" locale turns it into an empty string.
    m_menuFile = new wxMenu;
    m_menuItem_save = m_menuFile->Append(ID_MENU_SAVE, wxGETTEXT_IN_CONTEXT("menu", "Save"));
    m_menuItem_saveAs = m_menuFile->Append(ID_MENU_SAVE_AS, wxGETTEXT_IN_CONTEXT("menu", L"Save As…"));
    m_menuItem_gifOptions =
        m_menuFile->Append(ID_MENU_GIF_OPTIONS, wxGETTEXT_IN_CONTEXT("menu", L"GIF Options…"));
    m_menuItem_openProject =
        m_menuFile->Append(ID_MENU_OPEN_PROJECT, wxGETTEXT_IN_CONTEXT("menu", L"Open Project…"));
    m_menuItem_saveProject = m_menuFile->Append(
        ID_MENU_SAVE_PROJECT, WithAccelerator(wxGETTEXT_IN_CONTEXT("menu", "Save Project"), "Ctrl+S"));
    m_menuItem_exit =
        m_menuFile->Append(ID_MENU_EXIT, WithAccelerator(wxGETTEXT_IN_CONTEXT("menu", "Exit"), "Ctrl+Q"));
    m_menuBar->Append(m_menuFile, _("File"));

    // Undo and Redo are named after their step by UpdateEditMenu.
    m_menuEdit = new wxMenu;
    m_menuItem_undo =
        m_menuEdit->Append(ID_MENU_UNDO, WithAccelerator(wxGETTEXT_IN_CONTEXT("menu", "&Undo"), "Ctrl+Z"));
    m_menuItem_redo =
        m_menuEdit->Append(ID_MENU_REDO, WithAccelerator(wxGETTEXT_IN_CONTEXT("menu", "&Redo"), "Ctrl+Shift+Z"));
    m_menuItem_redo->AddExtraAccel(wxAcceleratorEntry(wxACCEL_CTRL, 'Y', ID_MENU_REDO));
    m_menuEdit->AppendSeparator();
    m_menuItem_duplicate = m_menuEdit->Append(
        ID_MENU_DUPLICATE, WithAccelerator(wxGETTEXT_IN_CONTEXT("menu", "D&uplicate"), "Ctrl+D"));
    m_menuItem_reverse = m_menuEdit->Append(ID_MENU_REVERSE, wxGETTEXT_IN_CONTEXT("menu", "&Reverse"));
    m_menuItem_yoyo = m_menuEdit->Append(ID_MENU_YOYO, wxGETTEXT_IN_CONTEXT("menu", "&Yo-yo"));
    m_menuEdit->AppendSeparator();
    m_menuItem_selectAll = m_menuEdit->Append(
        ID_MENU_SELECT_ALL, WithAccelerator(wxGETTEXT_IN_CONTEXT("menu", "Select &All"), "Ctrl+A"));
    m_menuBar->Append(m_menuEdit, _("Edit"));

    m_menuFrame = new wxMenu;
    m_menuItem_addImage = m_menuFrame->Append(
        ID_MENU_ADD_IMAGE, WithAccelerator(wxGETTEXT_IN_CONTEXT("menu", L"Add Image…"), "Ctrl+Ins"));
    m_menuItem_addVideo = m_menuFrame->Append(ID_MENU_ADD_VIDEO, wxGETTEXT_IN_CONTEXT("menu", L"Add Video…"));
    m_menuItem_delete =
        m_menuFrame->Append(ID_MENU_DELETE, WithAccelerator(wxGETTEXT_IN_CONTEXT("menu", "Delete"), "Ctrl+Del"));
    m_menuItem_clearAll = m_menuFrame->Append(ID_MENU_CLEAR_ALL, wxGETTEXT_IN_CONTEXT("menu", "Clear All"));
    m_menuItem_frameDelay =
        m_menuFrame->Append(ID_MENU_FRAME_DELAY, wxGETTEXT_IN_CONTEXT("menu", L"Frame &Delay…"));
    m_menuBar->Append(m_menuFrame, _("Frame"));

    m_menuAnimation = new wxMenu;
    m_menuItem_run = m_menuAnimation->Append(
        ID_MENU_RUN, m_isPlaying ? WithAccelerator(wxGETTEXT_IN_CONTEXT("menu", "Stop animation"), "Ctrl+T")
                                 : WithAccelerator(wxGETTEXT_IN_CONTEXT("menu", "Run animation"), "Ctrl+P"));
    m_menuItem_loopCount =
        m_menuAnimation->Append(ID_MENU_LOOP_COUNT, wxGETTEXT_IN_CONTEXT("menu", L"Loop Count…"));
    m_menuBar->Append(m_menuAnimation, _("Animation"));

    m_menuHelp = new wxMenu;
    m_menuItem_help = m_menuHelp->Append(ID_MENU_HELP, wxGETTEXT_IN_CONTEXT("menu", "Help"));
    m_menuLanguage = new wxMenu;
    const StoredLanguage* languages = GetStoredLanguages();
    for (int i = 0; i < kStoredLanguageCount; ++i)
    {
        wxMenuItem* item = m_menuLanguage->AppendCheckItem(languages[i].code,
                                                           wxString::FromUTF8(languages[i].label));
        item->Check(languages[i].code == m_language);
    }
    m_menuHelp->AppendSubMenu(m_menuLanguage, _("Language"));
    m_menuItem_support = m_menuHelp->Append(ID_MENU_SUPPORT, wxGETTEXT_IN_CONTEXT("menu", "Support"));
    m_menuItem_checkUpdate =
        m_menuHelp->Append(ID_MENU_CHECK_UPDATE, wxGETTEXT_IN_CONTEXT("menu", "Check for Update"));
    m_menuItem_about = m_menuHelp->Append(ID_MENU_ABOUT, wxGETTEXT_IN_CONTEXT("menu", "About"));
    m_menuBar->Append(m_menuHelp, _("Help"));

    SetMenuBar(m_menuBar);
}

// Bound once: the menu bar keeps its ids when it is rebuilt.
void GifFrame::BindCommands()
{
    Bind(wxEVT_MENU, &GifFrame::OnSaveAnimator, this, ID_MENU_SAVE);
    Bind(wxEVT_MENU, &GifFrame::OnSaveAsAnimator, this, ID_MENU_SAVE_AS);
    Bind(wxEVT_MENU, &GifFrame::OnGifOptions, this, ID_MENU_GIF_OPTIONS);
    Bind(wxEVT_MENU, &GifFrame::OnOpenProject, this, ID_MENU_OPEN_PROJECT);
    Bind(wxEVT_MENU, &GifFrame::OnSaveProject, this, ID_MENU_SAVE_PROJECT);
    Bind(wxEVT_MENU, &GifFrame::OnExitMenu, this, ID_MENU_EXIT);
    Bind(wxEVT_MENU, &GifFrame::OnAddImage, this, ID_MENU_ADD_IMAGE);
    Bind(wxEVT_MENU, &GifFrame::OnAddVideo, this, ID_MENU_ADD_VIDEO);
    Bind(wxEVT_MENU, &GifFrame::OnDeleteImage, this, ID_MENU_DELETE);
    Bind(wxEVT_MENU, &GifFrame::OnClearAll, this, ID_MENU_CLEAR_ALL);
    Bind(wxEVT_MENU, &GifFrame::OnFrameDelay, this, ID_MENU_FRAME_DELAY);
    Bind(wxEVT_MENU, &GifFrame::OnUndo, this, ID_MENU_UNDO);
    Bind(wxEVT_MENU, &GifFrame::OnRedo, this, ID_MENU_REDO);
    Bind(wxEVT_MENU, &GifFrame::OnDuplicate, this, ID_MENU_DUPLICATE);
    Bind(wxEVT_MENU, &GifFrame::OnReverse, this, ID_MENU_REVERSE);
    Bind(wxEVT_MENU, &GifFrame::OnYoyo, this, ID_MENU_YOYO);
    Bind(wxEVT_MENU, &GifFrame::OnSelectAll, this, ID_MENU_SELECT_ALL);
    Bind(wxEVT_MENU, &GifFrame::OnRunAnimation, this, ID_MENU_RUN);
    Bind(wxEVT_MENU, &GifFrame::OnLoopCount, this, ID_MENU_LOOP_COUNT);
    Bind(wxEVT_MENU, &GifFrame::OnHelpMenu, this, ID_MENU_HELP);
    Bind(wxEVT_MENU, &GifFrame::OnHelpMenu, this, ID_MENU_SUPPORT);
    Bind(wxEVT_MENU, &GifFrame::OnHelpMenu, this, ID_MENU_CHECK_UPDATE);
    Bind(wxEVT_MENU, &GifFrame::OnAbout, this, ID_MENU_ABOUT);
    const StoredLanguage* languages = GetStoredLanguages();
    for (int i = 0; i < kStoredLanguageCount; ++i)
        Bind(wxEVT_MENU, &GifFrame::OnLanguage, this, languages[i].code);


    // The strip's context menu.
    Bind(wxEVT_MENU, &GifFrame::OnInsertImage, this, ID_CONTEXT_INSERT_IMAGE);
    Bind(wxEVT_MENU, &GifFrame::OnDeleteImage, this, wxID_DELETE);

    // XRC controls.
    Bind(wxEVT_MENU, &GifFrame::OnRunAnimation, this, XRCID("m_tool_play"));
    Bind(wxEVT_MENU, &GifFrame::OnDeleteImage, this, XRCID("m_tool_delete"));
    Bind(wxEVT_MENU, &GifFrame::OnAddImage, this, XRCID("m_tool_insert"));
    Bind(wxEVT_MENU, &GifFrame::OnLoopCount, this, XRCID("m_menuItem_loop_count"));
    Bind(wxEVT_TIMER, &GifFrame::OnTimer, this, ID_PREVIEW_TIMER);
    Bind(wxEVT_TEXT, &GifFrame::OnSetDelay, this, XRCID("m_spinctrl_delay"));
    Bind(wxEVT_TEXT, &GifFrame::OnSetWidth, this, XRCID("m_spinctrl_width"));
    Bind(wxEVT_TEXT, &GifFrame::OnSetHeight, this, XRCID("m_spinctrl_height"));
    Bind(wxEVT_SPLITTER_SASH_POS_CHANGED, &GifFrame::OnChangeSplitterWindow, this,
         XRCID("m_splitter3"));
}

void GifFrame::SetupFrameLocale(int code)
{
    delete m_uiLocale;
    m_uiLocale = CreateLocale(code, GetLanguageDir(), "language");
}

void GifFrame::SetCaptions()
{
    // Whole labels, colon included: Chinese and Japanese use a full-width
    // colon and French a no-break space before it.
    m_staticText_delay->SetLabel(_("Delay:"));
    // TRANSLATORS: unit after the delay box: hundredths of a second.
    m_staticText_sec->SetLabel(_("1/100 sec"));
    m_staticText_gif->SetLabel(_("GIF:"));
    m_staticText_width->SetLabel(_("Width:"));
    // TRANSLATORS: unit after the width and height boxes: pixels.
    m_staticText_wpx->SetLabel(_("px"));
    m_staticText_height->SetLabel(_("Height:"));
    m_staticText_hpx->SetLabel(_("px"));
    // The resources were loaded before the window's language was set up.
    m_toolBar_button->SetToolShortHelp(XRCID("m_tool_insert"), wxGETTEXT_IN_CONTEXT("tooltip", "Add Image"));
    m_toolBar_button->SetToolShortHelp(XRCID("m_tool_delete"), wxGETTEXT_IN_CONTEXT("tooltip", "Delete"));
    m_toolBar_button->SetToolShortHelp(XRCID("m_tool_play"), wxGETTEXT_IN_CONTEXT("tooltip", "Run animation"));
    m_toolBar_button->SetToolShortHelp(XRCID("m_menuItem_loop_count"), wxGETTEXT_IN_CONTEXT("tooltip", "Loop Count"));
    FitStatusBarToLanguage();
}

// Chinese and Japanese glyphs come from a fallback font that is taller than
// the desktop's own. The status bar centres its texts by the height of the
// latter, so a taller line loses its bottom unless the bar grows by twice
// the difference.
void GifFrame::FitStatusBarToLanguage()
{
    const int textHeight = m_statusBar1->GetTextExtent(_("%s Width:%dpx,Height:%d px")).y;
    const int extra = std::max(0, textHeight - m_statusBar1->GetCharHeight());
    m_statusBar1->SetMinHeight(textHeight + 2 * extra + 2 * m_statusBar1->GetBorderY());
    PositionStatusBar();
}

void GifFrame::OnLanguage(wxCommandEvent& event)
{
    m_language = event.GetId();
    WriteLanguageCode(m_language);
    SetupFrameLocale(m_language);
    wxMenuBar* oldBar = GetMenuBar();
    BuildMenuBar();
    delete oldBar;
    // The new bar's items start enabled; keep the commands that need frames off without them.
    SetFrameCommandsEnabled(GetFrameCount() > 0);
    RelabelControls();
}

void GifFrame::RelabelControls()
{
    SetCaptions();
    WritePreviewStatus();
    // The output size stays as the user chose it; only its text is new.
    RefreshOutputSize();
    UpdateTitle();
    Layout();
    m_thumbnailCtrl->Refresh(); // the captions are translated too
}
