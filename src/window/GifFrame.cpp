#include "window/GifFrame.h"

#include "app/Paths.h"
#include "app/Trace.h"
#include "app/UpdateCheck.h"
#include "window/GifOptionsFile.h"
#include "window/PreviewPrefetch.h"
#include "window/ThreadEvents.h"
#include "window/WorkSaveAsGifThread.h"
#include "window/thumbnailctrl.h"

#include <wx/icon.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/stattext.h>
#include <wx/toolbar.h>
#include <wx/xrc/xmlres.h>


const wxEventType wxEVT_COMMAND_THREAD_UPDATE = wxNewEventType();

// clang-format off
wxBEGIN_EVENT_TABLE(GifFrame, wxFrame)
    EVT_THUMBNAIL_LEFT_CLICK(ID_THUMBNAIL_CTRL, GifFrame::OnThumbnailLeftClick)
    EVT_THUMBNAIL_RIGHT_CLICK(ID_THUMBNAIL_CTRL, GifFrame::OnThumbnailRightClick)
    EVT_THUMBNAIL_ITEMS_MOVING(ID_THUMBNAIL_CTRL, GifFrame::OnThumbnailItemsMoving)
    EVT_THUMBNAIL_ITEMS_MOVED(ID_THUMBNAIL_CTRL, GifFrame::OnThumbnailItemsMoved)
    EVT_CLOSE(GifFrame::OnClose)
    EVT_COMMAND(wxID_ANY, UpdateResultEvent, GifFrame::OnUpdateResult)
    EVT_COMMAND(ID_IMAGE_THREAD_UPDATE, wxEVT_COMMAND_THREAD_UPDATE, GifFrame::OnThreadUpdate)
    EVT_COMMAND(ID_SAVE_THREAD_UPDATE, wxEVT_COMMAND_THREAD_UPDATE, GifFrame::OnWorkSaveAsGifThreadUpdate)
wxEND_EVENT_TABLE()
// clang-format on

namespace
{
const int kStatusFieldWidths[] = {200, 400, -1};
const wxColour kStripBackground(176, 223, 227);

template <typename T>
T* FindControl(wxWindow* parent, const char* name)
{
    return XRCCTRL(*parent, name, T);
}
} // namespace

GifFrame::GifFrame()
    : m_previewPrefetch(std::make_unique<PreviewPrefetch>()), m_workerSink(std::make_shared<WorkerEventSink>(this))
{
}

GifFrame::~GifFrame()
{
    // Workers still running drop their results from now on.
    m_workerSink->Detach();
    if (m_loadSink)
        m_loadSink->Detach();
    if (m_saveFeed)
        m_saveFeed->Cancel();
    // The strip is a child window; the toolkit destroys it with the others.
    m_timer.Stop();
    delete m_uiLocale;
}

