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

#include <ostream>

void PrintTo(const GifOptions& options, std::ostream* out)
{
    *out << "{quality " << options.quality << ", dithering " << options.dithering << ", changed only "
         << options.storeChangedOnly << ", repeat " << options.repeat << "}";
}

namespace
{
template <typename T>
T* Control(wxWindow* dialog, const char* name)
{
    T* control = dynamic_cast<T*>(dialog->FindWindow(name));
    EXPECT_NE(nullptr, control) << name;
    return control;
}

// What the dialog shows, read from its controls as a user reads them.
GifOptions Shown(wxWindow* dialog)
{
    GifOptions shown;
    shown.quality = Control<wxSpinCtrl>(dialog, "quality")->GetValue();
    shown.dithering = Control<wxSpinCtrl>(dialog, "dithering")->GetValue();
    shown.storeChangedOnly = Control<wxCheckBox>(dialog, "changed_only")->GetValue();
    const bool forever = Control<wxRadioButton>(dialog, "repeat_forever")->GetValue();
    EXPECT_NE(forever, Control<wxRadioButton>(dialog, "repeat_times")->GetValue());
    EXPECT_NE(forever, Control<wxSpinCtrl>(dialog, "repeat_count")->IsEnabled());
    shown.repeat = forever ? 0 : Control<wxSpinCtrl>(dialog, "repeat_count")->GetValue();
    return shown;
}

// Answers the dialog: records what it shows, enters `chosen` and presses
// `answer`.
class ExpectGifOptions : public wxExpectModalBase<GifOptionsDialog, ExpectGifOptions>
{
public:
    ExpectGifOptions(GifOptions* shown, const GifOptions& chosen, int answer = wxID_OK)
        : m_shown(shown), m_chosen(chosen), m_answer(answer)
    {
    }

protected:
    int OnInvoked(GifOptionsDialog* dialog) const override
    {
        *m_shown = Shown(dialog);
        Control<wxSpinCtrl>(dialog, "quality")->SetValue(m_chosen.quality);
        Control<wxSpinCtrl>(dialog, "dithering")->SetValue(m_chosen.dithering);
        Control<wxCheckBox>(dialog, "changed_only")->SetValue(m_chosen.storeChangedOnly);
        Control<wxRadioButton>(dialog, m_chosen.repeat ? "repeat_times" : "repeat_forever")->SetValue(true);
        if (m_chosen.repeat)
            Control<wxSpinCtrl>(dialog, "repeat_count")->SetValue(m_chosen.repeat);
        EXPECT_EQ(m_chosen, dialog->GetOptions());
        return m_answer;
    }

private:
    GifOptions* m_shown;
    GifOptions m_chosen;
    int m_answer;
};

void ForgetDefaults()
{
    if (wxFileExists(GetGifOptionsFilePath()))
        wxRemoveFile(GetGifOptionsFilePath());
}

class GifOptionsTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        ForgetDefaults();
        MainWindowTest::SetUp();
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        ForgetDefaults();
    }

    // Opens the dialog and answers it; returns what it showed.
    GifOptions Choose(const GifOptions& chosen, int answer = wxID_OK)
    {
        GifOptions shown;
        wxTEST_DIALOG(Command(ID_MENU_GIF_OPTIONS), ExpectGifOptions(&shown, chosen, answer));
        return shown;
    }

    bool WaitForSave() { return WaitFor([this] { return m_frame->m_saveFeed == nullptr; }, 20000); }
};

GifOptions Options(int quality, int dithering, bool changedOnly, int repeat)
{
    GifOptions options;
    options.quality = quality;
    options.dithering = dithering;
    options.storeChangedOnly = changedOnly;
    options.repeat = repeat;
    return options;
}
} // namespace

