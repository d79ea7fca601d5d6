// Files dropped on the strip or handed over by the command line, and frames
// reordered by dragging and by keys.
#include "support/GifDecode.h"
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "window/ProjectFile.h"
#include "window/thumbnailctrl.h"
#include <wx/dnd.h>
#include <wx/uiaction.h>

namespace
{
const wxColour kColours[] = {*wxRED, *wxGREEN, *wxBLUE, *wxYELLOW, *wxCYAN};

class DesktopIntegrationTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_dir = MakeScratchDir("desktop");
        for (int i = 0; i < 5; ++i)
            m_pictures.push_back(WritePicture(m_dir, wxString::Format("p%d.png", i), 16, 16, kColours[i]));
    }

    wxThumbnailCtrl* Strip() const { return m_frame->m_thumbnailCtrl; }

    // Drops files on the left half of a frame's cell, or on the right half of the last one.
    bool Drop(const std::vector<wxString>& files, int beforeFrame)
    {
        const bool atEnd = beforeFrame >= FrameCount();
        wxRect cell;
        Strip()->GetItemRect(atEnd ? FrameCount() - 1 : beforeFrame, cell);
        auto* target = dynamic_cast<wxFileDropTarget*>(Strip()->GetDropTarget());
        wxArrayString paths;
        for (const wxString& file : files)
            paths.Add(file);
        return target && target->OnDropFiles(atEnd ? cell.GetRight() - 2 : cell.x + 2, cell.y + 20, paths);
    }

    bool LoadEnded() const { return m_frame->m_loadProgress == nullptr; }
    void SendCtrlShift(int keyCode)
    {
        wxKeyEvent event(wxEVT_CHAR);
        event.m_keyCode = keyCode;
        event.m_controlDown = event.m_shiftDown = true;
        Strip()->ProcessWindowEvent(event);
    }

    // The frames as picture numbers, in strip order.
    std::vector<int> Order() const
    {
        std::vector<int> order;
        for (int i = 0; i < FrameCount(); ++i)
            order.push_back(std::find(m_pictures.begin(), m_pictures.end(), FramePath(i)) - m_pictures.begin());
        return order;
    }

    wxString m_dir;
    std::vector<wxString> m_pictures;
};
} // namespace

TEST_F(DesktopIntegrationTest, DroppedPicturesGoWhereTheyAreDropped)
{
    LoadPictures({m_pictures[0], m_pictures[1], m_pictures[2]});
    wxString message;
    wxTEST_DIALOG(ASSERT_TRUE(Drop({m_pictures[3], m_dir + "/gone.png", m_pictures[4]}, 1));
                  // Refused while that load runs, as Add Image is.
                  EXPECT_FALSE(Drop({m_pictures[0]}, 0));
                  EXPECT_TRUE(WaitFor([this] { return LoadEnded(); })), ExpectMessage(wxID_OK, &message));
    EXPECT_NE(wxNOT_FOUND, message.Find(m_dir + "/gone.png"));
    EXPECT_EQ((std::vector<int>{0, 3, 4, 1, 2}), Order());

    ASSERT_TRUE(Drop({m_pictures[0]}, FrameCount()));
    EXPECT_NO_DIALOG(EXPECT_TRUE(WaitFor([this] { return LoadEnded(); })));
    EXPECT_EQ((std::vector<int>{0, 3, 4, 1, 2, 0}), Order());
}

TEST_F(DesktopIntegrationTest, DroppedProjectOpensAfterTheUnsavedQuestion)
{
    ProjectData project;
    project.width = project.height = 16;
    project.delay = 20;
    project.framePaths = {m_pictures[4], m_pictures[3]};
    ASSERT_TRUE(WriteProjectFile(m_dir + "/movie.xml", project, nullptr));
    LoadPictures({m_pictures[0]});

    wxString question;
    wxTEST_DIALOG(ASSERT_TRUE(Drop({m_pictures[1], m_dir + "/movie.xml"}, 0)), ExpectMessage(wxID_NO, &question));
    EXPECT_NE(wxNOT_FOUND, question.Find("unsaved"));
    EXPECT_NO_DIALOG(EXPECT_TRUE(WaitFor([this] { return LoadEnded(); })));
    // As Open Project does, the project's frames join those already there.
    EXPECT_EQ((std::vector<int>{0, 4, 3}), Order());
    EXPECT_EQ("movie - Pelagrin GIF Animator", m_frame->GetTitle());

    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE_PROJECT));
    Strip()->Select(1);
    SendCtrlShift(WXK_LEFT);
    EXPECT_EQ((std::vector<int>{4, 0, 3}), Order());
    EXPECT_TRUE(m_frame->ProjectChanged());
}

TEST_F(DesktopIntegrationTest, DragAndKeysReorderWhatTheSaveWrites)
{
    LoadPictures({m_pictures[0], m_pictures[1], m_pictures[2], m_pictures[3]});
    m_frame->EnableFrameCommands();
    Strip()->Select(2);
    Strip()->Select(3);
    wxRect from, to;
    Strip()->GetItemRect(3, from);
    Strip()->GetItemRect(0, to);
    // A real drag through the X server: a press on one of the selected
    // frames picks up both.
    wxUIActionSimulator mouse;
    mouse.MouseMove(Strip()->ClientToScreen(from.GetTopLeft() + wxPoint(20, 20)));
    WaitFor([] { return false; }, 100);
    mouse.MouseDown();
    for (int x : {15, 10, 5})
    {
        mouse.MouseMove(Strip()->ClientToScreen(to.GetTopLeft() + wxPoint(x, 20)));
        WaitFor([] { return false; }, 50);
    }
    EXPECT_TRUE(WaitFor([this] { return Strip()->GetDropMark() == 0; }, 2000));
    mouse.MouseUp();
    EXPECT_TRUE(WaitFor([this] { return Order() == std::vector<int>{2, 3, 0, 1}; }, 2000)) << ::testing::PrintToString(Order());
    EXPECT_EQ(-1, Strip()->GetDropMark());

    for (int key : {WXK_RIGHT, WXK_RIGHT, WXK_RIGHT, WXK_LEFT})  // the third is at the end already
        SendCtrlShift(key);
    EXPECT_EQ((std::vector<int>{0, 2, 3, 1}), Order());

    wxTEST_DIALOG(Command(ID_MENU_SAVE), ExpectFiles({m_dir + "/order.gif"}));
    EXPECT_NO_DIALOG(EXPECT_TRUE(WaitFor([this] { return m_frame->m_saveFeed == nullptr; }, 20000)));
    const DecodedGif gif = DecodeGifFile(m_dir + "/order.gif");
    ASSERT_EQ(4u, gif.frames.size()) << gif.error;
    const int expected[] = {0, 2, 3, 1};
    for (int i = 0; i < 4; ++i)  // the middle of each frame, away from the picture's corner mark
    {
        const uint8_t* rgb = &gif.frames[i].rgb[(8 * gif.frames[i].width + 8) * 3];
        EXPECT_EQ(kColours[expected[i]], wxColour(rgb[0], rgb[1], rgb[2])) << "frame " << i;
    }
}
