// Project files through the real window: save, open and the questions about
// an unsaved project.
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "strip/thumbnailctrl.h"
#include "window/ProjectFile.h"

#include <wx/menu.h>
#include <wx/spinctrl.h>

using ProjectTest = MainWindowTest;

TEST_F(ProjectTest, SavedProjectOpensWithTheSameFramesAndSettings)
{
    const wxString dir = MakeScratchDir("project");
    LoadPictures({WritePicture(dir, "a.png", 40, 30), WriteAnimatedGif(dir, "anim.gif", 2, 30, 20)});
    EditSpin(m_frame->m_spinctrl_delay, 15);
    ASSERT_EQ(3, FrameCount());
    const wxString frames[] = {FramePath(0), FramePath(1), FramePath(2)};
    wxTEST_DIALOG(Command(ID_MENU_SAVE_PROJECT), ExpectFiles({dir + "/movie"}));
    EXPECT_TRUE(wxFileExists(dir + "/movie.xml"));
    EXPECT_EQ("movie - Pelagrin GIF Animator", m_frame->GetTitle());

    Command(ID_MENU_CLEAR_ALL);
    EditSpin(m_frame->m_spinctrl_delay, 10);
    wxTEST_DIALOG(Command(ID_MENU_OPEN_PROJECT), ExpectFiles({dir + "/movie.xml"}));
    EXPECT_NO_DIALOG(EXPECT_TRUE(WaitFor([this] { return m_frame->m_loadProgress == nullptr; })));
    ASSERT_EQ(3, FrameCount());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(frames[i], FramePath(i));
    EXPECT_EQ(15, m_frame->m_spinctrl_delay->GetValue());
    EXPECT_EQ("movie - Pelagrin GIF Animator", m_frame->GetTitle());
    // Opened and unchanged: closing asks nothing.
    EXPECT_NO_DIALOG(EXPECT_TRUE(CloseAndWait()));
}

TEST_F(ProjectTest, ClosingWithUnsavedFramesAsksUntilASaveWasOffered)
{
    LoadPictures({WritePicture(MakeScratchDir("project"), "a.png", 10, 10)});
    wxString caption;
    wxTEST_DIALOG(m_frame->Close(), ExpectMessage(wxID_CANCEL, nullptr, &caption));
    EXPECT_EQ("Warning", caption);
    EXPECT_TRUE(m_alive);
    // A save cancelled in its file dialog counts as the user's answer.
    wxTEST_DIALOG(Command(ID_MENU_SAVE_PROJECT), ExpectFiles({}, wxID_CANCEL));
    EXPECT_NO_DIALOG(EXPECT_TRUE(CloseAndWait()));
}

TEST_F(ProjectTest, NotAProjectChangesNothing)
{
    const wxString path = MakeScratchDir("project") + "/notes.xml";
    WriteTextFile(path, "just some text\n");
    wxString message;
    wxTEST_DIALOG(Command(ID_MENU_OPEN_PROJECT), ExpectFiles({path}), ExpectMessage(wxID_OK, &message));
    EXPECT_NE(wxNOT_FOUND, message.Find("notes.xml")) << message;
    EXPECT_EQ("Pelagrin GIF Animator", m_frame->GetTitle());
    EXPECT_EQ(0, FrameCount());
}

TEST_F(ProjectTest, ProjectWithoutAUsableSizeFollowsItsFrames)
{
    const wxString dir = MakeScratchDir("project");
    ProjectData project; // no size, as a file made by hand may have
    project.delay = 10;
    project.framePaths = {WritePicture(dir, "a.png", 40, 30), WritePicture(dir, "b.png", 40, 30)};
    ASSERT_TRUE(WriteProjectFile(dir + "/bare.xml", project, nullptr));
    wxTEST_DIALOG(Command(ID_MENU_OPEN_PROJECT), ExpectFiles({dir + "/bare.xml"}));
    EXPECT_NO_DIALOG(EXPECT_TRUE(WaitFor([this] { return m_frame->m_loadProgress == nullptr; })));
    ASSERT_EQ(2, FrameCount());
    EXPECT_EQ(wxSize(40, 30), m_frame->m_animation.GetOutputSize());
}
