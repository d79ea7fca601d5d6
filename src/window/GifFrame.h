// The program's main window. Its commands live in several source files by
// concern: construction and wiring (GifFrame.cpp), menus and language
// (GifFrameMenus.cpp), frame list editing (GifFrameEdit.cpp), preview and
// loop count (GifFramePreview.cpp), timing and size (GifFrameSize.cpp),
// saving the GIF (GifFrameSave.cpp), project files (GifFrameProject.cpp),
// files arriving from the desktop and frame reordering (GifFrameDrop.cpp) and
// the Help menu (GifFrameHelp.cpp).
#pragma once

#include "window/GifOptions.h"
#include "window/ImageThread.h"
#include "window/PreviewPrefetch.h"
#include "window/WorkerEventSink.h"

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <memory>
#include <unordered_set>
#include <vector>

class wxLocale;
class wxMenu;
class wxMenuBar;
class wxMenuItem;
class wxPanel;
class wxProgressDialog;
class wxSpinCtrl;
class wxSplitterWindow;
class wxStaticText;
class wxStatusBar;
class wxThumbnailCtrl;
class wxThumbnailEvent;
class wxThumbnailItem;
class wxImageThumbnailItem;
class wxToolBar;
class SaveFrameFeed;
struct ProjectData;
class wxSplitterEvent;

// Ids of the menu items built in code. Fixed ids let the handlers be bound
// once, however often the menu bar is rebuilt for a language switch.
enum
{
    ID_MENU_SAVE = wxID_HIGHEST + 1,
    ID_MENU_SAVE_AS,
    ID_MENU_OPEN_PROJECT,
    ID_MENU_SAVE_PROJECT,
    ID_MENU_EXIT,
    ID_MENU_ADD_IMAGE,
    ID_MENU_DELETE,
    ID_MENU_CLEAR_ALL,
    ID_MENU_RUN,
    ID_MENU_LOOP_COUNT,
    ID_MENU_HELP,
    ID_MENU_SUPPORT,
    ID_MENU_CHECK_UPDATE,
    ID_MENU_ABOUT,
    ID_CONTEXT_INSERT_IMAGE,
    ID_MENU_ADD_VIDEO,
    ID_MENU_GIF_OPTIONS
};

// The strip's window id, by which its events reach this window.
const int ID_THUMBNAIL_CTRL = 3;
const int ID_PREVIEW_TIMER = 1;

class GifFrame : public wxFrame
{
public:
    // Makes no native window: the XRC loader creates it from "MyFrame1".
    GifFrame();
    ~GifFrame() override;

    // Completes the window after the XRC load: locale, menus, handlers,
    // strip, captions, status fields, icon and title.
    virtual void InitFrame();

    wxThumbnailCtrl* GetThumbnailCtrl() const { return m_thumbnailCtrl; }
    int GetFrameCount() const;

    // Shared steps.
    void StopPreview();
    void ShowPlayTool();
    void ShowStopTool();
    void ShowPreviewFrame(int index);
    void EnableFrameCommands();
    void DisableFrameCommands();
    void RefreshOutputSize();
    // Status field 0: the GIF's name and the size it is saved at.
    wxString OutputSizeText(int width, int height) const;
    void ClearPreview();
    void DrawPreview(wxDC& dc);
    bool IsLoading() const;
    bool IsSaving() const;

    // Files from the desktop (dropped, or named on the command line): a
    // project file opens as Open Project opens it, pictures load as Add
    // Image loads them, before frame `position` (-1: at the end). Refused,
    // returning false, while a load or a save runs.
    bool OpenFiles(const wxArrayString& paths, int position = -1);

protected:
    // Menus and language.
    void BuildMenuBar();
    void BindCommands();
    void SetupFrameLocale(int code);
    void RelabelControls();
    void SetCaptions();
    void FitStatusBarToLanguage();
    void SetFrameCommandsEnabled(bool enable);
    void OnLanguage(wxCommandEvent& event);

    // Closing.
    void OnClose(wxCloseEvent& event);
    void OnExitMenu(wxCommandEvent& event);

