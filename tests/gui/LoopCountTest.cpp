// The loop count dialog, answered in its own modal loop as a user would.
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "window/LoopCountDialog.h"

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>
#include <wx/xrc/xmlres.h>

namespace
{
void Click(wxWindow* control, wxEventType type)
{
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    control->GetEventHandler()->ProcessEvent(event);
}

class LoopCountTest : public MainWindowTest
{
protected:
    // Opens the dialog, checks the count it offers (0: endless), chooses a
    // finite count and presses OK or Cancel.
    void ChooseFinite(int offered, int passes, bool ok)
    {
        bool seen = false;
        m_frame->CallAfter([&] {
            LoopCountDialog* dialog = nullptr;
            for (wxWindow* window : wxTopLevelWindows)
                dialog = dialog ? dialog : dynamic_cast<LoopCountDialog*>(window);
            ASSERT_NE(nullptr, dialog);
            seen = true;
            EXPECT_EQ(offered == 0, dialog->m_radioInfinite->GetValue());
            EXPECT_EQ(offered, offered == 0 ? 0 : dialog->m_spinLoops->GetValue());
            dialog->m_radioFinite->SetValue(true);
            Click(dialog->m_radioFinite, wxEVT_RADIOBUTTON);
            EXPECT_TRUE(dialog->m_spinLoops->IsEnabled());
            dialog->m_spinLoops->SetValue(passes);
            Click(ok ? dialog->m_okButton : dialog->m_cancelButton, wxEVT_BUTTON);
        });
        Command(XRCID("m_menuItem_loop_count"));
        EXPECT_TRUE(seen);
    }
};
} // namespace

TEST_F(LoopCountTest, AChosenCountIsKeptForThePreviewAndTheNextDialog)
{
    LoopCountDialog::s_lastLoopCount = 0;
    LoadPictures({WritePicture(MakeScratchDir("pictures"), "a.png", 10, 10)});
    m_frame->m_loopsDone = 5;
    ChooseFinite(0, 3, true);
    EXPECT_EQ(3, m_frame->GetAnimation().GetLoopCount());
    EXPECT_EQ(0, m_frame->m_loopsDone);
    // "Play animation" with 0 means the same as endless.
    ChooseFinite(3, 0, true);
    EXPECT_EQ(0, m_frame->GetAnimation().GetLoopCount());
    // Cancel changes nothing but stops the preview.
    Command(ID_MENU_RUN);
    ASSERT_TRUE(m_frame->m_isPlaying);
    ChooseFinite(0, 9, false);
    EXPECT_EQ(0, m_frame->GetAnimation().GetLoopCount());
    EXPECT_FALSE(m_frame->m_isPlaying);
}
