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

#include <cstring>

namespace
{
class TestApp : public wxApp
{
public:
    bool OnInit() override { return true; }
};

bool OnlyListing(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0)
            return true;
    }
    return false;
}
} // namespace

int main(int argc, char** argv)
{
    UseTemporaryHome();
    // Every frame of the window tests lives in the frame store's file.
    SetProgramFrameStoreBudget(0);
    // No settings daemon under Xvfb: keep GTK's settings in memory.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    ::testing::InitGoogleTest(&argc, argv);
    if (OnlyListing(argc, argv))
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
