// Project files through the real window: save, open and the questions about
// an unsaved project.
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "window/thumbnailctrl.h"

#include <wx/menu.h>
#include <wx/spinctrl.h>

namespace
{
class ProjectTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_dir = MakeScratchDir("project");
    }

    void OpenProject(const wxString& path)
    {
        wxTEST_DIALOG(Command(ID_MENU_OPEN_PROJECT), ExpectFiles({path}));
        EXPECT_NO_DIALOG(EXPECT_TRUE(WaitFor([this] { return m_frame->m_loadProgress == nullptr; })));
    }

    std::vector<wxString> Frames() const
    {
        std::vector<wxString> frames;
        for (int i = 0; i < FrameCount(); ++i)
            frames.push_back(FramePath(i));
        return frames;
    }

    wxString m_dir;
};
} // namespace

TEST_F(ProjectTest, SavedProjectOpensWithTheSameFramesAndSettings)
{
    LoadPictures({WritePicture(m_dir, "a.png", 40, 30), WriteAnimatedGif(m_dir, "anim.gif", 2, 30, 20)});
    EditSpin(m_frame->m_spinctrl_delay, 15);
    const std::vector<wxString> frames = Frames();
    ASSERT_EQ(3u, frames.size());
    wxTEST_DIALOG(Command(ID_MENU_SAVE_PROJECT), ExpectFiles({m_dir + "/movie"}));
    EXPECT_TRUE(wxFileExists(m_dir + "/movie.xml"));
    EXPECT_EQ("movie - Pelagrin GIF Animator", m_frame->GetTitle());

    m_frame->m_thumbnailCtrl->Clear();
    m_frame->m_spinctrl_delay->SetValue(10);
    OpenProject(m_dir + "/movie.xml");
    EXPECT_EQ(frames, Frames());
    EXPECT_EQ(15, m_frame->m_spinctrl_delay->GetValue());
    EXPECT_EQ("movie - Pelagrin GIF Animator", m_frame->GetTitle());
    // Opened and unchanged: closing asks nothing.
    EXPECT_NO_DIALOG(EXPECT_TRUE(CloseAndWait()));
}

TEST_F(ProjectTest, ClosingWithUnsavedFramesAsksUntilASaveWasOffered)
{
    LoadPictures({WritePicture(m_dir, "a.png", 10, 10)});
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
    const wxString path = m_dir + "/notes.xml";
    WriteTextFile(path, "just some text\n");
    wxString message;
    wxTEST_DIALOG(Command(ID_MENU_OPEN_PROJECT), ExpectFiles({path}), ExpectMessage(wxID_OK, &message));
    EXPECT_NE(wxNOT_FOUND, message.Find("notes.xml")) << message;
    EXPECT_EQ("Pelagrin GIF Animator", m_frame->GetTitle());
    EXPECT_EQ(0, FrameCount());
}