void GifFrame::InitFrame()
{
    m_language = ReadLanguageCode();
    SetupFrameLocale(m_language);

    BuildMenuBar();
    BindCommands();

    m_splitter3 = FindControl<wxSplitterWindow>(this, "m_splitter3");
    m_panel_top = FindControl<wxPanel>(this, "m_panel_top");
    m_panel_top->SetSizer(new wxBoxSizer(wxHORIZONTAL));
    m_thumbnailCtrl = new wxThumbnailCtrl(m_panel_top, wxDefaultPosition, m_panel_top->GetSize());
    m_panel_top->GetSizer()->Add(m_thumbnailCtrl, 1, wxEXPAND, 0);
    m_thumbnailCtrl->SetBackgroundColour(kStripBackground);
    InstallStripDropTarget();

    m_panel_down = FindControl<wxPanel>(this, "m_panel_down");
    m_panel_down->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_INFOBK));
    m_panel_down->Bind(wxEVT_PAINT, &GifFrame::OnPreviewPaint, this);

    m_timer.SetOwner(this, ID_PREVIEW_TIMER);

    m_spinctrl_delay = FindControl<wxSpinCtrl>(this, "m_spinctrl_delay");
    m_spinctrl_width = FindControl<wxSpinCtrl>(this, "m_spinctrl_width");
    m_spinctrl_height = FindControl<wxSpinCtrl>(this, "m_spinctrl_height");
    m_staticText_delay = FindControl<wxStaticText>(this, "m_staticText_delay");
    m_staticText_sec = FindControl<wxStaticText>(this, "m_staticText_sec");
    m_staticText_gif = FindControl<wxStaticText>(this, "m_staticText_gif");
    m_staticText_width = FindControl<wxStaticText>(this, "m_staticText_width");
    m_staticText_wpx = FindControl<wxStaticText>(this, "m_staticText_wpx");
    m_staticText_height = FindControl<wxStaticText>(this, "m_staticText_height");
    m_staticText_hpx = FindControl<wxStaticText>(this, "m_staticText_hpx");

    m_statusBar1 = FindControl<wxStatusBar>(this, "m_statusBar1");
    m_statusBar1->SetFieldsCount(3, kStatusFieldWidths);
    m_toolBar_button = FindControl<wxToolBar>(this, "m_toolBar_button");
    SetCaptions();

    DisableFrameCommands();

    m_previewIndex = m_loopsDone = 0;
    // A new animation starts with the delay the resources give the control.
    m_animation.Reset({}, m_spinctrl_delay->GetValue(), OutputSizeRule());
    m_projectRevision = m_animation.GetRevision();
    m_animation.Subscribe([this] { OnAnimationChanged(); });
    m_savedGifOptions = m_gifOptions = ReadGifOptionsFile(GetGifOptionsFilePath());

    const wxString iconPath = GetInstallDir() + "/Themes/application.ico";
    WriteTraceLine(iconPath);
    {
        wxLogNull noLog;
        wxIcon icon;
        if (icon.LoadFile(iconPath, wxBITMAP_TYPE_ICO))
            SetIcon(icon);
    }
    SetTitle(GetProductName());
    m_isPlaying = false;

    // The XRC sizer shrinks the frame to its minimum; open at a useful size.
    SetSize(FromDIP(wxSize(900, 640)));
    m_splitter3->SetSashPosition(FromDIP(280));
    Centre();
}

int GifFrame::GetFrameCount() const
{
    return m_thumbnailCtrl ? m_thumbnailCtrl->GetCount() : 0;
}

void GifFrame::SetFrameCommandsEnabled(bool enable)
{
    for (wxMenuItem* item : {m_menuItem_save, m_menuItem_saveAs, m_menuItem_saveProject,
                             m_menuItem_delete, m_menuItem_clearAll, m_menuItem_run,
                             m_menuItem_loopCount, m_menuItem_frameDelay, m_menuItem_duplicate,
                             m_menuItem_reverse, m_menuItem_yoyo, m_menuItem_selectAll})
        item->Enable(enable);
    m_toolBar_button->EnableTool(XRCID("m_tool_delete"), enable);
    m_toolBar_button->EnableTool(XRCID("m_tool_play"), enable);
    m_spinctrl_delay->Enable(enable);
    m_spinctrl_width->Enable(enable);
    m_spinctrl_height->Enable(enable);
    // One save at a time: Save and Save As stay off while one runs.
    if (IsSaving())
        SetSaveCommandsEnabled(false);
    UpdateEditMenu();
}

void GifFrame::EnableFrameCommands()
{
    SetFrameCommandsEnabled(true);
}

void GifFrame::DisableFrameCommands()
{
    SetFrameCommandsEnabled(false);
}

void GifFrame::OnExitMenu(wxCommandEvent&)
{
    Close();
}

void GifFrame::OnClose(wxCloseEvent& event)
{
    StopPreview();
    // A load stops with the window, and what it brought is not kept.
    CancelImageLoad();
    if (IsSaving() && event.CanVeto())
    {
        // Let the running save finish; the window closes after it.
        m_closeAfterSave = true;
        event.Veto();
        return;
    }
    m_closeAfterSave = false;
    if (GetFrameCount() == 0 || !event.CanVeto())
    {
        Destroy();
        return;
    }
    CloseWithSavePrompt();
}

bool InitMainWindow(GifFrame* frame)
{
    if (!wxXmlResource::Get()->LoadFrame(frame, nullptr, "MyFrame1"))
        return false;
    frame->InitFrame();
    return true;
}

GifFrame* CreateMainWindow()
{
    GifFrame* frame = new GifFrame;
    if (!InitMainWindow(frame))
    {
        delete frame;
        return nullptr;
    }
    return frame;
}
