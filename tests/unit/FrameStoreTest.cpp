#include "support/TestImages.h"
#include "window/FrameStore.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
wxString FreshDirectory(const char* name)
{
    const wxString directory =
        wxFileName::GetTempDir() + wxString::Format("/pelagrin-store-%s-%ld", name, wxGetProcessId());
    wxFileName::Rmdir(directory, wxPATH_RMDIR_RECURSIVE);
    return directory;
}

FrameStoreSettings Budget(const wxString& directory, size_t memoryBudget)
{
    FrameStoreSettings settings;
    settings.directory = directory;
    settings.memoryBudget = memoryBudget;
    settings.decodedCacheBytes = 0;
    return settings;
}

::testing::AssertionResult SamePicture(const wxImage& expected, const wxImage& actual)
{
    ::testing::AssertionResult pixels = SamePixels(expected, actual);
    if (!pixels)
        return pixels;
    const size_t area = size_t(expected.GetWidth()) * expected.GetHeight();
    if (expected.HasAlpha() != actual.HasAlpha() ||
        (expected.HasAlpha() && std::memcmp(expected.GetAlpha(), actual.GetAlpha(), area) != 0))
        return ::testing::AssertionFailure() << "alpha differs";
    if (expected.HasMask() != actual.HasMask() || expected.GetMaskRed() != actual.GetMaskRed() ||
        expected.GetMaskGreen() != actual.GetMaskGreen() || expected.GetMaskBlue() != actual.GetMaskBlue())
        return ::testing::AssertionFailure() << "mask colour differs";
    return ::testing::AssertionSuccess();
}

std::vector<wxImage> AssortedPictures()
{
    wxImage withAlpha = ColourfulImage(37, 11);
    withAlpha.InitAlpha();
    for (int x = 0; x < 37; ++x)
        withAlpha.SetAlpha(x, x % 11, static_cast<unsigned char>(x * 7));
    wxImage withMask = ColourfulImage(64, 48);
    withMask.SetMaskColour(1, 2, 3);
    // Noise hardly compresses, like a photograph, and is packed the quick way.
    wxImage noise(700, 600);
    uint32_t state = 12345;
    for (unsigned char *pixel = noise.GetData(), *end = pixel + 700 * 600 * 3; pixel != end; ++pixel)
    {
        state = state * 1664525u + 1013904223u;
        *pixel = static_cast<unsigned char>(state >> 24);
    }
    return {SolidImage(1, 1, 0x102030), withAlpha, withMask, ColourfulImage(300, 200), SolidImage(640, 480, 0xf3f3f3),
            noise};
}
} // namespace

TEST(FrameStoreTest, PicturesComeBackUnchangedFromMemoryAndFile)
{
    const std::vector<wxImage> pictures = AssortedPictures();
    FrameStore store(Budget(FreshDirectory("roundtrip"), 4000));
    std::vector<FrameRef> frames;
    for (const wxImage& picture : pictures)
        frames.push_back(store.Put(picture, nullptr));
    EXPECT_TRUE(store.MemoryBytes() > 0 && store.MemoryBytes() <= 4000u && store.FileBytes() > 0);
    for (size_t i = 0; i < pictures.size(); ++i)
    {
        SCOPED_TRACE(i);
        ASSERT_TRUE(frames[i]);
        EXPECT_EQ(pictures[i].GetSize(), frames[i]->GetSize());
        EXPECT_TRUE(SamePicture(pictures[i], frames[i]->Load()));
    }
}

TEST(FrameStoreTest, ReleasedSpaceIsReusedAndTheFileGoesWithTheStore)
{
    const wxString directory = FreshDirectory("release");
    wxString path;
    {
        FrameStore store(Budget(directory, 0));
        FrameRef kept = store.Put(ColourfulImage(100, 100), nullptr);
        FrameRef dropped = store.Put(ColourfulImage(120, 90), nullptr);
        path = store.FilePath();
        ASSERT_TRUE(wxFileExists(path));
        const size_t bothBytes = store.FileBytes();
        dropped.reset();
        FrameRef again = store.Put(ColourfulImage(120, 90), nullptr);
        EXPECT_EQ(bothBytes, store.FileBytes());
        EXPECT_EQ(bothBytes, size_t(wxFileName::GetSize(path).GetValue()));
        kept = again = nullptr;
        EXPECT_EQ(0u, store.FileBytes());
    }
    EXPECT_FALSE(wxFileExists(path));
}

TEST(FrameStoreTest, StoresOfKilledProcessesAreRemovedButLiveOnesKept)
{
    const wxString directory = FreshDirectory("abandoned");
    FrameStore live(Budget(directory, 0));
    FrameRef frame = live.Put(SolidImage(10, 10, 0xff0000), nullptr);
    const pid_t child = fork();
    if (child == 0)
    {
        FrameStore store(Budget(directory, 0));
        store.Put(SolidImage(10, 10, 0x00ff00), nullptr);
        raise(SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(wxFileExists(directory + wxString::Format("/frames-%d.store", int(child))));

    EXPECT_EQ(1, RemoveAbandonedFrameStores(directory));
    EXPECT_FALSE(wxFileExists(directory + wxString::Format("/frames-%d.store", int(child))));
    EXPECT_TRUE(wxFileExists(live.FilePath()));
    EXPECT_TRUE(SamePicture(SolidImage(10, 10, 0xff0000), frame->Load()));
}

TEST(FrameStoreTest, AFullDiskRefusesTheNewPictureAndKeepsTheOthers)
{
    FrameStore store(Budget(FreshDirectory("full"), 0));
    FrameRef first = store.Put(ColourfulImage(50, 50), nullptr);
    ASSERT_TRUE(first);
    // A file size limit fails writes the way a full disk does.
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous;
    limit.rlim_cur = store.FileBytes() + 100;
    setrlimit(RLIMIT_FSIZE, &limit);
    wxString failure;
    FrameRef second = store.Put(ColourfulImage(200, 200), &failure);
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, SIG_DFL);

    EXPECT_FALSE(second);
    EXPECT_TRUE(failure.Contains(store.FilePath())) << failure;
    EXPECT_TRUE(SamePicture(ColourfulImage(50, 50), first->Load()));
    EXPECT_TRUE(store.Put(SolidImage(20, 20, 0x123456), nullptr));
}
