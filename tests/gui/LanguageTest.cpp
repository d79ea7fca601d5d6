// The interface language switched while the window runs, remembered for the
// next start, and the strip's captions.
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"

#include "app/Localisation.h"
#include "app/Paths.h"
#include "window/thumbnailctrl.h"
#include "window/thumbnaillogic.h"

#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/toolbar.h>
#include <wx/xrc/xmlres.h>

#include <libintl.h>

namespace
{
// What a user of each language sees; written here rather than read from the
// catalogues, so that a catalogue that is not found or not loaded fails.
struct LanguageTexts
{
    int code;
    std::vector<const char*> menus;
    const char* widthLabel;
    const char* secondsLabel;
    const char* sizeStatus;     // status field 0 for two 40 x 30 frames
    const char* pictureStatus;  // status field 1 for a.png
    const char* deleteQuestion;
};

// French puts a no-break space before a colon and a question mark
// (narrow) and between a number and its unit.
const LanguageTexts kLanguages[] = {
    {46, {"文件", "编辑", "帧", "动画", "帮助"}, "宽度：", "1/100 秒", "未命名.gif（100 × 75 像素）",
     "a.png  宽度：40 像素，高度：30 像素", "确定要删除选中的图片吗？"},
    {47, {"檔案", "編輯", "影格", "動畫", "說明"}, "寬度：", "1/100 秒", "未命名.gif（100 × 75 像素）",
     "a.png  寬度：40 像素，高度：30 像素", "確定要刪除選取的圖片嗎？"},
    {89, {"Datei", "Bearbeiten", "Einzelbild", "Animation", "Hilfe"}, "Breite:", "1/100 Sek.", "Unbenannt.gif (100 × 75 px)",
     "a.png  Breite: 40 px, Höhe: 30 px", "Möchten Sie die ausgewählten Bilder wirklich löschen?"},
    {80, {"Fichier", "Édition", "Image", "Animation", "Aide"}, "Largeur\u00a0:", "1/100\u00a0s",
     "Sans titre.gif (100\u00a0×\u00a075\u00a0px)", "a.png  Largeur\u00a0: 40\u00a0px, hauteur\u00a0: 30\u00a0px",
     "Voulez-vous vraiment supprimer les images sélectionnées\u202f?"},
    {110, {"File", "Modifica", "Fotogramma", "Animazione", "Aiuto"}, "Larghezza:", "1/100 s", "Senza titolo.gif (100 × 75 px)",
     "a.png  Larghezza: 40 px, altezza: 30 px", "Eliminare davvero le immagini selezionate?"},
    {112, {"ファイル", "編集", "フレーム", "アニメーション", "ヘルプ"}, "幅:", "1/100 秒", "無題.gif (100 × 75 ピクセル)",
     "a.png  幅: 40 ピクセル、高さ: 30 ピクセル", "選択した画像を削除してもよろしいですか?"},
    {58, {"File", "Edit", "Frame", "Animation", "Help"}, "Width:", "1/100 sec", "Untitled.gif (100 * 75)px",
     "a.png Width:40px,Height:30 px", "Are you sure you want to delete selected image(s)?"},
};

// Menu items that open a dialog, with the tool that gives the same command.
const std::pair<int, const char*> kDialogCommands[] = {
    {ID_MENU_SAVE_AS, nullptr},
    {ID_MENU_OPEN_PROJECT, nullptr},
    {ID_MENU_ADD_IMAGE, "m_tool_insert"},
    {ID_MENU_LOOP_COUNT, "m_menuItem_loop_count"},
    {ID_MENU_FRAME_DELAY, nullptr},
};

wxString Label(wxWindow* frame, const char* name)
{
    return XRCCTRL(*frame, name, wxStaticText)->GetLabel();
}

// Answers the About dialog and keeps the texts of its version and
// information lines.
class ExpectAbout : public wxExpectModalBase<wxDialog, ExpectAbout>
{
public:
    explicit ExpectAbout(wxString* version, wxString* information = nullptr)
        : m_version(version), m_information(information)
    {
    }

protected:
    int OnInvoked(wxDialog* dialog) const override
    {
        *m_version = Label(dialog, "m_static_version_name");
        if (m_information)
            *m_information = Label(dialog, "m_static_information");
        return wxID_OK;
    }

private:
    wxString* m_version;
    wxString* m_information;
};
} // namespace

class LanguageTest : public MainWindowTest
{
protected:
    // Later tests start in English whatever this one left behind.
    void TearDown() override
    {
        WriteLanguageCode(kStoredCodeEnglish);
        MainWindowTest::TearDown();
    }
};

