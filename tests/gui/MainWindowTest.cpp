#include "support/MainWindowFixture.h"
#include "support/TestEnvironment.h"

#include <wx/menu.h>
#include <wx/spinctrl.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/stattext.h>
#include <wx/testing.h>
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

TEST_F(MainWindowTest, StartsWithTitleAndMenusInOrder)
{
    EXPECT_EQ("Pelagrin GIF Animator", m_frame->GetTitle());
    wxMenuBar* bar = m_frame->GetMenuBar();
    ASSERT_EQ(4u, bar->GetMenuCount());
    EXPECT_EQ("File", bar->GetMenuLabelText(0));
    EXPECT_EQ("Frame", bar->GetMenuLabelText(1));
    EXPECT_EQ("Animation", bar->GetMenuLabelText(2));
    EXPECT_EQ("Help", bar->GetMenuLabelText(3));

    EXPECT_EQ((std::vector<wxString>{"Save", "Save As", "Open Project", "Save Project\tCtrl+S",
                                     "Exit\tCtrl+Q"}),
              MenuLabels(bar->GetMenu(0)));
    EXPECT_EQ((std::vector<wxString>{"Add Image\tCtrl+Ins", "Delete\tCtrl+Del", "Clear All"}),
              MenuLabels(bar->GetMenu(1)));
    EXPECT_EQ((std::vector<wxString>{"Run animation\tCtrl+P", "Loop Count"}), MenuLabels(bar->GetMenu(2)));
    EXPECT_EQ((std::vector<wxString>{"Help", "Language", "Support", "Check for Update", "About"}),
              MenuLabels(bar->GetMenu(3)));

    wxMenu* languages = bar->GetMenu(3)->FindItemByPosition(1)->GetSubMenu();
    ASSERT_NE(nullptr, languages);
    EXPECT_EQ((std::vector<wxString>{wxString::FromUTF8("中文简体"), wxString::FromUTF8("中文繁体"), "Deutsch",
                                     "English", wxString::FromUTF8("Français"), "Italiano",
                                     wxString::FromUTF8("日本語")}),
              MenuLabels(languages));
    const int ids[] = {46, 47, 89, 58, 80, 110, 112};
    for (size_t i = 0; i < languages->GetMenuItemCount(); ++i)
    {
        wxMenuItem* item = languages->FindItemByPosition(i);
        EXPECT_EQ(ids[i], item->GetId());
        EXPECT_TRUE(item->IsCheckable());
        // First start: "language.txt" is created with English.
        EXPECT_EQ(ids[i] == 58, item->IsChecked()) << ids[i];
    }
}

TEST_F(MainWindowTest, FrameCommandsAreDisabledWhileTheStripIsEmpty)
{
    wxMenuBar* bar = m_frame->GetMenuBar();
    EXPECT_FALSE(bar->IsEnabled(ID_MENU_SAVE));
    EXPECT_FALSE(bar->IsEnabled(ID_MENU_SAVE_AS));
    EXPECT_FALSE(bar->IsEnabled(ID_MENU_SAVE_PROJECT));
    EXPECT_FALSE(bar->IsEnabled(ID_MENU_DELETE));
    EXPECT_FALSE(bar->IsEnabled(ID_MENU_CLEAR_ALL));
    EXPECT_FALSE(bar->IsEnabled(ID_MENU_RUN));
    EXPECT_FALSE(bar->IsEnabled(ID_MENU_LOOP_COUNT));
    EXPECT_FALSE(m_frame->m_toolBar_button->GetToolEnabled(XRCID("m_tool_delete")));
    EXPECT_FALSE(m_frame->m_toolBar_button->GetToolEnabled(XRCID("m_tool_play")));
    EXPECT_FALSE(m_frame->m_spinctrl_delay->IsEnabled());
    EXPECT_FALSE(m_frame->m_spinctrl_width->IsEnabled());
    EXPECT_FALSE(m_frame->m_spinctrl_height->IsEnabled());

    EXPECT_TRUE(bar->IsEnabled(ID_MENU_OPEN_PROJECT));
    EXPECT_TRUE(bar->IsEnabled(ID_MENU_EXIT));
    EXPECT_TRUE(bar->IsEnabled(ID_MENU_ADD_IMAGE));
    EXPECT_TRUE(bar->IsEnabled(ID_MENU_HELP));
    EXPECT_TRUE(bar->IsEnabled(ID_MENU_ABOUT));
    EXPECT_TRUE(m_frame->m_toolBar_button->GetToolEnabled(XRCID("m_tool_insert")));
    EXPECT_TRUE(m_frame->m_toolBar_button->GetToolEnabled(XRCID("m_menuItem_loop_count")));
}

TEST_F(MainWindowTest, EnableFrameCommandsTurnsAllTwelveOn)
{
    m_frame->EnableFrameCommands();
    wxMenuBar* bar = m_frame->GetMenuBar();
    for (int id : {ID_MENU_SAVE, ID_MENU_SAVE_AS, ID_MENU_SAVE_PROJECT, ID_MENU_DELETE, ID_MENU_CLEAR_ALL,
                   ID_MENU_RUN, ID_MENU_LOOP_COUNT})
        EXPECT_TRUE(bar->IsEnabled(id)) << id;
    EXPECT_TRUE(m_frame->m_toolBar_button->GetToolEnabled(XRCID("m_tool_delete")));
    EXPECT_TRUE(m_frame->m_toolBar_button->GetToolEnabled(XRCID("m_tool_play")));
    EXPECT_TRUE(m_frame->m_spinctrl_delay->IsEnabled());
    m_frame->DisableFrameCommands();
    EXPECT_FALSE(bar->IsEnabled(ID_MENU_RUN));
    EXPECT_FALSE(m_frame->m_spinctrl_height->IsEnabled());
}

TEST_F(MainWindowTest, StatusBarHasThreeFields)
{
    wxStatusBar* status = m_frame->m_statusBar1;
    ASSERT_EQ(3, status->GetFieldsCount());
    wxRect first, second;
    status->GetFieldRect(0, first);
    status->GetFieldRect(1, second);
    EXPECT_NEAR(200, first.width, 8);
    EXPECT_NEAR(400, second.width, 8);
}

TEST_F(MainWindowTest, CaptionsAndPreviewState)
{
    EXPECT_FALSE(m_frame->m_isPlaying);
    EXPECT_EQ(0, m_frame->m_loopCount);
    EXPECT_EQ(0, m_frame->m_refWidth);
    EXPECT_EQ("1/100sec ", XRCCTRL(*m_frame, "m_staticText_sec", wxStaticText)->GetLabel());
    EXPECT_EQ("Delay :", XRCCTRL(*m_frame, "m_staticText_delay", wxStaticText)->GetLabel());
    EXPECT_EQ("Width:", XRCCTRL(*m_frame, "m_staticText_width", wxStaticText)->GetLabel());
}

TEST_F(MainWindowTest, ClosingAnEmptyWindowAsksNothing)
{
    // Any dialog here would fail the test: none is expected.
    EXPECT_NO_DIALOG(EXPECT_TRUE(CloseAndWait()));
}

TEST_F(MainWindowTest, ExitMenuClosesTheWindow)
{
    EXPECT_NO_DIALOG(Command(ID_MENU_EXIT));
    WaitFor([this] { return !m_alive; }, 2000);
    EXPECT_FALSE(m_alive);
}
