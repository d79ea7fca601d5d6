// Save and Save As through the real window, checked with giflib.
#include "support/GifDecode.h"
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "window/ThreadEvents.h"
#include "window/thumbnailctrl.h"

#include "app/Paths.h"
#include "support/TestImages.h"

#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/spinctrl.h>
#include <wx/utils.h>

namespace
{
class SaveGifTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_dir = MakeScratchDir("save");
        std::vector<wxString> pictures;
        for (int i = 0; i < 4; ++i)
            pictures.push_back(WritePicture(m_dir, wxString::Format("f%d.png", i), 60, 40,
                                            wxColour(60 * i, 200, 255 - 60 * i)));
        LoadPictures(pictures);
        m_frame->EnableFrameCommands();
    }

    bool WaitForSave() { return WaitFor([this] { return m_frame->m_saveFeed == nullptr; }, 20000); }

    // Save with the file dialog answered by `typed`.
    void SaveAs(int command, const wxString& typed)
    {
        wxTEST_DIALOG(Command(command), ExpectFiles({typed}));
        EXPECT_NO_DIALOG(EXPECT_TRUE(WaitForSave()));
    }

    wxString m_dir;
};
} // namespace

TEST_F(SaveGifTest, FirstSaveAddsTheExtensionAndWritesEveryFrame)
{
    ProgressRecorder progress(m_frame, ID_SAVE_THREAD_UPDATE);
    SaveAs(ID_MENU_SAVE, m_dir + "/anim");
    EXPECT_EQ((std::vector<int>{25, 50, 75, 100}), progress.values);
    EXPECT_EQ(nullptr, m_frame->m_saveProgress);
    EXPECT_EQ("anim", m_frame->m_gifName);
    EXPECT_EQ("anim (60 * 40)px", StatusText(0));

    const DecodedGif gif = DecodeGifFile(m_dir + "/anim.gif");
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(wxSize(60, 40), wxSize(gif.screenWidth, gif.screenHeight));
    ASSERT_EQ(4u, gif.frames.size());
    EXPECT_EQ(10, gif.frames[3].delay);
    // Frame 2 was filled with (120, 200, 135).
    EXPECT_EQ(120, gif.frames[2].rgb[(20 * 60 + 30) * 3]);
}

TEST_F(SaveGifTest, SaveAgainWritesOnlyWhatChanged)
{
    SaveAs(ID_MENU_SAVE, m_dir + "/again.gif");
    const wxString path = m_dir + "/again.gif";
    ASSERT_TRUE(wxFileExists(path));

    // Nothing changed: no dialog, no write.
    WriteTextFile(path, "unchanged marker");
    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE));
    EXPECT_EQ("unchanged marker", ReadTextFile(path));

    // The file was deleted: written again with the same settings.
    wxRemoveFile(path);
    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE); EXPECT_TRUE(WaitForSave()));
    EXPECT_TRUE(DecodeGifFile(path).ok);

    // A new delay: rewritten, and a further Save does nothing.
    EditSpin(m_frame->m_spinctrl_delay, 33);
    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE); EXPECT_TRUE(WaitForSave()));
    EXPECT_EQ(33, DecodeGifFile(path).frames[0].delay);
    WriteTextFile(path, "unchanged marker");
    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE));
    EXPECT_EQ("unchanged marker", ReadTextFile(path));
}

TEST_F(SaveGifTest, SaveAsCancelForgetsThePathAndUpperCaseGetsASecondExtension)
{
    SaveAs(ID_MENU_SAVE_AS, m_dir + "/clip.GIF");
    EXPECT_TRUE(wxFileExists(m_dir + "/clip.GIF.gif"));
    EXPECT_EQ("clip.GIF.gif", m_frame->m_gifName);

    wxTEST_DIALOG(Command(ID_MENU_SAVE_AS), ExpectFiles({}, wxID_CANCEL));
    EXPECT_EQ("", m_frame->m_gifPath);
    // The next Save asks for a file again.
    wxTEST_DIALOG(Command(ID_MENU_SAVE), ExpectFiles({}, wxID_CANCEL));
}

