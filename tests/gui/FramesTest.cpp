// Loading, editing and previewing frames in the real main window.
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "window/ThreadEvents.h"
#include "window/thumbnailctrl.h"

#include <dlfcn.h>
#include <wx/dcmemory.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/spinctrl.h>
#include <wx/toolbar.h>
#include <wx/xrc/xmlres.h>

using FramesTest = MainWindowTest;

namespace
{
std::vector<wxString> NumberedPictures(const wxString& dir, int count)
{
    std::vector<wxString> pictures;
    for (int i = 0; i < count; ++i)
        pictures.push_back(WritePicture(dir, wxString::Format("f%d.png", i), 10, 10));
    return pictures;
}
} // namespace

TEST_F(FramesTest, FourPicturesReportQuartersAndShowTheFirst)
{
    const wxString dir = MakeScratchDir("pictures");
    ProgressRecorder progress(m_frame, ID_IMAGE_THREAD_UPDATE);
    LoadPictures({WritePicture(dir, "a.png", 40, 30), WritePicture(dir, "b.jpg", 50, 30),
                  WritePicture(dir, "c.bmp", 60, 30), WritePicture(dir, "d.png", 70, 30)});
    EXPECT_EQ((std::vector<int>{25, 50, 75, 100}), progress.values);
    ASSERT_EQ(4, FrameCount());
    EXPECT_EQ(dir + "/c.bmp", FramePath(2));
    EXPECT_EQ("a.png", m_frame->m_previewName);
    EXPECT_EQ("a.png Width:40px,Height:30 px", StatusText(1));
    EXPECT_EQ("Untitled.gif (70 * 30)px", StatusText(0));
}

TEST_F(FramesTest, AnAnimatedGifGivesAllItsFrames)
{
    const wxString dir = MakeScratchDir("pictures");
    const wxString gif = WriteAnimatedGif(dir, "anim.gif", 3, 20, 10);
    ProgressRecorder progress(m_frame, ID_IMAGE_THREAD_UPDATE);
    LoadPictures({gif, WritePicture(dir, "still.png", 20, 10)});
    EXPECT_EQ((std::vector<int>{0, 0, 0, 100}), progress.values);
    ASSERT_EQ(4, FrameCount());
    EXPECT_EQ(gif + "_0", FramePath(0));
    EXPECT_EQ(gif + "_2", FramePath(2));
}

TEST_F(FramesTest, BadPicturesAreNamedAfterTheLoad)
{
    const wxString dir = MakeScratchDir("pictures");
    const wxString corrupt = dir + "/corrupt.png";
    WriteTextFile(corrupt, "not a picture");
    const wxString message = LoadPicturesWithFailures(
        {WritePicture(dir, "a.png", 10, 10), dir + "/missing.png", WritePicture(dir, "b.png", 10, 10), corrupt});
    EXPECT_EQ(2, FrameCount());
    EXPECT_NE(wxNOT_FOUND, message.Find("missing.png")) << message;
    EXPECT_NE(wxNOT_FOUND, message.Find("corrupt.png")) << message;
    EXPECT_EQ("a.png", m_frame->m_previewName);

    // A load of nothing but failures still ends.
    LoadPicturesWithFailures({dir + "/gone.png"});
    EXPECT_EQ(2, FrameCount());
}

TEST_F(FramesTest, AddImageEnablesTheFrameCommands)
{
    const wxString dir = MakeScratchDir("pictures");
    const wxString picture = WritePicture(dir, "a.png", 10, 10);
    wxTEST_DIALOG(Command(ID_MENU_ADD_IMAGE), ExpectFiles({picture}));
    EXPECT_TRUE(m_frame->GetMenuBar()->IsEnabled(ID_MENU_RUN));
    EXPECT_NO_DIALOG(WaitFor([this] { return m_frame->m_loadProgress == nullptr; }));
    EXPECT_EQ(1, FrameCount());
}

