// Video clips in through Add Video, and loads stopped before their end.
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "support/VideoClips.h"
#include "window/ImageThread.h"
#include "window/ThreadEvents.h"
#include "window/VideoDialog.h"

#include <wx/menu.h>
#include <wx/progdlg.h>
#include <wx/spinctrl.h>

#include <functional>

namespace
{
// Sets the video dialog to a choice, keeps what it then says, and presses OK.
class ExpectVideoChoice : public wxExpectModalBase<VideoDialog, ExpectVideoChoice>
{
public:
    ExpectVideoChoice(const VideoChoice& choice, wxString* summary) : m_choice(choice), m_summary(summary) {}

protected:
    int OnInvoked(VideoDialog* dialog) const override
    {
        dialog->SetChoice(m_choice);
        *m_summary = dialog->GetSummary();
        return wxID_OK;
    }

private:
    VideoChoice m_choice;
    wxString* m_summary;
};

// Pictures enough that a load of them is still running when it is stopped.
wxArrayString ManyPictures(const wxString& folder)
{
    return wxArrayString(2000, WritePicture(folder, "tiny.png", 8, 8));
}

// Runs an action when the window gets the third update of a load, as a
// user's click lands between two pictures of it.
class AtThirdUpdate
{
public:
    AtThirdUpdate(wxWindow* window, const std::function<void()>& action) : m_window(window), m_action(action)
    {
        window->Bind(wxEventTypeTag<wxCommandEvent>(wxEVT_COMMAND_THREAD_UPDATE), &AtThirdUpdate::OnUpdate, this,
                     ID_IMAGE_THREAD_UPDATE);
    }
    ~AtThirdUpdate()
    {
        if (m_window)
            m_window->Unbind(wxEventTypeTag<wxCommandEvent>(wxEVT_COMMAND_THREAD_UPDATE), &AtThirdUpdate::OnUpdate,
                             this, ID_IMAGE_THREAD_UPDATE);
    }

private:
    void OnUpdate(wxCommandEvent& event)
    {
        if (++m_updates == 3)
            m_action();
        event.Skip();
    }
    wxWeakRef<wxWindow> m_window;
    std::function<void()> m_action;
    int m_updates = 0;
};
} // namespace

class VideoLoadTest : public MainWindowTest
{
protected:
    bool LoadEnded()
    {
        return WaitFor([this] { return !m_frame->m_loadProgress && !m_frame->m_loadCancelPending; }) &&
               ImageThread::WaitUntilAllEnded() && !WaitFor([] { return false; }, 50);
    }
};

TEST_F(VideoLoadTest, AddVideoTakesTheChosenSpanAtTheChosenRate)
{
    const wxString dir = MakeScratchDir("video");
    const wxString clip = dir + "/clip.mp4";
    ASSERT_TRUE(MakeNumberedClip(clip, "-c:v libx264 -pix_fmt yuv420p", 32, 24, 10, 2));
    wxMenu* frameMenu = m_frame->m_menuFrame;
    EXPECT_EQ(frameMenu->FindItemByPosition(1)->GetId(), ID_MENU_ADD_VIDEO);
    EXPECT_TRUE(frameMenu->GetLabel(ID_MENU_ADD_VIDEO).EndsWith(wxString::FromUTF8("\u2026")));

    wxString summary;
    wxTEST_DIALOG(Command(ID_MENU_ADD_VIDEO), ExpectFiles({clip}), ExpectVideoChoice({5, 0.5, 1.5}, &summary));
    EXPECT_TRUE(LoadEnded());
    EXPECT_NE(wxNOT_FOUND, summary.Find("5 frames, 20 hundredths")) << summary;
    ASSERT_EQ(5, FrameCount());
    EXPECT_EQ(clip + "_500", FramePath(0));
    EXPECT_EQ(clip + "_1300", FramePath(4));
    EXPECT_EQ(20, m_frame->m_spinctrl_delay->GetValue());
    EXPECT_EQ(32, m_frame->GetAnimation().GetOutputSize().x);

    // Inserted before the second frame, the whole clip loads in the background.
    m_frame->m_thumbnailCtrl->Select(1);
    wxTEST_DIALOG(Command(ID_CONTEXT_INSERT_IMAGE), ExpectFiles({clip}));
    EXPECT_TRUE(m_frame->IsLoading());
    EXPECT_TRUE(LoadEnded());
    ASSERT_EQ(25, FrameCount());
    EXPECT_EQ(clip + "_0", FramePath(1));
    EXPECT_EQ(clip + "_700", FramePath(21));
}

TEST_F(VideoLoadTest, DamagedClipIsNamedAndChangesNothing)
{
    const wxString dir = MakeScratchDir("video");
    const wxString clip = dir + "/broken.mp4";
    ASSERT_TRUE(WriteTextFile(clip, "not a clip"));
    wxString message;
    wxTEST_DIALOG(Command(ID_MENU_ADD_VIDEO), ExpectFiles({clip}), ExpectMessage(wxID_OK, &message));
    EXPECT_NE(wxNOT_FOUND, message.Find("broken.mp4")) << message;
    EXPECT_EQ(0, FrameCount());
    EXPECT_FALSE(m_frame->IsLoading());
}

TEST_F(VideoLoadTest, CancelLeavesTheStripAsItWas)
{
    const wxString dir = MakeScratchDir("cancel");
    const wxString first = WritePicture(dir, "first.png", 20, 10);
    const wxString second = WritePicture(dir, "second.png", 20, 10);
    LoadPictures({first, second});
    const wxArrayString many = ManyPictures(dir);
    enum class Way { CancelButton, EscapeKey, CloseBox };
    for (Way way : {Way::CancelButton, Way::EscapeKey, Way::CloseBox})
    {
        SCOPED_TRACE(int(way));
        bool wasLoading = false;
        AtThirdUpdate stop(m_frame, [&] {
            wasLoading = m_frame->IsLoading();
            wxProgressDialog* dialog = m_frame->m_loadProgress;
            wxWindow* cancel = dialog->FindWindow(wxID_CANCEL);
            if (way == Way::CancelButton)
            {
                wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
                click.SetEventObject(cancel);
                cancel->ProcessWindowEvent(click);
            }
            else if (way == Way::EscapeKey)
            {
                wxKeyEvent escape(wxEVT_CHAR_HOOK);
                escape.m_keyCode = WXK_ESCAPE;
                dialog->ProcessWindowEvent(escape);
            }
            else
                dialog->Close();
        });
        // Appended, or placed between the two frames as a drop places them.
        ASSERT_TRUE(m_frame->StartImageLoad(many, way == Way::EscapeKey ? 1 : -1));
        EXPECT_NO_DIALOG(EXPECT_TRUE(LoadEnded()));
        EXPECT_TRUE(wasLoading);
        ASSERT_EQ(2, FrameCount());
        EXPECT_EQ(first, FramePath(0));
        EXPECT_EQ(second, FramePath(1));
    }
    // The next load goes on as usual.
    LoadPictures({first});
    EXPECT_EQ(3, FrameCount());
}

TEST_F(VideoLoadTest, ClosingTheWindowStopsTheLoad)
{
    AtThirdUpdate close(m_frame, [this] { m_frame->Close(true); });
    ASSERT_TRUE(m_frame->StartImageLoad(ManyPictures(MakeScratchDir("close"))));
    EXPECT_NO_DIALOG(EXPECT_TRUE(WaitFor([this] { return !m_alive; })));
    EXPECT_TRUE(ImageThread::WaitUntilAllEnded());
}
