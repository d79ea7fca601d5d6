// The loop count dialog, answered in its own modal loop as a user would.
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "window/LoopCountDialog.h"

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>
#include <wx/xrc/xmlres.h>

#include <functional>

namespace
{
LoopCountDialog* OpenLoopCountDialog()
{
    for (wxWindow* window : wxTopLevelWindows)
        if (LoopCountDialog* dialog = wxDynamicCast(window, LoopCountDialog))
            return dialog;
    return nullptr;
}

void Click(wxWindow* control, wxEventType type)
{
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    control->GetEventHandler()->ProcessEvent(event);
}

class LoopCountTest : public MainWindowTest
{
protected:
    // Opens the dialog through the command; `use` runs while it is shown.
    void RunLoopCount(const std::function<void(LoopCountDialog&)>& use)
    {
        bool seen = false;
        m_frame->CallAfter([&] {
            LoopCountDialog* dialog = OpenLoopCountDialog();
            ASSERT_NE(nullptr, dialog);
            seen = true;
            use(*dialog);
        });
        Command(XRCID("m_menuItem_loop_count"));
        EXPECT_TRUE(seen);
    }
};

void ChooseFinite(LoopCountDialog& dialog, int passes)
{
    dialog.m_radioFinite->SetValue(true);
    Click(dialog.m_radioFinite, wxEVT_RADIOBUTTON);
    dialog.m_spinLoops->SetValue(passes);
}
} // namespace

TEST_F(LoopCountTest, AChosenCountIsKeptForThePreviewAndTheNextDialog)
{
    EXPECT_NO_DIALOG(Command(XRCID("m_menuItem_loop_count"))); // nothing without frames
    LoopCountDialog::s_lastLoopCount = 0;
    LoadPictures({WritePicture(MakeScratchDir("pictures"), "a.png", 10, 10)});
    m_frame->m_loopsDone = 5;
    RunLoopCount([](LoopCountDialog& dialog) {
        EXPECT_EQ("Loop Counter", dialog.GetTitle());
        EXPECT_TRUE(dialog.m_radioInfinite->GetValue());
        EXPECT_FALSE(dialog.m_spinLoops->IsEnabled());
        ChooseFinite(dialog, 3);
        EXPECT_TRUE(dialog.m_spinLoops->IsEnabled());
        Click(dialog.m_okButton, wxEVT_BUTTON);
    });
    EXPECT_EQ(3, m_frame->m_loopCount);
    EXPECT_EQ(0, m_frame->m_loopsDone);
    RunLoopCount([](LoopCountDialog& dialog) {
        EXPECT_EQ(3, dialog.m_spinLoops->GetValue());
        // "Play animation" with 0 means the same as endless.
        ChooseFinite(dialog, 0);
        Click(dialog.m_okButton, wxEVT_BUTTON);
    });
    EXPECT_EQ(0, m_frame->m_loopCount);
    // Cancel changes nothing but stops the preview.
    Command(ID_MENU_RUN);
    ASSERT_TRUE(m_frame->m_isPlaying);
    RunLoopCount([](LoopCountDialog& dialog) {
        EXPECT_TRUE(dialog.m_radioInfinite->GetValue());
        ChooseFinite(dialog, 9);
        Click(dialog.m_cancelButton, wxEVT_BUTTON);
    });
    EXPECT_EQ(0, m_frame->m_loopCount);
    EXPECT_FALSE(m_frame->m_isPlaying);
}