TEST_F(GifOptionsTest, TheMenuItemFollowsTheSaveItemsAndWorksWithoutFrames)
{
    wxMenu* file = m_frame->GetMenuBar()->GetMenu(0);
    ASSERT_LT(3u, file->GetMenuItemCount());
    EXPECT_EQ(ID_MENU_SAVE_AS, file->FindItemByPosition(1)->GetId());
    EXPECT_EQ(ID_MENU_GIF_OPTIONS, file->FindItemByPosition(2)->GetId());
    EXPECT_EQ(ID_MENU_OPEN_PROJECT, file->FindItemByPosition(3)->GetId());
    EXPECT_EQ(wxString::FromUTF8("GIF Options…"), file->FindItemByPosition(2)->GetItemLabelText());
    EXPECT_TRUE(file->FindItemByPosition(2)->IsEnabled());

    // Cancel keeps the program's defaults.
    const GifOptions first = Choose(Options(10, 10, false, 9), wxID_CANCEL);
    EXPECT_EQ(GifOptions(), first);
    EXPECT_EQ(GifOptions(), Choose(GifOptions()));
    EXPECT_FALSE(wxFileExists(GetGifOptionsFilePath()));
}

TEST_F(GifOptionsTest, ChosenOptionsBecomeDefaultsAndTravelWithTheProject)
{
    const wxString dir = MakeScratchDir("options");
    LoadPictures({WritePicture(dir, "a.png", 30, 20), WritePicture(dir, "b.png", 30, 20, *wxBLUE)});
    wxTEST_DIALOG(Command(ID_MENU_SAVE_PROJECT), ExpectFiles({dir + "/with-options.xml"}));
    ASSERT_FALSE(m_frame->ProjectChanged());

    // Changing the options marks the project changed and makes them the
    // user's defaults.
    const GifOptions chosen = Options(60, 25, false, 3);
    Choose(chosen);
    EXPECT_TRUE(m_frame->ProjectChanged());
    EXPECT_EQ(chosen, ReadGifOptionsFile(GetGifOptionsFilePath()));
    EXPECT_EQ(chosen, Choose(chosen));
    Command(ID_MENU_SAVE_PROJECT);
    EXPECT_FALSE(m_frame->ProjectChanged());

    // A project keeps its own options; an older one without them opens
    // with the user's defaults.
    const GifOptions other = Options(100, 0, true, 0);
    Choose(other);
    const wxString older = dir + "/older.xml";
    WriteTextFile(older, "<project><name/><gif><width>30</width><height>20</height><delay_time>5</delay_time>"
                         "</gif><images><path>" + dir + "/a.png</path></images></project>");
    for (const auto& [project, expected] : {std::make_pair(dir + "/with-options.xml", chosen),
                                            std::make_pair(older, other)})
    {
        SCOPED_TRACE(project);
        wxTEST_DIALOG(Command(ID_MENU_CLEAR_ALL); Command(ID_MENU_OPEN_PROJECT), ExpectFiles({project}));
        EXPECT_NO_DIALOG(EXPECT_TRUE(WaitFor([this] { return m_frame->m_loadProgress == nullptr; })));
        EXPECT_EQ(expected, Choose(expected));
    }
}

TEST_F(GifOptionsTest, NewOptionsAreSavedAgainAndTheStatusShowsTheFileSize)
{
    const wxString dir = MakeScratchDir("options");
    LoadPictures({WritePicture(dir, "a.png", 30, 20), WritePicture(dir, "b.png", 30, 20, *wxBLUE)});
    const wxString path = dir + "/anim.gif";
    wxTEST_DIALOG(Command(ID_MENU_SAVE), ExpectFiles({path}));
    EXPECT_NO_DIALOG(EXPECT_TRUE(WaitForSave()));
    const wxString size = wxFileName::GetHumanReadableSize(wxFileName::GetSize(path));
    EXPECT_EQ("Saved anim.gif (" + size + ")", StatusText(2));

    // Unchanged, Save writes nothing; new options make it write again.
    WriteTextFile(path, "unchanged marker");
    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE));
    EXPECT_EQ("unchanged marker", ReadTextFile(path));
    Choose(Options(50, 0, false, 2));
    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE); EXPECT_TRUE(WaitForSave()));
    EXPECT_TRUE(DecodeGifFile(path).ok);
}