TEST_F(FramesTest, InsertGoesBeforeTheFirstSelectedFrame)
{
    const wxString dir = MakeScratchDir("pictures");
    const std::vector<wxString> pictures = NumberedPictures(dir, 8);
    LoadPictures(pictures);
    const wxString gif = WriteAnimatedGif(dir, "three.gif", 3, 10, 10);
    m_frame->m_thumbnailCtrl->Select(5);
    wxTEST_DIALOG(Command(ID_CONTEXT_INSERT_IMAGE), ExpectFiles({gif}));
    ASSERT_EQ(11, FrameCount());
    EXPECT_EQ(gif + "_0", FramePath(5));
    EXPECT_EQ(gif + "_2", FramePath(7));
    EXPECT_EQ(pictures[5], FramePath(8));
    // The selection moved with its frame.
    EXPECT_EQ(8, m_frame->m_thumbnailCtrl->GetSelections()[0]);

    // Nothing selected and no focus: at the end.
    m_frame->m_thumbnailCtrl->Clear();
    LoadPictures(pictures);
    const wxString still = WritePicture(dir, "still.png", 10, 10);
    wxTEST_DIALOG(Command(ID_CONTEXT_INSERT_IMAGE), ExpectFiles({still}));
    EXPECT_EQ(still, FramePath(8));
}

TEST_F(FramesTest, DeleteAsksAndRemovesTheSelectedFrames)
{
    const wxString dir = MakeScratchDir("pictures");
    const std::vector<wxString> pictures = NumberedPictures(dir, 10);
    LoadPictures(pictures);
    m_frame->EnableFrameCommands();
    m_frame->m_thumbnailCtrl->Select(7);
    m_frame->m_thumbnailCtrl->Select(2);

    wxTEST_DIALOG(Command(ID_MENU_DELETE), wxExpectModal<wxMessageDialog>(wxID_NO));
    EXPECT_EQ(10, FrameCount());
    EXPECT_EQ("", StatusText(1));

    wxTEST_DIALOG(Command(ID_MENU_DELETE), wxExpectModal<wxMessageDialog>(wxID_YES));
    ASSERT_EQ(8, FrameCount());
    const std::vector<int> kept = {0, 1, 3, 4, 5, 6, 8, 9};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(pictures[kept[i]], FramePath(i));
    EXPECT_FALSE(m_frame->m_previewBitmap.IsOk());

    EXPECT_NO_DIALOG(Command(ID_MENU_CLEAR_ALL));
    EXPECT_EQ(0, FrameCount());
    EXPECT_EQ(0, m_frame->m_spinctrl_width->GetValue());
    EXPECT_EQ(0, m_frame->m_spinctrl_height->GetValue());
    EXPECT_EQ("", StatusText(0));
    EXPECT_EQ("", StatusText(1));
    EXPECT_FALSE(m_frame->GetMenuBar()->IsEnabled(ID_MENU_CLEAR_ALL));
}

TEST_F(FramesTest, OutputSizeFollowsTheFramesAndKeepsProportion)
{
    const wxString dir = MakeScratchDir("pictures");
    LoadPictures({WritePicture(dir, "wide.png", 640, 480), WritePicture(dir, "tall.png", 320, 600)});
    EXPECT_EQ(320, m_frame->m_spinctrl_width->GetValue());
    EXPECT_EQ(600, m_frame->m_spinctrl_height->GetValue());

    m_frame->m_thumbnailCtrl->Clear();
    LoadPictures({WritePicture(dir, "wide.png", 640, 480)});
    EditSpin(m_frame->m_spinctrl_width, 320);
    EXPECT_EQ(240, m_frame->m_spinctrl_height->GetValue());
    EXPECT_EQ("Untitled.gif (320 * 240)px", StatusText(0));
    EditSpin(m_frame->m_spinctrl_height, 100);
    EXPECT_EQ(133, m_frame->m_spinctrl_width->GetValue());
    EXPECT_EQ(133, m_frame->m_outWidth);
    EXPECT_EQ(100, m_frame->m_outHeight);
}

