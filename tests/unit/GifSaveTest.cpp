#include "support/GifDecode.h"
#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "window/GifSave.h"
#include "window/WorkSaveAsGifThread.h"

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
        frames.push_back(i % 2 ? SolidImage(40 + i * 9, 30, 0x204080 + i * 0x100010)
                               : ColourfulImage(50 + i * 13, 70 - i * 5));
    return frames;
}

GifSaveResult Save(const wxString& path, GifFrameSource& source, wxSize size = wxSize(80, 60), int threads = 0,
                   const std::function<void(int, int)>& onFrameDone = {})
{
    GifSaveSettings settings;
    settings.path = path;
    settings.width = size.x;
    settings.height = size.y;
    settings.delay = 12;
    settings.threads = threads;
    return SaveGifAnimation(settings, source, onFrameDone);
}

size_t FileCount(const wxString& dir)
{
    wxArrayString files;
    return wxDir::GetAllFiles(dir, &files, wxEmptyString, wxDIR_FILES | wxDIR_HIDDEN);
}
} // namespace

TEST(GifSave, WritesTheSameReadableFileWhateverTheThreadCount)
{
    const wxString dir = MakeScratchDir("save");
    const std::vector<wxImage> frames = MixedFrames();
    std::vector<std::vector<uint8_t>> files;
    for (int threads : {1, 2, 3})
    {
        SCOPED_TRACE(threads);
        VectorFrameSource source(frames);
        std::vector<std::pair<int, int>> reported;
        const wxString path = wxString::Format("%s/threads-%d.gif", dir, threads);
        const auto report = [&](int index, int count) { reported.emplace_back(index, count); };
        const GifSaveResult result = Save(path, source, wxSize(80, 60), threads, report);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(7, result.framesWritten);
        EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6}), source.fetched);
        ASSERT_EQ(7u, reported.size());
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(std::make_pair(i, 7), reported[i]);
        files.push_back(ReadFileBytes(path));
    }
    EXPECT_EQ(files[0], files[1]);
    EXPECT_EQ(files[0], files[2]);

    const DecodedGif gif = DecodeGifFile(dir + "/threads-1.gif");
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(wxSize(80, 60), wxSize(gif.screenWidth, gif.screenHeight));
    ASSERT_EQ(7u, gif.frames.size());
    EXPECT_EQ(wxSize(80, 60), wxSize(gif.frames[0].width, gif.frames[0].height));
    EXPECT_EQ(12, gif.frames[6].delay);
    // A flat frame smaller than the canvas: centred on black, exact.
    VectorFrameSource alone({frames[1]});
    ASSERT_TRUE(Save(dir + "/alone.gif", alone).ok);
    const DecodedGif single = DecodeGifFile(dir + "/alone.gif");
    ASSERT_EQ(1u, single.frames.size());
    wxImage expected(80, 60, true);
    expected.Paste(frames[1], (80 - 49) / 2, 15);
    EXPECT_TRUE(SamePixels(expected, single.frames[0].rgb));
}

namespace
{
// The window going away during a save: it cancels the feed once the
// second frame has been read, while later frames are still unread.
class WindowClosingFeed : public GifFrameSource
{
public:
    explicit WindowClosingFeed(SaveFrameFeed& feed) : m_feed(feed) {}
    int GetFrameCount() const override { return m_feed.GetFrameCount(); }
    wxImage GetFrame(int index) override
    {
        wxImage frame = m_feed.GetFrame(index);
        if (index == 1)
            m_feed.Cancel();
        return frame;
    }

private:
    SaveFrameFeed& m_feed;
};
} // namespace

TEST(GifSave, AFrameThatCannotBeReadLeavesTheOldFile)
{
    const wxString dir = MakeScratchDir("save");
    const wxString path = dir + "/kept.gif";
    FrameStore store(FrameStoreSettings{dir});
    std::vector<FrameRef> stored;
    for (const wxImage& picture : MixedFrames())
        stored.push_back(store.Put(picture, nullptr));
    // The first, a middle or the last frame missing; -1: the window closed.
    for (int missing : {0, 3, 6, -1})
        for (int threads : {1, 3})
        {
            SCOPED_TRACE(wxString::Format("frame %d missing, %d threads", missing, threads));
            WriteTextFile(path, "old contents");
            std::vector<wxImage> frames = MixedFrames();
            if (missing >= 0)
                frames[missing] = wxImage();
            VectorFrameSource vector(frames);
            SaveFrameFeed feed(stored, std::vector<int>(stored.size(), 10));
            WindowClosingFeed closing(feed);
            const GifSaveResult result =
                Save(path, missing >= 0 ? static_cast<GifFrameSource&>(vector) : closing, wxSize(80, 60), threads);
            EXPECT_FALSE(result.ok);
            EXPECT_TRUE(result.error.Contains(path)) << result.error;
            EXPECT_EQ("old contents", ReadTextFile(path));
        }
}

TEST(GifSave, ReplacesAnOldFileOnlyWhenComplete)
{
    const wxString dir = MakeScratchDir("save");
    const wxString path = dir + "/kept.gif";
    WriteTextFile(path, "old contents");
    chmod(path.fn_str(), 0640);

    VectorFrameSource nothingUsable({wxImage(), wxImage()});
    const GifSaveResult failed = Save(path, nothingUsable);
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.error.Contains(path)) << failed.error;
    EXPECT_EQ("old contents", ReadTextFile(path));
    EXPECT_EQ(1u, FileCount(dir));

    VectorFrameSource source(MixedFrames());
    const GifSaveResult saved = Save(path, source);
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_TRUE(DecodeGifFile(path).ok);
    EXPECT_EQ(1u, FileCount(dir));
    struct stat info;
    ASSERT_EQ(0, stat(path.fn_str(), &info));
    EXPECT_EQ(0640u, info.st_mode & 07777);

    // A link is followed to the file it names, and stays a link.
    ASSERT_EQ(0, symlink("kept.gif", (dir + "/link.gif").fn_str()));
    WriteTextFile(path, "old");
    VectorFrameSource again(MixedFrames());
    ASSERT_TRUE(Save(dir + "/link.gif", again).ok);
    EXPECT_TRUE(wxFileName(dir + "/link.gif").Exists(wxFILE_EXISTS_SYMLINK | wxFILE_EXISTS_NO_FOLLOW));
    EXPECT_TRUE(DecodeGifFile(path).ok);
}

TEST(GifSave, NothingToSaveIsRefusedBeforeAnyFileIsMade)
{
    const wxString dir = MakeScratchDir("save");
    // Sizes a GIF cannot hold, one allowed by the format but far too large to
    // convert in memory, and an animation without frames.
    for (const wxSize& size : {wxSize(0, 10), wxSize(10, 65536), wxSize(-5, 10), wxSize(65535, 65535), wxSize(80, 60)})
    {
        SCOPED_TRACE(wxString::Format("%d x %d", size.x, size.y));
        VectorFrameSource source(size == wxSize(80, 60) ? std::vector<wxImage>() : MixedFrames());
        const GifSaveResult result = Save(dir + "/refused.gif", source, size);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.error.Contains(dir)) << result.error;
        EXPECT_TRUE(source.fetched.empty());
    }
    EXPECT_EQ(0u, FileCount(dir));
}
