#include "support/GifDecode.h"
#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "window/gif_gifhandler.h"

#include <gtest/gtest.h>
#include <wx/mstream.h>

#include <numeric>

namespace
{
using Bytes = std::vector<uint8_t>;

Bytes WriteAnimation(const std::vector<wxImage>& frames, int delayMilliSecs = 100)
{
    wxMemoryOutputStream out;
    SetGifOutputStream(&out);
    for (size_t i = 0; i < frames.size(); ++i)
    {
        MyGifHandler handler;
        WriteAnimationFrame(frames[i], handler, delayMilliSecs, int(frames.size()), int(i));
    }
    SetGifOutputStream(nullptr);
    const auto* start = static_cast<const uint8_t*>(out.GetOutputStreamBuffer()->GetBufferStart());
    return Bytes(start, start + out.GetLength());
}

DecodedGif DecodeBytes(const Bytes& bytes)
{
    const wxString path = MakeScratchDir("gif") + "/written.gif";
    WriteFileBytes(path, bytes);
    return DecodeGifFile(path);
}

ColourList Greys(int count)
{
    ColourList colours;
    for (int i = 0; i < count; ++i)
        colours.push_back(uint32_t(i) * 0x010101);
    return colours;
}

// A frame using every entry of a palette of count greys.
wxImage FrameWithColours(int count)
{
    std::vector<int> indices(count);
    std::iota(indices.begin(), indices.end(), 0);
    return PalettedImage(count, 1, Greys(count), indices);
}

} // namespace

TEST(GifWriter, ColourTablesAndGraphicControl)
{
    struct Case
    {
        int entries;
        int mask; // 0xRRGGBB, or -1 for none
        int delayMilliSecs;
        uint8_t screenPacked; // flags of the global table, whose size the later frames' tables share
        int transparentIndex;
    };
    const Case cases[] = {
        {1, -1, 100, 0x80, -1},          {3, -1, 70, 0xA1, -1},  {5, -1, 3000, 0xC2, -1},
        {6, 0x030303, 100, 0xC2, 3},     {16, -1, 100, 0xE3, -1}, {17, -1, 100, 0x84, -1},
        {200, 0xFF00FF, 100, 0xE7, 200}, // the mask colour joins the palette
        {256, 0xFF00FF, 100, 0xE7, -1},  // no room for it
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(wxString::Format("%d entries, delay %d", c.entries, c.delayMilliSecs));
        wxImage frame = FrameWithColours(c.entries);
        if (c.mask >= 0)
            frame.SetMaskColour(c.mask >> 16, (c.mask >> 8) & 0xFF, c.mask & 0xFF);
        const Bytes bytes = WriteAnimation({frame, frame}, c.delayMilliSecs);
        ASSERT_GT(bytes.size(), 13u);
        EXPECT_EQ(c.screenPacked, bytes[10]);
        EXPECT_EQ(0x3B, bytes.back());
        const DecodedGif gif = DecodeBytes(bytes);
        ASSERT_TRUE(gif.ok) << gif.error;
        ASSERT_EQ(2u, gif.frames.size());
        const int tableSize = 2 << (c.screenPacked & 7);
        EXPECT_EQ(tableSize, gif.globalColourCount);
        EXPECT_EQ(0, gif.frames[0].localColourCount);
        EXPECT_EQ(tableSize, gif.frames[1].localColourCount);
        for (const DecodedGifFrame& written : gif.frames)
        {
            EXPECT_EQ(c.delayMilliSecs / 10, written.delay);
            EXPECT_EQ(c.transparentIndex, written.transparentIndex);
            EXPECT_TRUE(SamePixels(frame, written.rgb));
        }
    }
}

TEST(GifWriter, OddWidthsAndSeveralFramesDecodeElsewhere)
{
    // The first palette lists a colour twice: its pixels get the lower index.
    const wxImage frames[] = {
        PalettedImage(5, 3, {0x102030, 0xFFEEDD, 0x00FF00, 0xFFEEDD}, {0, 3, 2, 1, 0, 2, 2, 3, 0, 0, 1, 3, 0, 2, 2}),
        PalettedImage(5, 3, Greys(5), {0, 1, 2, 3, 4, 4, 3, 2, 1, 0, 0, 0, 0, 0, 0}),
        PalettedImage(5, 3, Greys(17), {16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2})};
    const DecodedGif gif = DecodeBytes(WriteAnimation({frames[0], frames[1], frames[2]}, 250));
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(wxSize(5, 3), wxSize(gif.screenWidth, gif.screenHeight));
    EXPECT_EQ(4, gif.globalColourCount);
    EXPECT_TRUE(gif.hasLoopExtension);
    EXPECT_EQ(0, gif.loopCount);
    ASSERT_EQ(3u, gif.frames.size());
    EXPECT_EQ((std::vector<uint8_t>{0, 1, 2, 1, 0, 2, 2, 1, 0, 0, 1, 1, 0, 2, 2}), gif.frames[0].indices);
    const int localColours[] = {0, 8, 32};
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(localColours[i], gif.frames[i].localColourCount);
        EXPECT_EQ(25, gif.frames[i].delay);
        EXPECT_TRUE(SamePixels(frames[i], gif.frames[i].rgb));
    }
}
