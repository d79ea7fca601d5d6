// Save and Save As through the real window, checked with giflib.
#include "support/GifDecode.h"
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"

#include "app/Localisation.h"
#include "window/ThreadEvents.h"
#include "window/thumbnailctrl.h"

#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/progdlg.h>
#include <wx/spinctrl.h>

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

TEST_F(SaveGifTest, FirstSaveAddsTheExtensionAndWritesEveryFrameInStripOrder)
{
    // Ctrl+Shift+arrows move the selected frame; the third move finds it at the end already.
    m_frame->m_thumbnailCtrl->Select(1);
    for (int key : {WXK_RIGHT, WXK_RIGHT, WXK_RIGHT, WXK_LEFT})
    {
        wxKeyEvent event(wxEVT_CHAR);
        event.m_keyCode = key;
        event.m_controlDown = event.m_shiftDown = true;
        m_frame->m_thumbnailCtrl->ProcessWindowEvent(event);
    }
    ProgressRecorder progress(m_frame, ID_SAVE_THREAD_UPDATE);
    SaveAs(ID_MENU_SAVE, m_dir + "/anim");
    EXPECT_EQ((std::vector<int>{25, 50, 75, 100}), progress.values);
    EXPECT_EQ("anim (60 * 40)px", StatusText(0));
    const DecodedGif gif = DecodeGifFile(m_dir + "/anim.gif");
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(wxSize(60, 40), wxSize(gif.screenWidth, gif.screenHeight));
    ASSERT_EQ(4u, gif.frames.size());
    EXPECT_EQ(10, gif.frames[3].delay);
    // Picture i was filled with red 60 * i; the middle is away from its corner mark.
    const int order[] = {0, 2, 1, 3};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(60 * order[i], gif.frames[i].rgb[(20 * 60 + 30) * 3]) << "frame " << i;

    // Upper case gets a second extension; a cancelled Save As forgets the
    // path, so the next Save asks again.
    SaveAs(ID_MENU_SAVE_AS, m_dir + "/clip.GIF");
    EXPECT_TRUE(wxFileExists(m_dir + "/clip.GIF.gif"));
    wxTEST_DIALOG(Command(ID_MENU_SAVE_AS), ExpectFiles({}, wxID_CANCEL));
    wxTEST_DIALOG(Command(ID_MENU_SAVE), ExpectFiles({}, wxID_CANCEL));
}

TEST_F(SaveGifTest, SaveAgainWritesOnlyWhatChanged)
{
    const wxString path = m_dir + "/again.gif";
    SaveAs(ID_MENU_SAVE, path);

    // Nothing changed: no dialog, no write.
    WriteTextFile(path, "unchanged marker");
    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE));
    EXPECT_EQ("unchanged marker", ReadTextFile(path));

    // The file was deleted: written again with the same settings.
    wxRemoveFile(path);
    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE); EXPECT_TRUE(WaitForSave()));
    EXPECT_TRUE(DecodeGifFile(path).ok);

    // A new delay: rewritten, with the progress in the window's language.
    Command(89); // German
    EditSpin(m_frame->m_spinctrl_delay, 33);
    wxString progressTitle;
    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE); progressTitle = m_frame->m_saveProgress->GetTitle();
                     EXPECT_TRUE(WaitForSave()));
    Command(kStoredCodeEnglish);
    EXPECT_EQ("GIF wird gespeichert", progressTitle);
    EXPECT_EQ(33, DecodeGifFile(path).frames[0].delay);
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
    m_frame->m_animation.SetSizeRule({OutputSizeRule::KeepWidth, 70000, 40});
    wxTEST_DIALOG(Command(ID_MENU_SAVE_AS); EXPECT_TRUE(WaitForSave()), ExpectFiles({kept}),
                  ExpectMessage(wxID_OK));
    EXPECT_EQ(original, ReadTextFile(kept));
    wxArrayString files;
    EXPECT_EQ(5u, wxDir::GetAllFiles(m_dir, &files, "", wxDIR_FILES | wxDIR_HIDDEN)); // no temporary file left
}

TEST_F(SaveGifTest, EditsAndClosingDuringASaveLeaveACompleteFile)
{
    const wxString path = m_dir + "/snapshot.gif";
    wxTEST_DIALOG(Command(ID_MENU_SAVE), ExpectFiles({path}));
    EXPECT_FALSE(m_frame->GetMenuBar()->IsEnabled(ID_MENU_SAVE_AS));
    Command(ID_MENU_CLEAR_ALL);
    m_frame->Close();
    // The window waits for the save; no project question without frames.
    EXPECT_NO_DIALOG(EXPECT_TRUE(WaitFor([this] { return !m_alive; }, 20000)));
    const DecodedGif gif = DecodeGifFile(path);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(4u, gif.frames.size());
}
