#include "support/TestImages.h"
#include "window/PreviewPrefetch.h"

#include <gtest/gtest.h>
#include <wx/filename.h>

#include <chrono>
#include <thread>

TEST(PreviewPrefetchTest, PreparedFramesMatchTheOnesMadeOnTheSpot)
{
    FrameStoreSettings settings;
    settings.directory = wxFileName::GetTempDir() + "/pelagrin-prefetch-test";
    FrameStore store(settings);
    const std::vector<wxImage> pictures = {ColourfulImage(300, 200), ColourfulImage(60, 40), SolidImage(90, 300, 0x336699)};
    std::vector<FrameRef> frames;
    for (const wxImage& picture : pictures)
        frames.push_back(store.Put(picture, nullptr));
    const wxSize panel(100, 120);

    PreviewPrefetch prefetch;
    prefetch.Start(frames, panel, 0);
    // Twice round, so that frames are prepared again after they were taken.
    for (int tick = 0; tick < 6; ++tick)
    {
        SCOPED_TRACE(tick);
        const int index = tick % 3;
        PreviewPicture prepared;
        for (int attempt = 0; attempt < 500 && !prefetch.Take(index, panel, prepared); ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const PreviewPicture expected = MakePreviewPicture(pictures[index], panel);
        EXPECT_EQ(expected.place, prepared.place);
        EXPECT_TRUE(SamePixels(expected.image, prepared.image));
    }
}
