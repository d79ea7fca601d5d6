#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "support/VideoClips.h"
#include "window/ImageDecoding.h"
#include "window/VideoDecoder.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/ffile.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace
{
// Clips shared by the tests of this file, made once.
class VideoClipTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = MakeScratchDir("clips");
        s_madeAll = MakeNumberedClip(s_dir + "/h264.mp4", "-c:v libx264 -qp 0 -pix_fmt yuv420p", 32, 24, 10, 2) &&
                    MakeNumberedClip(s_dir + "/odd.webm", "-c:v libvpx-vp9 -lossless 1", 33, 25, 10, 2) &&
                    // Written to a pipe, so the container never learns its duration.
                    MakeNumberedClip(s_dir + "/piped.mkv", "-c:v libx264 -qp 0 -pix_fmt yuv420p -f matroska - >", 32,
                                     24, 10, 2) &&
                    // Left half red, right half blue, turned a quarter by its metadata as a phone does.
                    MakeVideoClip(s_dir + "/upright.mov",
                                  "-f lavfi -i \"color=c=red:s=16x8:r=5:d=1[l];color=c=blue:s=16x8:r=5:d=1[r];"
                                  "[l][r]hstack\" -c:v libx264 -pix_fmt yuv420p") &&
                    MakeVideoClip(s_dir + "/turned.mov",
                                  "-i '" + s_dir + "/upright.mov' -c copy -metadata:s:v:0 rotate=90") &&
                    // How the ffmpeg command itself shows the turned clip.
                    MakeVideoClip(s_dir + "/turned.png", "-i '" + s_dir + "/turned.mov' -frames:v 1");
    }

    static wxString s_dir;
    static bool s_madeAll;
};

wxString VideoClipTest::s_dir;
bool VideoClipTest::s_madeAll = false;

// Writes the 2x2 part and translation of the track's display matrix of an MP4
// with one track, in 16.16 fixed point as the 'tkhd' box keeps them.
bool SetTrackMatrix(const wxString& from, const wxString& to, const std::array<int, 6>& abcdxy)
{
    std::vector<uint8_t> bytes = ReadFileBytes(from);
    const char tag[] = "tkhd";
    const auto found = std::search(bytes.begin(), bytes.end(), tag, tag + 4);
    if (found == bytes.end())
        return false;
    // Type, version and flags, then times, track and duration (longer in
    // version 1), then 16 bytes of layer, volume and padding.
    const size_t version = size_t(found - bytes.begin()) + 4;
    size_t at = version + 4 + (bytes[version] == 1 ? 32 : 20) + 16;
    const int64_t values[9] = {abcdxy[0], abcdxy[1], 0, abcdxy[2], abcdxy[3], 0, abcdxy[4], abcdxy[5], 1 << 14};
    for (int64_t value : values)
    {
        const uint32_t fixed = uint32_t(value * 65536);
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes[at++] = uint8_t(fixed >> shift);
    }
    return WriteFileBytes(to, bytes);
}

// Which of red, green, blue and white a picture's pixel is nearest.
char NearestCorner(const wxImage& image, int x, int y)
{
    const uint32_t colour = PixelColour(image, x, y);
    const int red = colour >> 16, green = (colour >> 8) & 0xFF, blue = colour & 0xFF;
    if (red > 128 && green > 128 && blue > 128)
        return 'W';
    return red > green && red > blue ? 'R' : green > blue ? 'G' : 'B';
}
} // namespace

TEST_F(VideoClipTest, FramesFollowTheChosenRateAndSpan)
{
    ASSERT_TRUE(s_madeAll);
    const wxString h264 = s_dir + "/h264.mp4";
    struct Case
    {
        wxString entry;
        wxSize size;
        std::vector<int> sourceFrames; // which picture of the clip each frame shows
        int firstMilliseconds;
        int delay;
    };
    const Case cases[] = {
        {h264, {32, 24}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}, 0, 10},
        {s_dir + "/odd.webm", {33, 25}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}, 0, 10},
        {s_dir + "/piped.mkv", {32, 24}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}, 0, 10},
        {VideoRangeEntry(h264, {5, 0.5, 1.5}), {32, 24}, {5, 7, 9, 11, 13}, 500, 20},
        {VideoRangeEntry(h264, {25, 0, 0.4}), {32, 24}, {0, 0, 0, 1, 1, 2, 2, 2, 3, 3}, 0, 4},
        // Past the clip's end nothing more comes.
        {VideoRangeEntry(h264, {2, 1.2, 5}), {32, 24}, {12, 17}, 1200, 50},
        // One frame as the strip and projects name it.
        {h264 + "_1200", {32, 24}, {12}, 1200, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.entry);
        const DecodedEntry result = DecodeEntryPictures(c.entry);
        ASSERT_TRUE(result.ok) << result.failure;
        ASSERT_EQ(c.sourceFrames.size(), result.pictures.size());
        EXPECT_EQ(c.firstMilliseconds, result.pictures[0].frame);
        for (size_t i = 0; i < result.pictures.size(); ++i)
        {
            const DecodedPicture& picture = result.pictures[i];
            const uint32_t colour = PixelColour(picture.image, 0, 0);
            EXPECT_EQ(c.size, picture.image.GetSize());
            EXPECT_EQ(c.delay, picture.delay);
            EXPECT_EQ(i + 1 == result.pictures.size(), picture.last);
            EXPECT_EQ(c.sourceFrames[i], NumberedClipFrame(colour >> 16)) << "frame " << i;
            EXPECT_NEAR(128, int((colour >> 8) & 0xFF), 8) << "frame " << i;
        }
    }
}

