// Project files through the real window: save, open and the questions about
// an unsaved project.
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "window/thumbnailctrl.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
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

    std::vector<wxString> SomeFrames()
    {
        const wxString gif = WriteAnimatedGif(m_dir, "anim.gif", 2, 30, 20);
        m_pictures = {WritePicture(m_dir, "a.png", 40, 30), gif, WritePicture(m_dir, "b.png", 40, 30)};
        return m_pictures;
    }

    void SaveProjectAs(const wxString& path)
    {
        wxTEST_DIALOG(Command(ID_MENU_SAVE_PROJECT), ExpectFiles({path}));
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
    std::vector<wxString> m_pictures;
};
} // namespace

TEST_F(ProjectTest, SavedProjectOpensWithTheSameFramesAndSettings)
{
    LoadPictures(SomeFrames());
    m_frame->EnableFrameCommands();
    EditSpin(m_frame->m_spinctrl_delay, 15);
    const std::vector<wxString> frames = Frames();
    ASSERT_EQ(4u, frames.size());

    SaveProjectAs(m_dir + "/movie");
    EXPECT_TRUE(wxFileExists(m_dir + "/movie.xml"));
    EXPECT_EQ("movie - Pelagrin GIF Animator", m_frame->GetTitle());
    // Saved and unchanged: closing asks nothing.
    EXPECT_FALSE(m_frame->ProjectChanged());

    m_frame->m_thumbnailCtrl->Clear();
    m_frame->m_spinctrl_delay->SetValue(10);
    OpenProject(m_dir + "/movie.xml");
    EXPECT_EQ(frames, Frames());
    EXPECT_EQ(15, m_frame->m_spinctrl_delay->GetValue());
    EXPECT_EQ(4, m_frame->m_savedFrameCount);
    EXPECT_EQ("movie - Pelagrin GIF Animator", m_frame->GetTitle());
    EXPECT_FALSE(m_frame->ProjectChanged());
}

TEST_F(ProjectTest, UpperCaseXmlNames)
{
    LoadPictures({WritePicture(m_dir, "a.png", 10, 10)});
    SaveProjectAs(m_dir + "/Shout.XML");
    EXPECT_TRUE(wxFileExists(m_dir + "/Shout.XML.xml"));
    EXPECT_EQ("Shout.XML - Pelagrin GIF Animator", m_frame->GetTitle());
    const wxString upper = m_dir + "/OPEN.XML";
    wxCopyFile(m_dir + "/Shout.XML.xml", upper);
    OpenProject(upper);
    EXPECT_EQ(" - Pelagrin GIF Animator", m_frame->GetTitle());
}

TEST_F(ProjectTest, ClosingWithUnsavedFramesAsks)
{
    LoadPictures({WritePicture(m_dir, "a.png", 10, 10)});
    wxString caption;
    wxTEST_DIALOG(m_frame->Close(), ExpectMessage(wxID_CANCEL, nullptr, &caption));
    EXPECT_EQ("Warning", caption);
    EXPECT_TRUE(m_alive);

    // Yes, then cancelling the file dialog, still closes without a project.
    wxTEST_DIALOG(EXPECT_TRUE(CloseAndWait()), wxExpectModal<wxMessageDialog>(wxID_YES),
                  ExpectFiles({}, wxID_CANCEL));
}

TEST_F(ProjectTest, CancelledSaveThenCloseDoesNotAsk)
{
    LoadPictures({WritePicture(m_dir, "a.png", 10, 10)});
    wxTEST_DIALOG(Command(ID_MENU_SAVE_PROJECT), ExpectFiles({}, wxID_CANCEL));
    EXPECT_NO_DIALOG(EXPECT_TRUE(CloseAndWait()));
}

TEST_F(ProjectTest, OpeningAfterNoKeepsTheOldFramesAndAppends)
{
    LoadPictures({WritePicture(m_dir, "a.png", 10, 10)});
    SaveProjectAs(m_dir + "/one.xml");
    LoadPictures({WritePicture(m_dir, "b.png", 10, 10)});
    m_frame->m_gifPath = m_dir + "/out.gif";

    wxString caption;
    wxTEST_DIALOG(Command(ID_MENU_OPEN_PROJECT), ExpectMessage(wxID_NO, nullptr, &caption),
                  ExpectFiles({m_dir + "/one.xml"}));
    EXPECT_EQ("Warning", caption);
    EXPECT_NO_DIALOG(WaitFor([this] { return m_frame->m_loadProgress == nullptr; }));
    EXPECT_EQ((std::vector<wxString>{m_dir + "/a.png", m_dir + "/b.png", m_dir + "/a.png"}), Frames());
    EXPECT_EQ("", m_frame->m_gifPath);
}

TEST_F(ProjectTest, FileSizeShowsUntilTheLoadCompletes)
{
    const wxString picture = WritePicture(m_dir, "a.png", 40, 30);
    const wxString path = m_dir + "/sized.xml";
    WriteTextFile(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<project><name></name><gif><width>400</width>"
                        "<height>300</height><delay_time>20</delay_time></gif><images><path>" +
                            picture + "</path></images></project>");
    wxTEST_DIALOG(Command(ID_MENU_OPEN_PROJECT), ExpectFiles({path}));
    EXPECT_EQ("Unititle.gif(400 * 300)px", StatusText(0));
    EXPECT_EQ(400, m_frame->m_spinctrl_width->GetValue());
    EXPECT_NO_DIALOG(WaitFor([this] { return m_frame->m_loadProgress == nullptr; }));
    EXPECT_EQ(40, m_frame->m_spinctrl_width->GetValue());
    EXPECT_EQ(400, m_frame->m_savedWidth);
    EXPECT_TRUE(m_frame->ProjectChanged());
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

    // An empty image list keeps its own message.
    WriteTextFile(path, "<project><name/><gif><width>1</width><height>1</height><delay_time>1</delay_time></gif>"
                        "<images/></project>");
    wxTEST_DIALOG(Command(ID_MENU_OPEN_PROJECT), ExpectFiles({path}), ExpectMessage(wxID_OK, &message));
    EXPECT_EQ("Failed to load XML file!", message);
}
