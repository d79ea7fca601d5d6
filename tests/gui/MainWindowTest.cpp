#include "support/MainWindowFixture.h"
#include "support/TestEnvironment.h"

#include <wx/menu.h>
#include <wx/testing.h>
#include <wx/spinctrl.h>
#include <wx/toolbar.h>
#include <wx/xrc/xmlres.h>

TEST_F(MainWindowTest, StartsWithOnlyTheCommandsThatNeedNoFramesAndExitClosesWithoutAQuestion)
{
    EXPECT_EQ("Pelagrin GIF Animator", m_frame->GetTitle());
    wxMenuBar* bar = m_frame->GetMenuBar();
    for (int id : {ID_MENU_SAVE, ID_MENU_SAVE_AS, ID_MENU_SAVE_PROJECT, ID_MENU_DELETE, ID_MENU_CLEAR_ALL, ID_MENU_RUN,
                   ID_MENU_LOOP_COUNT})
        EXPECT_FALSE(bar->IsEnabled(id)) << id;
    for (int id : {ID_MENU_OPEN_PROJECT, ID_MENU_EXIT, ID_MENU_ADD_IMAGE, ID_MENU_HELP, ID_MENU_ABOUT})
        EXPECT_TRUE(bar->IsEnabled(id)) << id;
    EXPECT_FALSE(m_frame->m_toolBar_button->GetToolEnabled(XRCID("m_tool_play")));
    EXPECT_FALSE(m_frame->m_spinctrl_delay->IsEnabled());

    EXPECT_NO_DIALOG(Command(ID_MENU_EXIT));
    EXPECT_TRUE(WaitFor([this] { return !m_alive; }, 2000));
}
