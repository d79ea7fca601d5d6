// Files dropped on the strip, frames reordered by dragging and by keys, and
// files handed over as the command line hands them.
#include "support/GifDecode.h"
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "window/ProjectFile.h"
#include "window/thumbnailctrl.h"

#include <wx/dnd.h>

namespace
{
const wxColour kColours[] = {wxColour(255, 0, 0), wxColour(0, 255, 0), wxColour(0, 0, 255),
                             wxColour(255, 255, 0), wxColour(0, 255, 255)};

wxArrayString Files(std::initializer_list<wxString> paths)
{
    wxArrayString files;
    for (const wxString& path : paths)
        files.Add(path);
    return files;
}

class DesktopIntegrationTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_dir = MakeScratchDir("desktop");
        for (int i = 0; i < 5; ++i)
            m_pictures.Add(WritePicture(m_dir, wxString::Format("p%d.png", i), 16, 16, kColours[i]));
    }

    wxThumbnailCtrl* Strip() const { return m_frame->m_thumbnailCtrl; }

    // Drops files on the left half of a frame's cell, or on the right half
    // of the last one.
    bool Drop(const wxArrayString& files, int beforeFrame)
    {
        const bool atEnd = beforeFrame >= FrameCount();
        wxRect cell;
        Strip()->GetItemRect(atEnd ? FrameCount() - 1 : beforeFrame, cell);
        auto* target = dynamic_cast<wxFileDropTarget*>(Strip()->GetDropTarget());
        return target && target->OnDropFiles(atEnd ? cell.GetRight() - 2 : cell.x + 2, cell.y + cell.height / 2, files);
    }

    void WaitForLoad()
    {
        EXPECT_NO_DIALOG(EXPECT_TRUE(WaitFor([this] { return m_frame->m_loadProgress == nullptr; })));
    }

    void SendMouse(wxEventType type, const wxPoint& at)
    {
        wxMouseEvent event(type);
        event.SetPosition(at);
        event.m_leftDown = type != wxEVT_LEFT_UP;
        event.SetEventObject(Strip());
        Strip()->ProcessWindowEvent(event);
    }

    void SendCtrlShift(int keyCode)
    {
        wxKeyEvent event(wxEVT_CHAR);
        event.m_keyCode = keyCode;
        event.SetControlDown(true);
        event.SetShiftDown(true);
        Strip()->ProcessWindowEvent(event);
    }

    // The frames as picture numbers, in strip order.
    std::vector<int> Order() const
    {
        std::vector<int> order;
        for (int i = 0; i < FrameCount(); ++i)
            order.push_back(m_pictures.Index(FramePath(i)));
        return order;
    }

    wxString m_dir;
    wxArrayString m_pictures;
};
} // namespace

TEST_F(DesktopIntegrationTest, DroppedPicturesGoWhereTheyAreDropped)
{
    LoadPictures({m_pictures[0], m_pictures[1], m_pictures[2]});
    ASSERT_TRUE(Drop(Files({m_pictures[3], m_pictures[4]}), 1));
    // Refused while that load runs, as Add Image is.
    EXPECT_FALSE(Drop(Files({m_pictures[0]}), 0));
    WaitForLoad();
    EXPECT_EQ((std::vector<int>{0, 3, 4, 1, 2}), Order());

    ASSERT_TRUE(Drop(Files({m_pictures[0]}), FrameCount()));
    WaitForLoad();
    EXPECT_EQ((std::vector<int>{0, 3, 4, 1, 2, 0}), Order());
}

TEST_F(DesktopIntegrationTest, MissingFileIsNamedInTheUsualMessage)
{
    wxString message;
    wxTEST_DIALOG(ASSERT_TRUE(m_frame->OpenFiles(Files({m_pictures[0], m_dir + "/gone.png", m_pictures[1]})));
                  EXPECT_TRUE(WaitFor([this] { return m_frame->m_loadProgress == nullptr; })),
                  ExpectMessage(wxID_OK, &message));
    EXPECT_NE(wxNOT_FOUND, message.Find(m_dir + "/gone.png"));
    EXPECT_EQ((std::vector<int>{0, 1}), Order());
}

TEST_F(DesktopIntegrationTest, DroppedProjectOpensAfterTheUnsavedQuestion)
{
    ProjectData project;
    project.width = 16;
    project.height = 16;
    project.delay = 20;
    project.framePaths = {m_pictures[4], m_pictures[3]};
    ASSERT_TRUE(WriteProjectFile(m_dir + "/movie.xml", project, nullptr));
    LoadPictures({m_pictures[0]});

    wxString question;
    wxTEST_DIALOG(ASSERT_TRUE(Drop(Files({m_pictures[1], m_dir + "/movie.xml"}), 0)),
                  ExpectMessage(wxID_NO, &question));
    EXPECT_NE(wxNOT_FOUND, question.Find("unsaved"));
    WaitForLoad();
    // As Open Project does, the project's frames join those already there.
    EXPECT_EQ((std::vector<int>{0, 4, 3}), Order());
    EXPECT_EQ("movie - Pelagrin GIF Animator", m_frame->GetTitle());

    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE_PROJECT));
    EXPECT_FALSE(m_frame->ProjectChanged());
    // Reordering counts as a change of the project.
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

    // A press on one of the selected frames picks up both.
    SendMouse(wxEVT_LEFT_DOWN, from.GetTopLeft() + wxPoint(20, 20));
    SendMouse(wxEVT_MOTION, to.GetTopLeft() + wxPoint(5, 20));
    EXPECT_EQ(0, Strip()->GetDropMark());
    SendMouse(wxEVT_LEFT_UP, to.GetTopLeft() + wxPoint(5, 20));
    EXPECT_EQ(-1, Strip()->GetDropMark());
    EXPECT_EQ((std::vector<int>{2, 3, 0, 1}), Order());
    const wxArrayInt& selected = Strip()->GetSelections();
    EXPECT_EQ((std::vector<int>{0, 1}), std::vector<int>(selected.begin(), selected.end()));

    SendCtrlShift(WXK_RIGHT);
    SendCtrlShift(WXK_RIGHT);
    SendCtrlShift(WXK_RIGHT);  // already at the end
    SendCtrlShift(WXK_LEFT);
    EXPECT_EQ((std::vector<int>{0, 2, 3, 1}), Order());

    wxTEST_DIALOG(Command(ID_MENU_SAVE), ExpectFiles({m_dir + "/order.gif"}));
    EXPECT_NO_DIALOG(EXPECT_TRUE(WaitFor([this] { return m_frame->m_saveFeed == nullptr; }, 20000)));
    const DecodedGif gif = DecodeGifFile(m_dir + "/order.gif");
    ASSERT_TRUE(gif.ok) << gif.error;
    ASSERT_EQ(4u, gif.frames.size());
    const int expected[] = {0, 2, 3, 1};
    for (int i = 0; i < 4; ++i)
    {
        // The middle of the frame, away from the picture's corner mark.
        const uint8_t* rgb = &gif.frames[i].rgb[(8 * gif.frames[i].width + 8) * 3];
        EXPECT_EQ(kColours[expected[i]], wxColour(rgb[0], rgb[1], rgb[2])) << "frame " << i;
    }
}