    // Frame list editing.
    void OnAddImage(wxCommandEvent& event);
    void OnAddVideo(wxCommandEvent& event);
    void OnInsertImage(wxCommandEvent& event);
    void OnDeleteImage(wxCommandEvent& event);
    void OnClearAll(wxCommandEvent& event);
    void OnThumbnailRightClick(wxThumbnailEvent& event);
    void OnThreadUpdate(wxCommandEvent& event);
    // Loaded pictures go before frame `insertAt`, or at the end when it is -1.
    bool StartImageLoad(const wxArrayString& entries, int insertAt = -1);
    bool PlaceLoadedItem(wxImageThumbnailItem* item);
    void FinishImageLoad();
    // Stops the running load and takes its frames out of the strip again.
    void CancelImageLoad();
    void OnCancelLoadButton(wxCommandEvent& event);
    void OnCloseLoadProgress(wxCloseEvent& event);
    void DiscardLoadUpdate(wxCommandEvent& event);
    int InsertionPosition() const;

    // Preview and loop count.
    void OnRunAnimation(wxCommandEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnThumbnailLeftClick(wxThumbnailEvent& event);
    void OnChangeSplitterWindow(wxSplitterEvent& event);
    void OnLoopCount(wxCommandEvent& event);
    void OnPreviewPaint(wxPaintEvent& event);
    void WritePreviewStatus();
    void StartPreviewPrefetch();

    // Timing and size.
    void OnSetDelay(wxCommandEvent& event);
    void OnSetWidth(wxCommandEvent& event);
    void OnSetHeight(wxCommandEvent& event);

    // Saving the GIF.
    void OnSaveAnimator(wxCommandEvent& event);
    void OnSaveAsAnimator(wxCommandEvent& event);
    void OnWorkSaveAsGifThreadUpdate(wxCommandEvent& event);
    bool StartGifSave(int width, int height, const wxString& progressTitle);
    void TakeGifSnapshot();
    bool GifUnchangedSinceSave() const;
    void WriteSaveStatus();
    void SetSaveCommandsEnabled(bool enable);
    void WriteSavedSizeStatus(const wxString& path);
    void OnGifOptions(wxCommandEvent& event);

    // Project files.
    void OnOpenProject(wxCommandEvent& event);
    void OnSaveProject(wxCommandEvent& event);
    // Open Project with its unsaved-project question; an empty path asks
    // for the file.
    void OpenProjectWithPrompt(const wxString& path);
    void SaveProject();
    void LoadProject(const wxString& chosenPath = wxString());
    void CloseWithSavePrompt();
    bool ProjectChanged() const;
    int AskToSaveProject(const wxString& caption);
    void ApplyLoadedProject(const wxString& path, const ProjectData& project);

    // Dropped files and reordering frames in the strip.
    void InstallStripDropTarget();
    void OnThumbnailItemsMoving(wxThumbnailEvent& event);
    void OnThumbnailItemsMoved(wxThumbnailEvent& event);

    // Help menu.
    void OnHelpMenu(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnUpdateResult(wxCommandEvent& event);
    void CheckForUpdate();

    // XRC controls.
    wxSplitterWindow* m_splitter3 = nullptr;
    wxPanel* m_panel_top = nullptr;
    wxPanel* m_panel_down = nullptr;
    wxToolBar* m_toolBar_button = nullptr;
    wxStatusBar* m_statusBar1 = nullptr;
    wxSpinCtrl* m_spinctrl_delay = nullptr;
    wxSpinCtrl* m_spinctrl_width = nullptr;
    wxSpinCtrl* m_spinctrl_height = nullptr;
    wxStaticText* m_staticText_delay = nullptr;
    wxStaticText* m_staticText_sec = nullptr;
    wxStaticText* m_staticText_gif = nullptr;
    wxStaticText* m_staticText_width = nullptr;
    wxStaticText* m_staticText_wpx = nullptr;
    wxStaticText* m_staticText_height = nullptr;
    wxStaticText* m_staticText_hpx = nullptr;

    // Menu bar, built in code.
    wxMenuBar* m_menuBar = nullptr;
    wxMenu* m_menuFile = nullptr;
    wxMenu* m_menuFrame = nullptr;
    wxMenu* m_menuAnimation = nullptr;
    wxMenu* m_menuHelp = nullptr;
    wxMenu* m_menuLanguage = nullptr;
    wxMenuItem* m_menuItem_save = nullptr;
    wxMenuItem* m_menuItem_saveAs = nullptr;
    wxMenuItem* m_menuItem_gifOptions = nullptr;
    wxMenuItem* m_menuItem_openProject = nullptr;
    wxMenuItem* m_menuItem_saveProject = nullptr;
    wxMenuItem* m_menuItem_exit = nullptr;
    wxMenuItem* m_menuItem_addImage = nullptr;
    wxMenuItem* m_menuItem_addVideo = nullptr;
    wxMenuItem* m_menuItem_delete = nullptr;
    wxMenuItem* m_menuItem_clearAll = nullptr;
    wxMenuItem* m_menuItem_run = nullptr;
    wxMenuItem* m_menuItem_loopCount = nullptr;
    wxMenuItem* m_menuItem_help = nullptr;
    wxMenuItem* m_menuItem_support = nullptr;
    wxMenuItem* m_menuItem_checkUpdate = nullptr;
    wxMenuItem* m_menuItem_about = nullptr;

    wxThumbnailCtrl* m_thumbnailCtrl = nullptr;
    wxTimer m_timer;
    wxLocale* m_uiLocale = nullptr;

    // Preview.
    bool m_isPlaying = false;
    int m_previewIndex = 0;
    int m_loopCount = 0;
    int m_loopsDone = 0;
    wxString m_previewName;
    int m_previewWidth = 0;   // size of the picture last drawn in the preview
    int m_previewHeight = 0;
    wxBitmap m_previewBitmap;  // what the preview panel paints, and where
    wxPoint m_previewPosition;
    std::unique_ptr<PreviewPrefetch> m_previewPrefetch;  // the next pictures while playing
    PreviewPace m_previewPace;

    // Reference size of the frames and the chosen output size.
    int m_refWidth = 0;
    int m_refHeight = 0;
    int m_outWidth = 0;
    int m_outHeight = 0;

    int m_language = 0;
    wxProgressDialog* m_loadProgress = nullptr;
    std::vector<LoadFailure> m_loadFailures;  // pictures of the running load that failed
    int m_loadInsertAt = -1;                  // where the running load places its next frame; -1 at the end
    WorkerEventSinkPtr m_loadSink;            // where the running load posts; detached to stop it
    std::unordered_set<const wxThumbnailItem*> m_loadItems;  // the frames the running load placed
    bool m_loadCancelPending = false;         // updates of a cancelled load are still queued
    WorkerEventSinkPtr m_workerSink;          // where worker threads post to this window
    wxProgressDialog* m_saveProgress = nullptr;
    bool m_updateCheckRunning = false;        // a second check waits for its result

    // GIF output and project file.
    wxString m_gifPath;
    wxString m_gifName;
    wxString m_projectPath;
    wxString m_projectFileName;

    // Project snapshot: the values at the last project save or load.
    int m_savedDelay = 0;
    int m_savedWidth = 0;
    int m_savedHeight = 0;
    int m_savedFrameCount = 0;
    bool m_reorderedSinceProject = false;  // frames moved since the project was saved or opened
    GifOptions m_savedGifOptions;

    // GIF snapshot: the values of the last save that was started.
    int m_gifSavedFrameCount = 0;
    int m_gifSavedDelay = 0;
    int m_gifSavedWidth = 0;
    int m_gifSavedHeight = 0;
    bool m_reorderedSinceGif = false;  // frames moved since the last save started
    GifOptions m_gifSavedOptions;
    bool m_gifSaveFailed = false;   // the last save did not complete: Save writes again
    bool m_closeAfterSave = false;  // the window was closed while a save ran
    std::shared_ptr<SaveFrameFeed> m_saveFeed;  // the frames of the running save
    wxString m_savingGifPath;                   // the file the running save writes

    // How the GIF is written: the user's defaults, or the open project's.
    GifOptions m_gifOptions;

private:
    wxDECLARE_EVENT_TABLE();
};

// Fills a new window object from the XRC resource "MyFrame1" and
// initialises it; false when the resource is missing.
bool InitMainWindow(GifFrame* frame);

// The main window made and initialised as above; null when the resource is
// missing.
GifFrame* CreateMainWindow();
