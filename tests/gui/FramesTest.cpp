// The real main window: its commands, loading, editing and previewing frames.
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "window/ThreadEvents.h"
#include "window/thumbnailctrl.h"

#include <wx/dcmemory.h>
#include <wx/dnd.h>
#include <wx/menu.h>
#include <wx/spinctrl.h>
#include <wx/toolbar.h>
#include <wx/xrc/xmlres.h>

using FramesTest = MainWindowTest;

TEST_F(FramesTest, StartsWithOnlyTheCommandsThatNeedNoFramesAndExitClosesWithoutAQuestion)
{
    wxMenuBar* bar = m_frame->GetMenuBar();
    for (int id : {ID_MENU_SAVE, ID_MENU_SAVE_AS, ID_MENU_SAVE_PROJECT, ID_MENU_DELETE, ID_MENU_CLEAR_ALL, ID_MENU_RUN,
                   ID_MENU_LOOP_COUNT})
        EXPECT_FALSE(bar->IsEnabled(id)) << id;
    for (int id : {ID_MENU_OPEN_PROJECT, ID_MENU_EXIT, ID_MENU_ADD_IMAGE, ID_MENU_HELP, ID_MENU_ABOUT})
        EXPECT_TRUE(bar->IsEnabled(id)) << id;
    EXPECT_FALSE(m_frame->m_toolBar_button->GetToolEnabled(XRCID("m_tool_play")));
    EXPECT_FALSE(m_frame->m_spinctrl_delay->IsEnabled());

    EXPECT_NO_DIALOG(Command(ID_MENU_EXIT));
    EXPECT_TRUE(WaitFor([this] { return !m_alive; }, 2000));
}

TEST_F(FramesTest, LoadingReportsProgressSplitsGifsSetsTheSizeAndNamesBadPictures)
{
    const wxString dir = MakeScratchDir("pictures");
    const wxString gif = WriteAnimatedGif(dir, "anim.gif", 3, 20, 10);
    ProgressRecorder progress(m_frame, ID_IMAGE_THREAD_UPDATE);
    LoadPictures({WritePicture(dir, "a.png", 40, 30), WritePicture(dir, "b.jpg", 50, 30), gif,
                  WritePicture(dir, "d.bmp", 70, 30)});
    EXPECT_EQ(100, progress.values.back());
    ASSERT_EQ(6, FrameCount());
    EXPECT_EQ(gif + "_0", FramePath(2));
    EXPECT_EQ(dir + "/d.bmp", FramePath(5));
    EXPECT_EQ("a.png", m_frame->m_previewName);
    EXPECT_EQ("a.png Width:40px,Height:30 px", StatusText(1));
    EXPECT_EQ("Untitled.gif (70 * 30)px", StatusText(0));
    // The other side of the output size keeps the proportion.
    EditSpin(m_frame->m_spinctrl_width, 35);
    EXPECT_EQ("Untitled.gif (35 * 15)px", StatusText(0));
    EditSpin(m_frame->m_spinctrl_height, 60);
    EXPECT_EQ(wxSize(140, 60), m_frame->GetAnimation().GetOutputSize());

    const wxString corrupt = dir + "/corrupt.png";
    WriteTextFile(corrupt, "not a picture");
    const wxString message = LoadPicturesWithFailures({dir + "/missing.png", WritePicture(dir, "e.png", 10, 10), corrupt});
    EXPECT_EQ(7, FrameCount());
    EXPECT_NE(wxNOT_FOUND, message.Find("missing.png")) << message;
    EXPECT_NE(wxNOT_FOUND, message.Find("corrupt.png")) << message;
    // A load of nothing but failures still ends.
    LoadPicturesWithFailures({dir + "/gone.png"});
    EXPECT_EQ(7, FrameCount());
}

