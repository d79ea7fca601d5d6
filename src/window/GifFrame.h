// The program's main window. Its commands live in several source files by
// concern: construction and wiring (GifFrame.cpp), menus and language
// (GifFrameMenus.cpp), frame list editing (GifFrameEdit.cpp), preview and
// loop count (GifFramePreview.cpp), timing and size (GifFrameSize.cpp),
// saving the GIF (GifFrameSave.cpp), project files (GifFrameProject.cpp),
// files arriving from the desktop and frame reordering (GifFrameDrop.cpp) and
// the Help menu (GifFrameHelp.cpp).
#pragma once

#include "model/Animation.h"
#include "window/GifOptions.h"
#include "window/ImageThread.h"
#include "window/PreviewPrefetch.h"
#include "window/ProjectFile.h"
#include "window/WorkerEventSink.h"

#include <wx/bitmap.h>
#include <wx/cmdproc.h>
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
class wxToolBar;
class SaveFrameFeed;
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
    ID_MENU_GIF_OPTIONS,
    ID_MENU_UNDO,
    ID_MENU_REDO,
    ID_MENU_DUPLICATE,
    ID_MENU_REVERSE,
    ID_MENU_YOYO,
    ID_MENU_SELECT_ALL,
    ID_MENU_FRAME_DELAY
};

// Steps the Edit menu can undo; older ones are dropped with the frames only
// they still hold.
const int kUndoSteps = 100;

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
    // The animation shown; it changes only through the window's commands.
    const Animation& GetAnimation() const { return m_animation; }
    wxCommandProcessor& GetHistory() { return m_history; }
    // The project and the GIF differ from what was last saved or opened.
    bool ProjectChanged() const;
    bool GifChanged() const;

    // Shared steps.
    void StopPreview();
    void ShowPlayTool();
    void ShowStopTool();
    void ShowPreviewFrame(int index);
    void EnableFrameCommands();
    void DisableFrameCommands();
    void RefreshOutputSize();
    // Follows a change of the animation in every view.
    void OnAnimationChanged();
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
    void TakeLoadedPicture(const LoadedPicture& picture, const wxString& path, int frameNumber);
    void FinishImageLoad();
    // Stops the running load and takes its frames out of the strip again.
    void CancelImageLoad();
    void OnCancelLoadButton(wxCommandEvent& event);
    void OnCloseLoadProgress(wxCloseEvent& event);
    void DiscardLoadUpdate(wxCommandEvent& event);
    int InsertionPosition() const;
    std::vector<int> SelectedFrames() const;
    // Runs a command as one undoable step; false when it changed nothing.
    bool Submit(wxCommand* command);
    void SelectFrames(int first, int count);
    void SyncStrip();
    void UpdateEditMenu();
    void UpdateTitle();

    // Edit menu.
    void OnUndo(wxCommandEvent& event);
    void OnRedo(wxCommandEvent& event);
    void OnDuplicate(wxCommandEvent& event);
    void OnReverse(wxCommandEvent& event);
    void OnYoyo(wxCommandEvent& event);
    void OnSelectAll(wxCommandEvent& event);
    void OnFrameDelay(wxCommandEvent& event);

    // Preview and loop count.
    void OnRunAnimation(wxCommandEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnThumbnailLeftClick(wxThumbnailEvent& event);
    void OnChangeSplitterWindow(wxSplitterEvent& event);
    void OnLoopCount(wxCommandEvent& event);
    void OnPreviewPaint(wxPaintEvent& event);
    void WritePreviewStatus();
    void StartPreviewPrefetch();
    // How long frame `index` stays in the preview, in milliseconds.
    int PreviewInterval(int index) const;

    // Timing and size.
    void OnSetDelay(wxCommandEvent& event);
    void OnSetWidth(wxCommandEvent& event);
    void OnSetHeight(wxCommandEvent& event);

    // Saving the GIF.
    void OnSaveAnimator(wxCommandEvent& event);
    void OnSaveAsAnimator(wxCommandEvent& event);
    void OnWorkSaveAsGifThreadUpdate(wxCommandEvent& event);
    bool StartGifSave(const wxString& progressTitle);
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
    int AskToSaveProject(const wxString& caption);
    void ApplyLoadedProject(const wxString& path, const ProjectData& project);
    void FinishProjectLoad(AnimationFrames frames);

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
    wxMenu* m_menuEdit = nullptr;
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
    wxMenuItem* m_menuItem_frameDelay = nullptr;
    wxMenuItem* m_menuItem_undo = nullptr;
    wxMenuItem* m_menuItem_redo = nullptr;
    wxMenuItem* m_menuItem_duplicate = nullptr;
    wxMenuItem* m_menuItem_reverse = nullptr;
    wxMenuItem* m_menuItem_yoyo = nullptr;
    wxMenuItem* m_menuItem_selectAll = nullptr;
    wxMenuItem* m_menuItem_run = nullptr;
    wxMenuItem* m_menuItem_loopCount = nullptr;
    wxMenuItem* m_menuItem_help = nullptr;
    wxMenuItem* m_menuItem_support = nullptr;
    wxMenuItem* m_menuItem_checkUpdate = nullptr;
    wxMenuItem* m_menuItem_about = nullptr;

    wxThumbnailCtrl* m_thumbnailCtrl = nullptr;
    wxTimer m_timer;
    Animation m_animation;
    wxCommandProcessor m_history{kUndoSteps};
    wxLocale* m_uiLocale = nullptr;

    // Preview.
    bool m_isPlaying = false;
    int m_previewIndex = 0;
    int m_loopsDone = 0;
    wxString m_previewName;
    int m_previewWidth = 0;   // size of the picture last drawn in the preview
    int m_previewHeight = 0;
    wxBitmap m_previewBitmap;  // what the preview panel paints, and where
    wxPoint m_previewPosition;
    std::unique_ptr<PreviewPrefetch> m_previewPrefetch;  // the next pictures while playing
    PreviewPace m_previewPace;

    int m_language = 0;
    wxProgressDialog* m_loadProgress = nullptr;
    std::vector<LoadFailure> m_loadFailures;  // pictures of the running load that failed
    int m_loadInsertAt = -1;                  // where the running load's frames go; -1 at the end
    AnimationFrames m_loadedFrames;           // of the running load: they enter as one step when it ends
    std::vector<int> m_loadEntryDelays;       // a project's delay for each entry of its load
    int m_loadDelay = 0;                      // the delay of a video clip's frames; 0 for pictures
    bool m_loadingProject = false;            // the running load replaces the frames with a project's
    ProjectData m_loadedProject;              // the project being opened
    wxString m_loadedProjectPath;
    WorkerEventSinkPtr m_loadSink;            // where the running load posts; detached to stop it
    bool m_loadCancelPending = false;         // updates of a cancelled load are still queued
    WorkerEventSinkPtr m_workerSink;          // where worker threads post to this window
    wxProgressDialog* m_saveProgress = nullptr;
    bool m_updateCheckRunning = false;        // a second check waits for its result

    // GIF output and project file.
    wxString m_gifPath;
    wxString m_gifName;
    wxString m_projectPath;
    wxString m_projectFileName;

    // The animation's revisions at the last project save or open and at the
    // start of the last GIF save; -1 when there is none.
    long m_projectRevision = 0;
    long m_gifRevision = -1;
    GifOptions m_savedGifOptions;  // the options at the last project save or open
    GifOptions m_gifSavedOptions;  // the options of the last GIF save
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