TEST_F(FramesTest, PreviewPlaysPassesAndStops)
{
    // Run on an empty strip does nothing.
    Command(ID_MENU_RUN);
    EXPECT_FALSE(m_frame->m_isPlaying);

    const wxString dir = MakeScratchDir("pictures");
    LoadPictures({WritePicture(dir, "a.png", 10, 10)});
    m_frame->m_loopCount = 2;
    Command(ID_MENU_RUN);
    EXPECT_TRUE(m_frame->m_isPlaying);
    EXPECT_EQ("Stop animation\tCtrl+T", m_frame->m_menuItem_run->GetItemLabel());
    Tick();
    EXPECT_TRUE(m_frame->m_isPlaying);
    EXPECT_EQ(1, m_frame->m_loopsDone);
    Tick();
    EXPECT_FALSE(m_frame->m_isPlaying);
    EXPECT_EQ(0, m_frame->m_loopsDone);
    EXPECT_EQ("Run animation\tCtrl+P", m_frame->m_menuItem_run->GetItemLabel());

    // A stop keeps the passes already played.
    LoadPictures({WritePicture(dir, "b.png", 10, 10)});
    m_frame->m_loopCount = 3;
    Command(ID_MENU_RUN);
    Tick();
    Tick();
    Tick();
    EXPECT_EQ(1, m_frame->m_loopsDone);
    // Stopped within a pass, the preview starts again from the first frame.
    Command(ID_MENU_RUN);
    EXPECT_FALSE(m_frame->m_isPlaying);
    Command(ID_MENU_RUN);
    Tick();
    EXPECT_EQ("a.png", m_frame->m_previewName);
    EXPECT_EQ(1, m_frame->m_loopsDone);

    // A new delay stops the preview and reaches the captions.
    EXPECT_TRUE(m_frame->m_timer.IsRunning());
    EditSpin(m_frame->m_spinctrl_delay, 25);
    EXPECT_FALSE(m_frame->m_isPlaying);
    EXPECT_FALSE(m_frame->m_timer.IsRunning());
    EXPECT_EQ(25, m_frame->m_thumbnailCtrl->m_frameDelay);
}

TEST_F(FramesTest, PreviewDrawsTheFrameCentredBelowTheMiddle)
{
    const wxString dir = MakeScratchDir("pictures");
    LoadPictures({WritePicture(dir, "a.png", 40, 20, *wxBLUE)});
    const wxSize panel = m_frame->m_panel_down->GetClientSize();
    ASSERT_GT(panel.y, 100);
    EXPECT_EQ(wxPoint((panel.x - 40) / 2, (panel.y - 20) / 2 + 30), m_frame->m_previewPosition);

    wxBitmap canvas(panel);
    {
        wxMemoryDC dc(canvas);
        m_frame->DrawPreview(dc);
    }
    const wxImage shown = canvas.ConvertToImage();
    const wxPoint centre = m_frame->m_previewPosition + wxPoint(20, 10);
    EXPECT_EQ(0x0000FFu, PixelColour(shown, centre.x, centre.y));
    EXPECT_EQ(m_frame->m_panel_down->GetBackgroundColour().Red(), shown.GetRed(2, 2));
}

TEST_F(FramesTest, RightClickOpensTheContextMenu)
{
    const wxString dir = MakeScratchDir("pictures");
    LoadPictures({WritePicture(dir, "a.png", 10, 10), WritePicture(dir, "b.png", 10, 10)});
    std::vector<wxString> labels;
    // Close the menu again as soon as it is up: GTK runs it in a loop of its own.
    m_frame->Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& event) {
        for (wxMenuItem* item : event.GetMenu()->GetMenuItems())
            labels.push_back(item->GetItemLabel());
        wxMenu* menu = event.GetMenu();
        m_frame->CallAfter([menu] {
            using Popdown = void (*)(void*);
            if (const auto popdown = reinterpret_cast<Popdown>(dlsym(RTLD_DEFAULT, "gtk_menu_popdown")))
                popdown(menu->m_menu);
        });
    });
    wxThumbnailEvent click(wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK, m_frame->m_thumbnailCtrl->GetId());
    click.SetIndex(1);
    click.SetEventObject(m_frame->m_thumbnailCtrl);
    m_frame->m_thumbnailCtrl->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ((std::vector<wxString>{"&Insert Image\tCtrl+Ins", "&Delete\tCtrl+Del"}), labels);
}
