#include "support/GifDecode.h"
#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "window/GifSave.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filename.h>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
class VectorFrameSource : public GifFrameSource
{
public:
    explicit VectorFrameSource(std::vector<wxImage> frames) : m_frames(std::move(frames)) {}
    int GetFrameCount() const override { return int(m_frames.size()); }
    wxImage GetFrame(int index) override
    {
        fetched.push_back(index);
        return m_frames[index].IsOk() ? m_frames[index].Copy() : wxImage();
    }
    std::vector<int> fetched;

private:
    std::vector<wxImage> m_frames;
};

// Photographic and flat frames of several sizes, so that both reductions
// and every kind of fit take part.
std::vector<wxImage> MixedFrames()
{
    std::vector<wxImage> frames;
    for (int i = 0; i < 7; ++i)
    {
        if (i % 2)
            frames.push_back(SolidImage(40 + i * 9, 30, 0x204080 + i * 0x100010));
        else
            frames.push_back(ColourfulImage(50 + i * 13, 70 - i * 5));
    }
    return frames;
}

GifSaveSettings Settings(const wxString& path, int width, int height, int threads = 0)
{
    GifSaveSettings settings;
    settings.path = path;
    settings.width = width;
    settings.height = height;
    settings.delay = 12;
    settings.threads = threads;
    return settings;
}

wxArrayString FilesIn(const wxString& dir)
{
    wxArrayString files;
    wxDir::GetAllFiles(dir, &files, wxEmptyString, wxDIR_FILES | wxDIR_HIDDEN);
    return files;
}
} // namespace

TEST(GifSave, SameBytesWhateverTheThreadCount)
{
    const wxString dir = MakeScratchDir("save");
    std::vector<std::vector<uint8_t>> files;
    for (int threads : {1, 2, 3})
    {
        SCOPED_TRACE(threads);
        VectorFrameSource source(MixedFrames());
        const wxString path = wxString::Format("%s/threads-%d.gif", dir, threads);
        const GifSaveResult result = SaveGifAnimation(Settings(path, 80, 60, threads), source);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(7, result.framesWritten);
        EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6}), source.fetched);
        files.push_back(ReadFileBytes(path));
    }
    EXPECT_EQ(files[0], files[1]);
    EXPECT_EQ(files[0], files[2]);
}

TEST(GifSave, WritesAnAnimationOthersCanRead)
{
    const wxString path = MakeScratchDir("save") + "/anim.gif";
    std::vector<std::pair<int, int>> reported;
    VectorFrameSource source(MixedFrames());
    GifSaveTimings timings;
    const GifSaveResult result = SaveGifAnimation(
        Settings(path, 80, 60), source, [&](int index, int count) { reported.emplace_back(index, count); },
        &timings);
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(7u, reported.size());
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(std::make_pair(i, 7), reported[i]);
    EXPECT_GT(timings.reduceSeconds, 0);
    EXPECT_GT(timings.writeSeconds, 0);

    const DecodedGif gif = DecodeGifFile(path);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(80, gif.screenWidth);
    EXPECT_EQ(60, gif.screenHeight);
    EXPECT_TRUE(gif.hasLoopExtension);
    EXPECT_EQ(0, gif.loopCount);
    ASSERT_EQ(7u, gif.frames.size());
    for (const DecodedGifFrame& frame : gif.frames)
    {
        EXPECT_EQ(80, frame.width);
        EXPECT_EQ(60, frame.height);
        EXPECT_EQ(12, frame.delay);
        EXPECT_EQ(-1, frame.transparentIndex);
    }
    // A flat frame smaller than the canvas: centred on black, exact.
    wxImage expected(80, 60, true);
    expected.Paste(MixedFrames()[1], (80 - 49) / 2, 15);
    EXPECT_TRUE(SamePixels(expected, gif.frames[1].rgb));
}

TEST(GifSave, SkippedFramesLeaveAWholeFile)
{
    const wxString path = MakeScratchDir("save") + "/gaps.gif";
    std::vector<wxImage> frames = MixedFrames();
    frames.front() = wxImage();
    frames.back() = wxImage();
    frames[3] = wxImage();
    std::vector<int> reported;
    VectorFrameSource source(frames);
    const GifSaveResult result =
        SaveGifAnimation(Settings(path, 80, 60), source, [&](int index, int) { reported.push_back(index); });
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(4, result.framesWritten);
    EXPECT_EQ(7u, reported.size());
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(0x3B, bytes.back());
    const DecodedGif gif = DecodeGifFile(path);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(4u, gif.frames.size());
}