TEST_F(SaveGifTest, FailedSaveTellsTheUserAndKeepsTheOldFile)
{
    // A folder where the file should be: nothing can be written there.
    const wxString target = m_dir + "/folder.gif";
    ASSERT_TRUE(wxFileName::Mkdir(target));
    wxString message;
    wxTEST_DIALOG(Command(ID_MENU_SAVE_AS); EXPECT_TRUE(WaitForSave()), ExpectFiles({target}),
                  ExpectMessage(wxID_OK, &message));
    EXPECT_NE(wxNOT_FOUND, message.Find(target)) << message;
    EXPECT_TRUE(wxFileName::DirExists(target));
    EXPECT_TRUE(m_frame->m_gifSaveFailed);
    EXPECT_TRUE(m_frame->GetMenuBar()->IsEnabled(ID_MENU_SAVE));

    // An existing file survives a failed save unchanged: make the failure
    // a frame list the writer cannot take (a size over what GIF can hold).
    const wxString kept = m_dir + "/kept.gif";
    SaveAs(ID_MENU_SAVE_AS, kept);
    const wxString original = ReadTextFile(kept);
    m_frame->m_outWidth = 70000;
    wxTEST_DIALOG(Command(ID_MENU_SAVE_AS); EXPECT_TRUE(WaitForSave()), ExpectFiles({kept}),
                  ExpectMessage(wxID_OK));
    EXPECT_EQ(original, ReadTextFile(kept));
    wxArrayString files;
    EXPECT_EQ(5u, wxDir::GetAllFiles(m_dir, &files, "", wxDIR_FILES | wxDIR_HIDDEN)); // no temporary file left
}

TEST_F(SaveGifTest, EditsDuringASaveDoNotReachTheFile)
{
    const wxString path = m_dir + "/snapshot.gif";
    wxTEST_DIALOG(Command(ID_MENU_SAVE), ExpectFiles({path}));
    EXPECT_FALSE(m_frame->GetMenuBar()->IsEnabled(ID_MENU_SAVE));
    EXPECT_FALSE(m_frame->GetMenuBar()->IsEnabled(ID_MENU_SAVE_AS));
    Command(ID_MENU_CLEAR_ALL);
    EXPECT_NO_DIALOG(EXPECT_TRUE(WaitForSave()));
    const DecodedGif gif = DecodeGifFile(path);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(4u, gif.frames.size());
}

TEST_F(SaveGifTest, ClosingDuringASaveWaitsForACompleteFile)
{
    const wxString path = m_dir + "/closing.gif";
    wxTEST_DIALOG(Command(ID_MENU_SAVE), ExpectFiles({path}));
    m_frame->Close();
    // The project question comes once the save has finished.
    wxTEST_DIALOG(EXPECT_TRUE(WaitFor([this] { return !m_alive; }, 20000)), wxExpectModal<wxMessageDialog>(wxID_NO));
    const DecodedGif gif = DecodeGifFile(path);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(4u, gif.frames.size());
}

TEST_F(SaveGifTest, TheBenchmarkToolWritesTheSameFile)
{
    const wxString saved = m_dir + "/program.gif";
    EditSpin(m_frame->m_spinctrl_width, 45);
    EditSpin(m_frame->m_spinctrl_delay, 12);
    SaveAs(ID_MENU_SAVE, saved);

    const wxString benched = m_dir + "/bench.gif";
    wxString command = wxString::Format("\"%s/bench/save-bench\" --width %d --height %d --delay 12 \"%s\"",
                                        GetInstallDir(), m_frame->m_spinctrl_width->GetValue(),
                                        m_frame->m_spinctrl_height->GetValue(), benched);
    for (int i = 0; i < FrameCount(); ++i)
        command += " \"" + FramePath(i) + "\"";
    wxArrayString output;
    ASSERT_EQ(0, wxExecute(command, output, wxEXEC_SYNC | wxEXEC_NODISABLE)) << command;
    EXPECT_TRUE(ReadFileBytes(saved) == ReadFileBytes(benched));
}