TEST_F(VideoClipTest, TurnedClipStandsAsTheFfmpegCommandShowsIt)
{
    ASSERT_TRUE(s_madeAll);
    wxImage expected(s_dir + "/turned.png", wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(expected.IsOk());
    ASSERT_EQ(wxSize(8, 32), expected.GetSize());
    const DecodedEntry result = DecodeEntryPictures(s_dir + "/turned.mov");
    ASSERT_FALSE(result.pictures.empty()) << result.failure;
    const wxImage& picture = result.pictures[0].image;
    ASSERT_EQ(expected.GetSize(), picture.GetSize());
    // Each end has the colour the command shows there: mostly red or mostly blue.
    for (int y : {0, 31})
    {
        const uint32_t shown = PixelColour(expected, 4, y);
        const uint32_t ours = PixelColour(picture, 4, y);
        EXPECT_EQ((shown >> 16) > (shown & 0xFF), (ours >> 16) > (ours & 0xFF)) << std::hex << shown << " " << ours;
    }
    VideoClipInfo info;
    ASSERT_TRUE(ProbeVideoClip(s_dir + "/turned.mov", info, nullptr));
    EXPECT_EQ(wxSize(8, 32), info.size);
    EXPECT_NE(0, info.rotation);
}

TEST_F(VideoClipTest, MirroredClipsShowAsTheirMatrixSays)
{
    ASSERT_TRUE(s_madeAll);
    const wxString quarters = s_dir + "/quarters.mp4";
    ASSERT_TRUE(MakeVideoClip(quarters, "-f lavfi -i \"color=c=red:s=8x4:r=5:d=0.4[a];color=c=lime:s=8x4:r=5:d=0.4[b];"
                                        "color=c=blue:s=8x4:r=5:d=0.4[c];color=c=white:s=8x4:r=5:d=0.4[d];"
                                        "[a][b]hstack[t];[c][d]hstack[u];[t][u]vstack\" -c:v libx264 -qp 0 "
                                        "-pix_fmt yuv444p"));
    struct Case
    {
        std::array<int, 6> matrix; // a b c d x y
        wxSize size;
        const char* corners;       // top left, top right, bottom left, bottom right
    };
    const Case cases[] = {
        {{1, 0, 0, 1, 0, 0}, {16, 8}, "RGBW"},
        {{0, 1, -1, 0, 8, 0}, {8, 16}, "BRWG"},   // a quarter turn clockwise
        {{-1, 0, 0, 1, 16, 0}, {16, 8}, "GRWB"},  // mirrored left to right
        {{1, 0, 0, -1, 0, 8}, {16, 8}, "BWRG"},   // mirrored top to bottom
        {{0, 1, 1, 0, 0, 0}, {8, 16}, "RBGW"},    // mirrored across the diagonal
        {{0, -1, -1, 0, 8, 16}, {8, 16}, "WGBR"}, // and across the other one
    };
    for (const Case& c : cases)
    {
        const wxString clip = wxString::Format("%s/m%d%d%d%d.mp4", s_dir, c.matrix[0], c.matrix[1], c.matrix[2],
                                               c.matrix[3]);
        SCOPED_TRACE(clip);
        ASSERT_TRUE(SetTrackMatrix(quarters, clip, c.matrix));
        VideoClipInfo info;
        ASSERT_TRUE(ProbeVideoClip(clip, info, nullptr));
        EXPECT_EQ(c.size, info.size);
        const DecodedEntry result = DecodeEntryPictures(clip);
        ASSERT_FALSE(result.pictures.empty()) << result.failure;
        const wxImage& picture = result.pictures[0].image;
        ASSERT_EQ(c.size, picture.GetSize());
        const int right = c.size.x - 1, bottom = c.size.y - 1;
        const std::string corners = {NearestCorner(picture, 0, 0), NearestCorner(picture, right, 0),
                                     NearestCorner(picture, 0, bottom), NearestCorner(picture, right, bottom)};
        EXPECT_EQ(c.corners, corners);
    }
}

TEST_F(VideoClipTest, DamagedClipsSayWhy)
{
    ASSERT_TRUE(s_madeAll);
    const std::vector<uint8_t> whole = ReadFileBytes(s_dir + "/h264.mp4");
    ASSERT_TRUE(WriteFileBytes(s_dir + "/truncated.mp4", {whole.begin(), whole.begin() + whole.size() / 2}));
    ASSERT_TRUE(WriteTextFile(s_dir + "/notes.mkv", "not a clip"));
    for (const wxString& entry : {s_dir + "/truncated.mp4", s_dir + "/notes.mkv", s_dir + "/missing.webm",
                                  VideoRangeEntry(s_dir + "/h264.mp4", {10, 5, 6})})
    {
        SCOPED_TRACE(entry);
        const DecodedEntry result = DecodeEntryPictures(entry);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.failure.empty());
        EXPECT_TRUE(result.pictures.empty());
    }
}

