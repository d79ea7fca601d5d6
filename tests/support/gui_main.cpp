// GUI tests: a plain application object with the program's resources loaded,
// tests running inside an active event loop, modal dialogs answered with
// wxTEST_DIALOG.
#include "support/TestEnvironment.h"

#include "app/GifApp.h"
#include "app/Paths.h"
#include "window/FrameStore.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>

namespace
{
struct TestApp : wxApp
{
    bool OnInit() override { return true; }
};
} // namespace

int main(int argc, char** argv)
{
    UseTemporaryHome();
    // Every frame of the window tests lives in the frame store's file.
    SetProgramFrameStoreBudget(0);
    // No settings daemon under Xvfb: keep GTK's settings in memory.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
    {
        fprintf(stderr, "cannot start the toolkit: is there an X display?\n");
        return 1;
    }
    wxLog::SetActiveTarget(nullptr);
    InstallAssertHandler();
    LoadToolkitResources(GetThemesDir());

    int result = 0;
    {
        wxEventLoop loop;
        wxEventLoopActivator activate(&loop);
        result = RUN_ALL_TESTS();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
