// The Edit menu, the delay of single frames and what "changed" means, through
// the real window; GIF files checked with giflib.
#include "support/GifDecode.h"
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "window/thumbnailctrl.h"
#include "window/thumbnaillogic.h"

#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/textdlg.h>

#include <string>

namespace
{
// Types a value into the Frame Delay dialog and presses OK.
class ExpectText : public wxExpectModalBase<wxTextEntryDialog, ExpectText>
{
public:
    explicit ExpectText(const wxString& text) : m_text(text) {}

protected:
    int OnInvoked(wxTextEntryDialog* dialog) const override
    {
        dialog->SetValue(m_text);
        return wxID_OK;
    }

private:
    wxString m_text;
};

class EditTest : public MainWindowTest
{
protected:
    // What the user sees: file name and caption of every frame, and the title.
    std::string State()
    {
        std::string text;
        wxThumbnailCtrl* strip = m_frame->m_thumbnailCtrl;
        for (int i = 0; i < strip->GetCount(); ++i)
            text += wxString::Format("%s %s | ", wxFileNameFromPath(strip->GetItem(i)->m_path),
                                     FrameCaption(i, strip->GetItem(i)->m_startTime))
                        .ToStdString();
        return text + m_frame->GetTitle().ToStdString();
    }
    wxString MenuLabel(int id) { return m_frame->GetMenuBar()->FindItem(id)->GetItemLabelText(); }
    void SelectOnly(std::initializer_list<int> frames)
    {
        for (int i = 0; i < FrameCount(); ++i)
            m_frame->m_thumbnailCtrl->Select(i, false);
        for (int frame : frames)
            m_frame->m_thumbnailCtrl->Select(frame);
    }
    std::vector<int> Delays()
    {
        std::vector<int> delays;
        for (const AnimationFrame& frame : m_frame->GetAnimation().GetFrames())
            delays.push_back(frame.delay);
        return delays;
    }
};
} // namespace

TEST_F(EditTest, UndoStepsBackThroughEveryEditAndRedoComesForward)
{
    const wxString dir = MakeScratchDir("edit");
    std::vector<wxString> pictures;
    for (const char* name : {"a", "b", "c", "d", "e"})
        pictures.push_back(WritePicture(dir, wxString(name) + ".png", 20, 10));
    LoadPictures(pictures);
    std::vector<std::string> states{State()};
    const auto step = [&](const char* name) {
        EXPECT_EQ(wxString("Undo ") + name, MenuLabel(ID_MENU_UNDO));
        states.push_back(State());
    };

    SelectOnly({1, 3});
    wxTEST_DIALOG(Command(ID_MENU_DELETE), ExpectMessage(wxID_YES));
    step("Delete");
    SelectOnly({0});
    wxKeyEvent right(wxEVT_CHAR);
    right.m_keyCode = WXK_RIGHT;
    right.m_controlDown = right.m_shiftDown = true;
    m_frame->m_thumbnailCtrl->ProcessWindowEvent(right);
    step("Move");
    SelectOnly({2});
    wxTEST_DIALOG(Command(ID_MENU_FRAME_DELAY), ExpectText("200"));
    step("Frame Delay");
    Command(ID_MENU_DUPLICATE);
    step("Duplicate");
    EXPECT_EQ(std::vector<int>{3}, std::vector<int>(m_frame->m_thumbnailCtrl->GetSelections().begin(),
                                                     m_frame->m_thumbnailCtrl->GetSelections().end()))
        << "the copy is selected";
    Command(ID_MENU_YOYO);
    step("Yo-yo");
    EXPECT_EQ("c.png #1  0.00sec | a.png #2  0.10sec | e.png #3  0.20sec | e.png #4  2.20sec | "
              "e.png #5  4.20sec | a.png #6  6.20sec | *Pelagrin GIF Animator",
              states.back());

    for (size_t i = states.size() - 1; i > 0; --i)
    {
        Command(ID_MENU_UNDO);
        EXPECT_EQ(states[i - 1], State()) << "undo " << i;
    }
    EXPECT_EQ("Undo Add Pictures", MenuLabel(ID_MENU_UNDO)) << "the whole load is one step";
    for (size_t i = 1; i < states.size(); ++i)
    {
        Command(ID_MENU_REDO);
        EXPECT_EQ(states[i], State()) << "redo " << i;
    }
    EXPECT_EQ("Redo", MenuLabel(ID_MENU_REDO));
}