TEST_F(VideoClipTest, StopsWhenAsked)
{
    ASSERT_TRUE(s_madeAll);
    int pictures = 0;
    EXPECT_TRUE(DecodePictureEntry(
        s_dir + "/h264.mp4", [&](wxImage&&, const wxString&, int, bool, int) { ++pictures; }, nullptr,
        [&] { return pictures >= 3; }));
    EXPECT_LE(pictures, 4);
}

TEST(VideoChoice, FramesDelaysAndEntries)
{
    struct Case
    {
        VideoChoice choice;
        int frames;
        std::vector<int> delays;
    };
    const Case cases[] = {
        {{25, 0, 10}, 250, {4, 4, 4}},
        {{30, 0, 1}, 30, {3, 4, 3, 3, 4, 3}}, // the clip's pace kept over the frames
        {{50, 2, 3}, 50, {2, 2}},
        {{10, 0, 10.004}, 100, {10}}, // a container's rounding is not another frame
        {{10, 0, 0.05}, 1, {10}},
        {{10, 3, 3}, 0, {}},
        {{0, 0, 1}, 0, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.choice.rate << " " << c.choice.start << "-" << c.choice.end);
        EXPECT_EQ(c.frames, VideoFrameCount(c.choice));
        for (size_t i = 0; i < c.delays.size(); ++i)
            EXPECT_EQ(c.delays[i], VideoFrameDelay(c.choice, int(i)));
    }
    VideoClipInfo phone;
    phone.size = wxSize(1080, 1920);
    phone.duration = 12.5;
    phone.frameRate = 59.94;
    const VideoChoice chosen = DefaultVideoChoice(phone);
    EXPECT_DOUBLE_EQ(kMaxVideoFrameRate, chosen.rate);
    EXPECT_EQ(625, VideoFrameCount(chosen));
    EXPECT_EQ(625LL * 1080 * 1920 * 3, VideoPictureBytes(phone, chosen));
    EXPECT_TRUE(VideoChoiceWithinLimits(phone, chosen));
    EXPECT_FALSE(VideoChoiceWithinLimits(phone, {50, 0, 100}));
}

TEST(VideoEntry, RecognisedByExtension)
{
    const std::pair<const char*, bool> cases[] = {
        {"/a/clip.mp4", true},      {"/a/CLIP.MOV", true},          {"/a/x.webm_1200", true},
        {"/a/x.mkv_0-2000@25000", true}, {"/a/x.m4v", true},        {"/a/x.avi", true},
        {"/a/x.mp4_12a", false},    {"/a/x.mp4.png", false},        {"/a/x.gif_3", false},
        {"/a.mp4/picture", false},  {"/a/x.mp4_1-2", false},        {"/a/mp4", false},
    };
    for (const auto& [entry, isVideo] : cases)
        EXPECT_EQ(isVideo, IsVideoEntry(entry)) << entry;
    EXPECT_EQ("/a/x.mp4_1500-4000@12500", VideoRangeEntry("/a/x.mp4", {12.5, 1.5, 4}));
}

// The video fuzz target's seeds go through the entry point as it sends them.
TEST(VideoEntry, FuzzSeedsGiveTheirFrames)
{
    wxArrayString seeds;
    wxDir::GetAllFiles(PELAGRIN_FUZZ_SEEDS "/video", &seeds);
    ASSERT_FALSE(seeds.empty());
    const wxString input = MakeScratchDir("seeds") + "/input.mkv";
    for (const wxString& seed : seeds)
    {
        SCOPED_TRACE(seed);
        ASSERT_TRUE(wxCopyFile(seed, input));
        for (const wxString& entry : {input, VideoRangeEntry(input, {7.5, 0.1, 0.9}), input + "_40"})
            EXPECT_FALSE(DecodeEntryPictures(entry).pictures.empty()) << entry;
    }
}
