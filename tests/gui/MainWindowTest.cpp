#include "support/MainWindowFixture.h"
#include "support/TestEnvironment.h"

#include <wx/menu.h>
#include <wx/testing.h>
#include <wx/spinctrl.h>
#include <wx/toolbar.h>
#include <wx/xrc/xmlres.h>

namespace
{
std::vector<wxString> MenuLabels(wxMenu* menu)
{
    std::vector<wxString> labels;
    for (wxMenuItem* item : menu->GetMenuItems())
        labels.push_back(item->GetItemLabel());
    return labels;
}
} // namespace

TEST_F(MainWindowTest, StartsWithTitleMenusAndOnlyTheCommandsThatNeedNoFrames)
{
    EXPECT_EQ("Pelagrin GIF Animator", m_frame->GetTitle());
    wxMenuBar* bar = m_frame->GetMenuBar();
    ASSERT_EQ(4u, bar->GetMenuCount());
    EXPECT_EQ((std::vector<wxString>{"Save", "Save As", "Open Project", "Save Project\tCtrl+S", "Exit\tCtrl+Q"}),
              MenuLabels(bar->GetMenu(0)));
    EXPECT_EQ((std::vector<wxString>{"Add Image\tCtrl+Ins", "Delete\tCtrl+Del", "Clear All"}),
              MenuLabels(bar->GetMenu(1)));
    EXPECT_EQ((std::vector<wxString>{"Run animation\tCtrl+P", "Loop Count"}), MenuLabels(bar->GetMenu(2)));
    EXPECT_EQ((std::vector<wxString>{"Help", "Language", "Support", "Check for Update", "About"}),
              MenuLabels(bar->GetMenu(3)));
    // Each language in its own name; first start creates "language.txt" with English.
    wxMenu* languages = bar->GetMenu(3)->FindItemByPosition(1)->GetSubMenu();
    ASSERT_NE(nullptr, languages);
    EXPECT_EQ((std::vector<wxString>{wxString::FromUTF8("中文简体"), wxString::FromUTF8("中文繁体"), "Deutsch", "English",
                                     wxString::FromUTF8("Français"), "Italiano", wxString::FromUTF8("日本語")}),
              MenuLabels(languages));
    const int ids[] = {46, 47, 89, 58, 80, 110, 112};
    for (size_t i = 0; i < languages->GetMenuItemCount(); ++i)
    {
        EXPECT_EQ(ids[i], languages->FindItemByPosition(i)->GetId());
        EXPECT_EQ(ids[i] == 58, languages->FindItemByPosition(i)->IsChecked()) << ids[i];
    }

    for (int id : {ID_MENU_SAVE, ID_MENU_SAVE_AS, ID_MENU_SAVE_PROJECT, ID_MENU_DELETE, ID_MENU_CLEAR_ALL, ID_MENU_RUN,
                   ID_MENU_LOOP_COUNT})
        EXPECT_FALSE(bar->IsEnabled(id)) << id;
    for (int id : {ID_MENU_OPEN_PROJECT, ID_MENU_EXIT, ID_MENU_ADD_IMAGE, ID_MENU_HELP, ID_MENU_ABOUT})
        EXPECT_TRUE(bar->IsEnabled(id)) << id;
    EXPECT_FALSE(m_frame->m_toolBar_button->GetToolEnabled(XRCID("m_tool_play")));
    EXPECT_TRUE(m_frame->m_toolBar_button->GetToolEnabled(XRCID("m_tool_insert")));
    EXPECT_FALSE(m_frame->m_spinctrl_delay->IsEnabled());
}

TEST_F(MainWindowTest, ExitClosesAnEmptyWindowWithoutAQuestion)
{
    EXPECT_NO_DIALOG(Command(ID_MENU_EXIT));
    EXPECT_TRUE(WaitFor([this] { return !m_alive; }, 2000));
}
