// The GIF Options dialog through the real window: the user's defaults, the
// project's own options and the save that follows them.
#include "app/Paths.h"
#include "support/GifDecode.h"
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "window/GifOptionsDialog.h"
#include "window/GifOptionsFile.h"

#include <wx/checkbox.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>

namespace
{
// Keeps what the dialog offers, enters `chosen` in its controls and presses OK.
class ExpectGifOptions : public wxExpectModalBase<GifOptionsDialog, ExpectGifOptions>
{
public:
    ExpectGifOptions(GifOptions* offered, const GifOptions& chosen) : m_offered(offered), m_chosen(chosen) {}

protected:
    int OnInvoked(GifOptionsDialog* dialog) const override
    {
        *m_offered = dialog->GetOptions();
        const auto spin = [dialog](const char* name) { return dynamic_cast<wxSpinCtrl*>(dialog->FindWindow(name)); };
        spin("quality")->SetValue(m_chosen.quality);
        spin("dithering")->SetValue(m_chosen.dithering);
        spin("repeat_count")->SetValue(m_chosen.repeat);
        dynamic_cast<wxCheckBox*>(dialog->FindWindow("changed_only"))->SetValue(m_chosen.storeChangedOnly);
        const char* repeat = m_chosen.repeat ? "repeat_times" : "repeat_forever";
        dynamic_cast<wxRadioButton*>(dialog->FindWindow(repeat))->SetValue(true);
        return wxID_OK;
    }

private:
    GifOptions* m_offered;
    GifOptions m_chosen;
};

class GifOptionsTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        if (wxFileExists(GetGifOptionsFilePath()))
            wxRemoveFile(GetGifOptionsFilePath());
        MainWindowTest::SetUp();
        m_dir = MakeScratchDir("options");
        LoadPictures({WritePicture(m_dir, "a.png", 30, 20), WritePicture(m_dir, "b.png", 30, 20, *wxBLUE)});
    }

    // Answers the dialog with `chosen`; returns what it offered.
    GifOptions Choose(const GifOptions& chosen)
    {
        GifOptions offered;
        wxTEST_DIALOG(Command(ID_MENU_GIF_OPTIONS), ExpectGifOptions(&offered, chosen));
        return offered;
    }

    wxString m_dir;
};
} // namespace

TEST_F(GifOptionsTest, ChosenOptionsBecomeTheDefaultsAndTravelWithTheProject)
{
    const wxMenuItem* item = m_frame->GetMenuBar()->GetMenu(0)->FindItemByPosition(2);
    EXPECT_EQ(wxString::FromUTF8("GIF Options…"), item->GetItemLabelText());
    wxTEST_DIALOG(Command(ID_MENU_SAVE_PROJECT), ExpectFiles({m_dir + "/with-options.xml"}));

    const GifOptions chosen{60, 25, false, 3};
    EXPECT_EQ(GifOptions(), Choose(chosen));
    EXPECT_TRUE(m_frame->ProjectChanged());
    EXPECT_EQ(chosen, ReadGifOptionsFile(GetGifOptionsFilePath()));
    Command(ID_MENU_SAVE_PROJECT);

    // A project opens with its own options, an older one with the defaults.
    const GifOptions defaults{100, 0, true, 0};
    EXPECT_EQ(chosen, Choose(defaults));
    const wxString older = m_dir + "/older.xml";
    WriteTextFile(older, "<project><name/><gif><width>30</width><height>20</height><delay_time>5</delay_time>"
                         "</gif><images><path>" + m_dir + "/a.png</path></images></project>");
    for (const auto& [project, expected] : {std::make_pair(m_dir + "/with-options.xml", chosen),
                                            std::make_pair(older, defaults)})
    {
        SCOPED_TRACE(project);
        wxTEST_DIALOG(Command(ID_MENU_CLEAR_ALL); Command(ID_MENU_OPEN_PROJECT), ExpectFiles({project}));
        EXPECT_NO_DIALOG(EXPECT_TRUE(WaitFor([this] { return m_frame->m_loadProgress == nullptr; })));
        EXPECT_FALSE(m_frame->ProjectChanged());
        EXPECT_EQ(expected, Choose(expected));
    }
}

TEST_F(GifOptionsTest, NewOptionsAreSavedAgainAndTheStatusShowsTheFileSize)
{
    const wxString path = m_dir + "/anim.gif";
    const auto waitForSave = [this] { return WaitFor([this] { return m_frame->m_saveFeed == nullptr; }, 20000); };
    wxTEST_DIALOG(Command(ID_MENU_SAVE), ExpectFiles({path}));
    EXPECT_NO_DIALOG(EXPECT_TRUE(waitForSave()));
    const wxString size = wxFileName::GetHumanReadableSize(wxFileName::GetSize(path));
    EXPECT_EQ("Saved anim.gif (" + size + ")", StatusText(2));

    // Unchanged, Save writes nothing; new options make it write again.
    WriteTextFile(path, "unchanged marker");
    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE));
    EXPECT_EQ("unchanged marker", ReadTextFile(path));
    Choose(GifOptions{50, 0, false, 2});
    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE); EXPECT_TRUE(waitForSave()));
    const DecodedGif gif = DecodeGifFile(path);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(1, gif.loopCount); // two plays: one repetition after the first
}