TEST_F(EditTest, EachFrameKeepsItsDelayThroughGifAndProjectAndOpeningReplacesTheFrames)
{
    const wxString dir = MakeScratchDir("delays");
    // Colours of their own: frames that look alike could be written as one.
    LoadPictures({WritePicture(dir, "a.png", 20, 10, *wxRED), WritePicture(dir, "b.png", 20, 10, *wxGREEN),
                  WritePicture(dir, "c.png", 20, 10, *wxBLUE)});
    SelectOnly({1});
    wxTEST_DIALOG(Command(ID_MENU_FRAME_DELAY), ExpectText("200"));
    const wxString gif = dir + "/paced.gif";
    wxTEST_DIALOG(Command(ID_MENU_SAVE_AS), ExpectFiles({gif}));
    ASSERT_TRUE(WaitFor([this] { return m_frame->m_saveFeed == nullptr; }, 20000));
    const DecodedGif written = DecodeGifFile(gif);
    ASSERT_TRUE(written.ok) << written.error;
    ASSERT_EQ(3u, written.frames.size());
    EXPECT_EQ((std::vector<int>{10, 200, 10}),
              (std::vector<int>{written.frames[0].delay, written.frames[1].delay, written.frames[2].delay}));

    wxTEST_DIALOG(Command(ID_MENU_SAVE_PROJECT), ExpectFiles({dir + "/paced"}));
    EXPECT_NE(wxNOT_FOUND, ReadTextFile(dir + "/paced.xml").Find("<path delay=\"200\">"));
    EXPECT_FALSE(m_frame->ProjectChanged());
    EXPECT_EQ("paced - Pelagrin GIF Animator", m_frame->GetTitle());

    // The GIF comes back with its own delays, after the frames there are.
    LoadPictures({gif});
    EXPECT_EQ((std::vector<int>{10, 200, 10, 10, 200, 10}), Delays());
    EXPECT_TRUE(m_frame->ProjectChanged());
    EXPECT_EQ("*paced - Pelagrin GIF Animator", m_frame->GetTitle());

    // Opening the project shows exactly its frames, unchanged.
    wxTEST_DIALOG(Command(ID_MENU_OPEN_PROJECT), ExpectMessage(wxID_NO), ExpectFiles({dir + "/paced.xml"}));
    ASSERT_TRUE(WaitForLoad());
    ASSERT_EQ(3, FrameCount());
    EXPECT_EQ(dir + "/b.png", FramePath(1));
    EXPECT_EQ((std::vector<int>{10, 200, 10}), Delays());
    EXPECT_FALSE(m_frame->ProjectChanged());
    EXPECT_FALSE(m_frame->GetMenuBar()->IsEnabled(ID_MENU_UNDO)) << "an opened project starts a new history";
    EXPECT_NO_DIALOG(EXPECT_TRUE(CloseAndWait()));
}

TEST_F(EditTest, AnEditThatKeepsTheFrameCountIsStillAChange)
{
    const wxString dir = MakeScratchDir("changed");
    LoadPictures({WritePicture(dir, "a.png", 20, 10), WritePicture(dir, "b.png", 20, 10)});
    const wxString gif = dir + "/out.gif";
    wxTEST_DIALOG(Command(ID_MENU_SAVE), ExpectFiles({gif}));
    ASSERT_TRUE(WaitFor([this] { return m_frame->m_saveFeed == nullptr; }, 20000));
    wxTEST_DIALOG(Command(ID_MENU_SAVE_PROJECT), ExpectFiles({dir + "/p"}));

    SelectOnly({0});
    wxTEST_DIALOG(Command(ID_MENU_DELETE), ExpectMessage(wxID_YES));
    LoadPictures({WritePicture(dir, "c.png", 20, 10, *wxBLUE)});
    ASSERT_EQ(2, FrameCount());
    WriteTextFile(gif, "old");
    EXPECT_NO_DIALOG(Command(ID_MENU_SAVE); EXPECT_TRUE(WaitFor([this] { return m_frame->m_saveFeed == nullptr; })));
    EXPECT_TRUE(DecodeGifFile(gif).ok) << "Save wrote the new frames";

    // Undoing back to the saved frames counts as unchanged.
    Command(ID_MENU_UNDO);
    Command(ID_MENU_UNDO);
    EXPECT_FALSE(m_frame->ProjectChanged());
    Command(ID_MENU_REDO);
    wxString caption;
    wxTEST_DIALOG(m_frame->Close(), ExpectMessage(wxID_CANCEL, nullptr, &caption));
    EXPECT_TRUE(m_alive);
}
