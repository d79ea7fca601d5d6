#include "support/MainWindowFixture.h"

#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "window/ThreadEvents.h"
#include "window/thumbnailctrl.h"

#include <wx/app.h>
#include <wx/spinctrl.h>
#include <wx/statusbr.h>

void MainWindowTest::SetUp()
{
    m_frame = new TestFrame;
    ASSERT_TRUE(InitMainWindow(m_frame));
    m_alive = m_frame;
    m_frame->Show();
    WaitFor([] { return false; }, 50);
}

void MainWindowTest::TearDown()
{
    if (m_alive)
    {
        m_frame->Destroy();
        WaitFor([this] { return !m_alive; }, 5000);
    }
    wxTheApp->ProcessPendingEvents();
}

void MainWindowTest::Command(int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(m_frame);
    m_frame->ProcessWindowEvent(event);
}

bool MainWindowTest::CloseAndWait()
{
    m_frame->Close();
    WaitFor([this] { return !m_alive; }, 2000);
    return !m_alive;
}

ProgressRecorder::ProgressRecorder(wxWindow* window, int id) : m_window(window), m_id(id)
{
    m_window->Bind(wxEventTypeTag<wxCommandEvent>(wxEVT_COMMAND_THREAD_UPDATE), &ProgressRecorder::OnUpdate, this, m_id);
}

ProgressRecorder::~ProgressRecorder()
{
    m_window->Unbind(wxEventTypeTag<wxCommandEvent>(wxEVT_COMMAND_THREAD_UPDATE), &ProgressRecorder::OnUpdate, this, m_id);
}

void ProgressRecorder::OnUpdate(wxCommandEvent& event)
{
    values.push_back(event.GetInt());
    event.Skip();
}

bool MainWindowTest::WaitForLoad()
{
    return WaitFor([this] { return m_frame->m_loadProgress == nullptr; });
}

void MainWindowTest::LoadPictures(const std::vector<wxString>& entries)
{
    ASSERT_TRUE(m_frame->StartImageLoad(wxArrayString(entries.size(), entries.data())));
    EXPECT_NO_DIALOG(EXPECT_TRUE(WaitFor([this] { return m_frame->m_loadProgress == nullptr; })));
}

wxString MainWindowTest::LoadPicturesWithFailures(const std::vector<wxString>& entries)
{
    wxString message;
    EXPECT_TRUE(m_frame->StartImageLoad(wxArrayString(entries.size(), entries.data())));
    wxTEST_DIALOG(EXPECT_TRUE(WaitFor([this] { return m_frame->m_loadProgress == nullptr; })),
                  ExpectMessage(wxID_OK, &message));
    return message;
}

void MainWindowTest::EditSpin(wxSpinCtrl* spin, int value)
{
    spin->SetValue(value);
    wxCommandEvent edit(wxEVT_TEXT, spin->GetId());
    edit.SetEventObject(spin);
    edit.SetInt(value);
    spin->GetEventHandler()->ProcessEvent(edit);
}
