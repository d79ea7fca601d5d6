// Loaders end cleanly: an animation stops between its frames when asked, and
// the frame store stays usable for a loader that still holds it after the
// program has let it go.
#include "support/Pictures.h"
#include "support/TestEnvironment.h"
#include "window/FrameStore.h"
#include "window/ImageDecoding.h"

#include <gtest/gtest.h>

TEST(LoaderStop, AnAnimationStopsBetweenFramesWhenAsked)
{
    const wxString gif = WriteAnimatedGif(MakeScratchDir("stop"), "long.gif", 6, 16, 8);
    for (int stopAfter : {1, 3, 6})
    {
        SCOPED_TRACE(stopAfter);
        int delivered = 0;
        wxString failure;
        EXPECT_TRUE(DecodePictureEntry(
            gif, [&](wxImage&&, const wxString&, int, bool, int) { ++delivered; }, &failure,
            [&] { return delivered >= stopAfter; }));
        EXPECT_EQ(stopAfter, delivered);
    }
}

TEST(LoaderStop, AHeldStoreOutlivesTheProgramsShutdown)
{
    const std::shared_ptr<FrameStore> held = HoldProgramFrameStore();
    ShutDownProgramFrameStore();
    const FrameRef frame = held->Put(wxImage(12, 7), nullptr);
    ASSERT_TRUE(frame);
    EXPECT_EQ(wxSize(12, 7), frame->Load().GetSize());
    EXPECT_NE(held.get(), &ProgramFrameStore()) << "the program makes a new store for what comes next";
}
