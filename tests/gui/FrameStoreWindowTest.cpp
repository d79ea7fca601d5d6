// The frames of the main window live in the frame store; the window tests
// keep every frame in the store's file.
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "window/FrameStore.h"
#include "window/thumbnailctrl.h"

#include <csignal>
#include <sys/resource.h>

using FrameStoreWindowTest = MainWindowTest;

namespace
{
wxImage FramePicture(GifFrame* frame, int index)
{
    const FrameRef& picture = frame->GetAnimation().GetFrame(index).picture;
    return picture ? picture->Load() : wxImage();
}
} // namespace

TEST_F(FrameStoreWindowTest, FramesArriveInOrderAndLeaveTheFileWhenNoStepHoldsThem)
{
    const wxString dir = MakeScratchDir("store-order");
    std::vector<wxString> pictures;
    // Sizes that take the decoding threads different times.
    for (int i = 0; i < 8; ++i)
        pictures.push_back(WritePicture(dir, wxString::Format("p%d.png", i), i % 2 ? 900 : 20, 40 + i));
    LoadPictures(pictures);
    ASSERT_EQ(8, FrameCount());
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(pictures[i], FramePath(i));
    EXPECT_EQ(wxSize(900, 47), FramePicture(m_frame, 7).GetSize());

    const size_t allBytes = ProgramFrameStore().FileBytes();
    EXPECT_GT(allBytes, 0u);
    m_frame->m_thumbnailCtrl->Select(1);
    wxTEST_DIALOG(Command(ID_MENU_DELETE), ExpectMessage(wxID_YES));
    EXPECT_EQ(7, FrameCount());
    EXPECT_EQ(allBytes, ProgramFrameStore().FileBytes()) << "the deleted frame waits for an undo";
    Command(ID_MENU_UNDO);
    EXPECT_EQ(wxSize(900, 41), FramePicture(m_frame, 1).GetSize());
    Command(ID_MENU_CLEAR_ALL);
    m_frame->GetHistory().ClearCommands();
    EXPECT_EQ(0u, ProgramFrameStore().FileBytes());
}

TEST_F(FrameStoreWindowTest, AFullDiskFailsTheNewPicturesAndKeepsTheLoadedOnes)
{
    const wxString dir = MakeScratchDir("store-full");
    LoadPictures({WritePicture(dir, "kept.png", 30, 20, *wxBLUE)});
    ASSERT_EQ(1, FrameCount());
    const std::vector<wxString> late = {WritePicture(dir, "late1.png", 40, 20), WritePicture(dir, "late2.png", 50, 20)};

    // A file size limit fails the store's writes the way a full disk does.
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous;
    limit.rlim_cur = 1;
    setrlimit(RLIMIT_FSIZE, &limit);
    const wxString message = LoadPicturesWithFailures(late);
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, SIG_DFL);

    EXPECT_NE(wxNOT_FOUND, message.Find(late[0])) << message;
    EXPECT_NE(wxNOT_FOUND, message.Find(late[1])) << message;
    EXPECT_NE(wxNOT_FOUND, message.Find("could not be written")) << message;
    ASSERT_EQ(1, FrameCount());
    const wxImage kept = FramePicture(m_frame, 0);
    ASSERT_EQ(wxSize(30, 20), kept.GetSize());
    EXPECT_EQ(wxColour(*wxBLUE), wxColour(kept.GetRed(29, 19), kept.GetGreen(29, 19), kept.GetBlue(29, 19)));
}
