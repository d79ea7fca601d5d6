#include "support/MainWindowFixture.h"

#include "support/TestEnvironment.h"

#include <wx/app.h>

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