TEST(GifSave, ReplacesAnOldFileOnlyWhenComplete)
{
    const wxString dir = MakeScratchDir("save");
    const wxString path = dir + "/kept.gif";
    WriteTextFile(path, "old contents");
    chmod(path.fn_str(), 0640);

    VectorFrameSource nothingUsable({wxImage(), wxImage()});
    const GifSaveResult failed = SaveGifAnimation(Settings(path, 80, 60), nothingUsable);
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.error.Contains(path)) << failed.error;
    EXPECT_EQ("old contents", ReadTextFile(path));
    EXPECT_EQ(1u, FilesIn(dir).size());

    VectorFrameSource source(MixedFrames());
    const GifSaveResult saved = SaveGifAnimation(Settings(path, 80, 60), source);
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_TRUE(DecodeGifFile(path).ok);
    EXPECT_EQ(1u, FilesIn(dir).size());
    struct stat info;
    ASSERT_EQ(0, stat(path.fn_str(), &info));
    EXPECT_EQ(0640u, info.st_mode & 07777);
}

TEST(GifSave, FollowsALinkToTheFileItNames)
{
    const wxString dir = MakeScratchDir("save");
    WriteTextFile(dir + "/real.gif", "old");
    ASSERT_EQ(0, symlink("real.gif", (dir + "/link.gif").fn_str()));
    VectorFrameSource source(MixedFrames());
    const GifSaveResult result = SaveGifAnimation(Settings(dir + "/link.gif", 80, 60), source);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(wxFileName(dir + "/link.gif").Exists(wxFILE_EXISTS_SYMLINK | wxFILE_EXISTS_NO_FOLLOW));
    EXPECT_TRUE(DecodeGifFile(dir + "/real.gif").ok);
}

TEST(GifSave, SizesAGifCannotHoldAreRefused)
{
    const wxString dir = MakeScratchDir("save");
    for (const wxSize& size : {wxSize(0, 10), wxSize(10, 0), wxSize(65536, 10), wxSize(10, 65536), wxSize(-5, 10)})
    {
        SCOPED_TRACE(wxString::Format("%d x %d", size.x, size.y));
        VectorFrameSource source(MixedFrames());
        const GifSaveResult result = SaveGifAnimation(Settings(dir + "/size.gif", size.x, size.y), source);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.empty());
        EXPECT_TRUE(source.fetched.empty());
    }
    // Allowed by the format but far too large to convert in memory.
    VectorFrameSource source(MixedFrames());
    EXPECT_FALSE(SaveGifAnimation(Settings(dir + "/size.gif", 65535, 65535), source).ok);
    EXPECT_TRUE(FilesIn(dir).empty());
}

TEST(GifSave, FolderThatCannotBeWrittenFailsClearly)
{
    const wxString missing = MakeScratchDir("save") + "/no such folder/anim.gif";
    VectorFrameSource source(MixedFrames());
    const GifSaveResult result = SaveGifAnimation(Settings(missing, 80, 60), source);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.Contains(missing)) << result.error;

    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    const wxString dir = MakeScratchDir("save");
    chmod(dir.fn_str(), 0555);
    VectorFrameSource again(MixedFrames());
    EXPECT_FALSE(SaveGifAnimation(Settings(dir + "/anim.gif", 80, 60), again).ok);
    chmod(dir.fn_str(), 0755);
    EXPECT_TRUE(FilesIn(dir).empty());
}

TEST(GifSave, FullDeviceIsAFailureNotASuccess)
{
    struct stat info;
    if (stat("/dev/full", &info) != 0)
        GTEST_SKIP() << "no /dev/full";
    VectorFrameSource source(MixedFrames());
    const GifSaveResult result = SaveGifAnimation(Settings("/dev/full", 80, 60), source);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.Contains("/dev/full")) << result.error;
    // A device is written in place, never replaced by a file.
    ASSERT_EQ(0, stat("/dev/full", &info));
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST(GifSave, EmptyAnimationIsRefused)
{
    const wxString dir = MakeScratchDir("save");
    VectorFrameSource source({});
    const GifSaveResult result = SaveGifAnimation(Settings(dir + "/empty.gif", 80, 60), source);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_TRUE(FilesIn(dir).empty());
}