TEST_F(FramesTest, InsertGoesBeforeTheFirstSelectedFrameAndDeleteAsksFirst)
{
    const wxString dir = MakeScratchDir("pictures");
    std::vector<wxString> pictures;
    for (int i = 0; i < 8; ++i)
        pictures.push_back(WritePicture(dir, wxString::Format("f%d.png", i), 10, 10));
    LoadPictures(pictures);
    const wxString gif = WriteAnimatedGif(dir, "three.gif", 3, 10, 10);
    m_frame->m_thumbnailCtrl->Select(5);
    wxTEST_DIALOG(Command(ID_CONTEXT_INSERT_IMAGE), ExpectFiles({gif}));
    ASSERT_TRUE(WaitForLoad());
    ASSERT_EQ(11, FrameCount());
    EXPECT_EQ(gif + "_0", FramePath(5));
    EXPECT_EQ(pictures[5], FramePath(8));
    // The selection moved with its frame.
    EXPECT_EQ(8, m_frame->m_thumbnailCtrl->GetSelections()[0]);

    m_frame->EnableFrameCommands();
    m_frame->m_thumbnailCtrl->Select(2);
    wxTEST_DIALOG(Command(ID_MENU_DELETE), wxExpectModal<wxMessageDialog>(wxID_NO));
    EXPECT_EQ(11, FrameCount());
    wxTEST_DIALOG(Command(ID_MENU_DELETE), wxExpectModal<wxMessageDialog>(wxID_YES));
    const std::vector<wxString> kept = {pictures[0], pictures[1], pictures[3], pictures[4], gif + "_0",
                                        gif + "_1",  gif + "_2",  pictures[6], pictures[7]};
    for (int i = 0; i < FrameCount(); ++i)
        EXPECT_EQ(kept.at(i), FramePath(i));
    EXPECT_FALSE(m_frame->m_previewBitmap.IsOk());

    EXPECT_NO_DIALOG(Command(ID_MENU_CLEAR_ALL));
    EXPECT_EQ("", StatusText(0));
    // Nothing selected and no focus: at the end.
    LoadPictures({pictures[0]});
    wxTEST_DIALOG(Command(ID_CONTEXT_INSERT_IMAGE), ExpectFiles({pictures[1]}));
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(pictures[1], FramePath(1));
}

TEST_F(FramesTest, DroppedFilesGoWhereTheyAreDropped)
{
    const wxString dir = MakeScratchDir("dropped");
    std::vector<wxString> pictures;
    for (int i = 0; i < 5; ++i)
        pictures.push_back(WritePicture(dir, wxString::Format("p%d.png", i), 16, 16));
    LoadPictures({pictures[0], pictures[1]});
    // Drops on the left half of frame 1's cell.
    const auto drop = [this](const std::vector<wxString>& files) {
        wxRect cell;
        m_frame->m_thumbnailCtrl->GetItemRect(1, cell);
        auto* target = dynamic_cast<wxFileDropTarget*>(m_frame->m_thumbnailCtrl->GetDropTarget());
        return target && target->OnDropFiles(cell.x + 2, cell.y + 20, wxArrayString(files.size(), files.data()));
    };
    const auto loadEnded = [this] { return m_frame->m_loadProgress == nullptr; };
    wxString message;
    wxTEST_DIALOG(ASSERT_TRUE(drop({pictures[2], dir + "/gone.png", pictures[3]}));
                  // Refused while that load runs, as Add Image is.
                  EXPECT_FALSE(drop({pictures[4]})); EXPECT_TRUE(WaitFor(loadEnded)),
                  ExpectMessage(wxID_OK, &message));
    EXPECT_NE(wxNOT_FOUND, message.Find(dir + "/gone.png"));
    ASSERT_EQ(4, FrameCount());
    EXPECT_EQ(pictures[2], FramePath(1));
    EXPECT_EQ(pictures[1], FramePath(3));
}

TEST_F(FramesTest, PreviewDrawsBelowTheMiddleAndPlaysPassesUntilStopped)
{
    // Run on an empty strip does nothing.
    Command(ID_MENU_RUN);
    EXPECT_FALSE(m_frame->m_isPlaying);

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
    const wxPoint centre = m_frame->m_previewPosition + wxPoint(20, 10);
    EXPECT_EQ(0x0000FFu, PixelColour(canvas.ConvertToImage(), centre.x, centre.y));

    m_frame->m_animation.SetLoopCount(2);
    Command(ID_MENU_RUN);
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
    m_frame->m_animation.SetLoopCount(3);
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
    EditSpin(m_frame->m_spinctrl_delay, 25);
    EXPECT_FALSE(m_frame->m_timer.IsRunning());
    EXPECT_EQ("#2  0.25sec", FrameCaption(1, m_frame->m_thumbnailCtrl->GetItem(1)->m_startTime));
}
