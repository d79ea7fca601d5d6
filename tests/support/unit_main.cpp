// Unit tests run without a display: the base library and the image
// decoders only.
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

int main(int argc, char** argv)
{
    UseTemporaryHome();
    ::testing::InitGoogleTest(&argc, argv);
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    wxInitAllImageHandlers();
    wxLog::SetActiveTarget(nullptr);
    InstallAssertHandler();
    return RUN_ALL_TESTS();
}