TEST_F(LanguageTest, EachLanguageRelabelsMenusLabelsAndMessages)
{
    const wxString dir = MakeScratchDir("pictures");
    LoadPictures({WritePicture(dir, "a.png", 40, 30), WritePicture(dir, "b.png", 40, 30)});
    for (const LanguageTexts& language : kLanguages)
    {
        SCOPED_TRACE(language.code);
        EditSpin(m_frame->m_spinctrl_width, 100);
        const long revision = m_frame->GetAnimation().GetRevision();
        Command(language.code);
        wxMenuBar* bar = m_frame->GetMenuBar();
        for (size_t i = 0; i < language.menus.size(); ++i)
            EXPECT_EQ(wxString::FromUTF8(language.menus[i]), bar->GetMenuLabelText(i));
        EXPECT_EQ(wxString::FromUTF8(language.widthLabel), Label(m_frame, "m_staticText_width"));
        EXPECT_EQ(wxString::FromUTF8(language.secondsLabel), Label(m_frame, "m_staticText_sec"));
        EXPECT_EQ(wxString::FromUTF8(language.sizeStatus), StatusText(0));
        EXPECT_EQ(wxString::FromUTF8(language.pictureStatus), StatusText(1));
        // A menu item that opens a dialog ends with an ellipsis; its tool tip does not.
        for (const auto& [command, tool] : kDialogCommands)
        {
            const wxString label = bar->FindItem(command)->GetItemLabelText();
            EXPECT_TRUE(label.EndsWith(wxString::FromUTF8("…"))) << label;
            if (tool)
            {
                const wxString tip = m_frame->m_toolBar_button->GetToolShortHelp(XRCID(tool));
                EXPECT_FALSE(tip.empty() || tip.EndsWith(wxString::FromUTF8("…"))) << tip;
            }
        }
        EXPECT_EQ(wxString::FromUTF8("中文繁體"), bar->FindItem(47)->GetItemLabelText()) << "in traditional characters";
        wxString version, information;
        wxTEST_DIALOG(Command(ID_MENU_ABOUT), ExpectAbout(&version, &information));
        EXPECT_FALSE(information.empty() || information.Contains(wxString::FromUTF8("。 "))) << information;
        EXPECT_TRUE(bar->FindItem(language.code)->IsChecked());
        EXPECT_EQ(wxString::Format("%d", language.code), ReadTextFile(GetLanguageFilePath()));
        EXPECT_EQ("*Pelagrin GIF Animator", m_frame->GetTitle()) << "not saved yet";
        EXPECT_EQ(100, m_frame->m_spinctrl_width->GetValue()) << "the typed width stays";
        EXPECT_EQ(revision, m_frame->GetAnimation().GetRevision()) << "a new language changes nothing to save";
        EditSpin(m_frame->m_spinctrl_width, 80);
        wxString edited = wxString::FromUTF8(language.sizeStatus);
        edited.Replace("100", "80");
        edited.Replace("75", "60");
        EXPECT_EQ(edited, StatusText(0)) << "after the width is typed";
        // The toolkit's own texts come in the same language, GTK's too, though no
        // system locale exists for it here.
        EXPECT_EQ(language.code == kStoredCodeEnglish, wxGetTranslation("Elapsed time:") == "Elapsed time:");
        EXPECT_EQ(language.code == kStoredCodeEnglish, std::string(dgettext("gtk30", "_Cancel")) == "_Cancel");

        wxString question;
        m_frame->m_thumbnailCtrl->Select(0);
        wxTEST_DIALOG(Command(ID_MENU_DELETE), ExpectMessage(wxID_NO, &question));
        EXPECT_EQ(wxString::FromUTF8(language.deleteQuestion), question);
    }
}

TEST_F(LanguageTest, NextStartComesUpInTheSavedLanguage)
{
    Command(89);
    EXPECT_FALSE(m_frame->GetMenuBar()->IsEnabled(ID_MENU_SAVE)) << "no frames, no Save in the new bar";
    m_frame->Destroy();
    ASSERT_TRUE(WaitFor([this] { return !m_alive; }));
    m_frame = new TestFrame;
    ASSERT_TRUE(InitMainWindow(m_frame));
    m_alive = m_frame;

    EXPECT_EQ(89, m_frame->m_language);
    EXPECT_EQ("Datei", m_frame->GetMenuBar()->GetMenuLabelText(0));
    EXPECT_EQ(wxString::FromUTF8("Verzögerung:"), Label(m_frame, "m_staticText_delay"));
    wxString version;
    wxTEST_DIALOG(Command(ID_MENU_ABOUT), ExpectAbout(&version));
    EXPECT_EQ("Pelagrin GIF Animator 2.0.9", version);
}

TEST_F(LanguageTest, CaptionsFollowTheDelayAndFitTheCellInEveryLanguage)
{
    const wxString dir = MakeScratchDir("pictures");
    LoadPictures({WritePicture(dir, "a.png", 20, 20), WritePicture(dir, "b.png", 20, 20), WritePicture(dir, "c.png", 20, 20),
                  WritePicture(dir, "d.png", 20, 20)});
    wxThumbnailCtrl* strip = m_frame->m_thumbnailCtrl;
    const auto fourth = [strip] { return FrameCaption(3, strip->GetItem(3)->m_startTime); };
    EXPECT_EQ("#4  0.30sec", fourth()) << "the delay control's 10, before any save";

    int paints = 0;
    strip->Bind(wxEVT_PAINT, [&paints](wxPaintEvent& event) { ++paints; event.Skip(); });
    WaitFor([] { return false; }, 100);
    paints = 0;
    EditSpin(m_frame->m_spinctrl_delay, 20);
    EXPECT_EQ("#4  0.60sec", fourth());
    EXPECT_TRUE(WaitFor([&paints] { return paints > 0; }, 2000)) << "the captions are repainted";

    // A four-digit frame number with a four-digit time fits in any language.
    const int width = strip->GetItemWidth() - 2 * strip->GetMargin();
    const StoredLanguage* languages = GetStoredLanguages();
    for (int i = 0; i < kStoredLanguageCount; ++i)
    {
        SCOPED_TRACE(languages[i].code);
        Command(languages[i].code);
        wxClientDC dc(strip);
        const wxString caption = FrameCaption(9998, 999999);
        wxCoord textWidth = 0, textHeight = 0;
        const wxFont font = strip->FitFont(dc, caption, width);
        dc.GetTextExtent(caption, &textWidth, &textHeight, nullptr, nullptr, &font);
        EXPECT_LE(textWidth, width);
        EXPECT_LE(textHeight, strip->GetTextHeight());
    }
}
