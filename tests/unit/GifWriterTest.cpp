#include "support/GifDecode.h"
#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "window/gif_gifhandler.h"

#include <gtest/gtest.h>
#include <wx/mstream.h>

#include <algorithm>
#include <numeric>

namespace
{
using Bytes = std::vector<uint8_t>;

size_t ColourTableSize(uint8_t packed)
{
    return (packed & 0x80) ? 3u << ((packed & 7) + 1) : 0;
}

Bytes Slice(const Bytes& bytes, size_t at, size_t size)
{
    return at + size <= bytes.size() ? Bytes(bytes.begin() + at, bytes.begin() + at + size) : Bytes();
}

// Where each image descriptor starts, found by walking the blocks.
std::vector<size_t> ImageDescriptors(const Bytes& bytes)
{
    std::vector<size_t> found;
    size_t at = bytes.size() > 10 ? 13 + ColourTableSize(bytes[10]) : bytes.size();
    while (at + 10 < bytes.size() && (bytes[at] == 0x21 || bytes[at] == 0x2C))
    {
        if (bytes[at] == 0x2C)
            found.push_back(at);
        at += bytes[at] == 0x2C ? 11 + ColourTableSize(bytes[at + 9]) : 2; // to the sub-blocks
        while (at < bytes.size() && bytes[at] != 0)
            at += bytes[at] + 1;
        ++at;
    }
    return found;
}

// The last data sub-blocks' terminator, then one trailer.
bool EndsWithTrailer(const Bytes& bytes)
{
    return bytes.size() > 2 && bytes[bytes.size() - 2] == 0x00 && bytes.back() == 0x3B;
}

Bytes StreamBytes(const wxMemoryOutputStream& out)
{
    const uint8_t* start = static_cast<const uint8_t*>(out.GetOutputStreamBuffer()->GetBufferStart());
    return Bytes(start, start + out.GetLength());
}

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
    return StreamBytes(out);
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

TEST(GifWriter, WorkedExampleByteForByte)
{
    const wxImage frame = PalettedImage(2, 1, {0x000000, 0xFFFFFF}, {0, 1});
    const Bytes bytes = WriteAnimation({frame}, 100);
    const Bytes expected = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00,
        0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,
        0x21, 0xFF, 0x0B, 0x4E, 0x45, 0x54, 0x53, 0x43, 0x41, 0x50, 0x45, 0x32, 0x2E, 0x30,
        0x03, 0x01, 0x00, 0x00, 0x00,
        0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00,
        0x2C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00,
        0x08};
    EXPECT_EQ(expected, Slice(bytes, 0, expected.size()));
    EXPECT_TRUE(EndsWithTrailer(bytes));
}

TEST(GifWriter, ColourTablesAndGraphicControl)
{
    struct Case
    {
        int entries;
        int mask; // 0xRRGGBB, or -1 for none
        int delayMilliSecs;
        uint8_t screenPacked, laterPacked;
        Bytes control;
    };
    const Case cases[] = {
        {1, -1, 100, 0x80, 0x80, {0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00}},
        {3, -1, 70, 0xA1, 0xA1, {0x21, 0xF9, 0x04, 0x00, 0x07, 0x00, 0x00, 0x00}},
        {5, -1, 3000, 0xC2, 0x82, {0x21, 0xF9, 0x04, 0x00, 0x2C, 0x01, 0x00, 0x00}},
        {6, 0x030303, 100, 0xC2, 0x82, {0x21, 0xF9, 0x04, 0x01, 0x0A, 0x00, 0x03, 0x00}}, // the mask is entry 3
        {16, -1, 100, 0xE3, 0xA3, {0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00}},
        {17, -1, 100, 0x84, 0x84, {0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00}},
        {200, 0xFF00FF, 100, 0xE7, 0xA7, {0x21, 0xF9, 0x04, 0x01, 0x0A, 0x00, 200, 0x00}}, // it joins the palette
        {256, 0xFF00FF, 100, 0xE7, 0xA7, {0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00}}, // no room for it
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(wxString::Format("%d entries, delay %d", c.entries, c.delayMilliSecs));
        wxImage frame = FrameWithColours(c.entries);
        if (c.mask >= 0)
            frame.SetMaskColour(c.mask >> 16, (c.mask >> 8) & 0xFF, c.mask & 0xFF);
        const Bytes bytes = WriteAnimation({frame, frame}, c.delayMilliSecs);
        const std::vector<size_t> frames = ImageDescriptors(bytes);
        ASSERT_EQ(2u, frames.size());
        EXPECT_EQ(c.screenPacked, bytes[10]);
        EXPECT_EQ(0x00, bytes[frames[0] + 9]);
        EXPECT_EQ(c.laterPacked, bytes[frames[1] + 9]);
        EXPECT_EQ(c.control, Slice(bytes, frames[0] - 8, 8));
        // The palette, the mask colour when it had to join it, then black
        // padding; the later frame's own table the same.
        const size_t tableSize = ColourTableSize(c.screenPacked);
        Bytes table(tableSize, 0);
        for (int i = 0; i < c.entries; ++i)
            std::fill_n(table.begin() + i * 3, 3, uint8_t(i));
        if (c.control[3] == 1 && c.control[6] == c.entries)
            std::copy_n(Bytes{255, 0, 255}.begin(), 3, table.begin() + c.entries * 3);
        EXPECT_EQ(table, Slice(bytes, 13, tableSize));
        EXPECT_EQ(table, Slice(bytes, frames[1] + 10, tableSize));
        EXPECT_EQ(8, bytes[frames[1] + 10 + tableSize]); // LZW minimum code size
        EXPECT_TRUE(EndsWithTrailer(bytes));
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

TEST(GifWriter, HeaderAndTrailerFollowTheFramesActuallyWritten)
{
    // Large enough for the compressor's code table to fill up and restart.
    std::vector<int> indices;
    for (int p = 0; p < 301 * 97; ++p)
        indices.push_back((p * 7 + p / 301) % 256);
    const wxImage good = PalettedImage(301, 97, Greys(256), indices);
    wxImage strayColour = FrameWithColours(4);
    strayColour.SetRGB(2, 0, 9, 9, 9);
    const wxImage noPalette = SolidImage(3, 1, 0x123456);
    const wxImage tooWide = PalettedImage(kMaxGifSide + 1, 1, {0xFFFFFF}, std::vector<int>(kMaxGifSide + 1, 0));
    const std::vector<wxImage> frames = {noPalette, strayColour, tooWide, good, good, noPalette};

    wxMemoryOutputStream out;
    SetGifOutputStream(&out);
    for (int i = 0; i < int(frames.size()); ++i)
    {
        SCOPED_TRACE(i);
        MyGifHandler handler;
        EXPECT_EQ(i == 3 || i == 4, WriteAnimationFrame(frames[i], handler, 100, int(frames.size()), i));
        if (i == 2)
        {
            EXPECT_EQ(0, out.GetLength()); // frames that cannot be stored write nothing
            EXPECT_FALSE(FinishGifAnimation());
        }
    }
    // The writer could not know that the last frame would fail.
    EXPECT_FALSE(EndsWithTrailer(StreamBytes(out)));
    EXPECT_TRUE(FinishGifAnimation());
    EXPECT_TRUE(FinishGifAnimation()); // the trailer goes out once only
    SetGifOutputStream(nullptr);

    const Bytes bytes = StreamBytes(out);
    EXPECT_TRUE(EndsWithTrailer(bytes));
    const std::vector<size_t> written = ImageDescriptors(bytes);
    ASSERT_EQ(2u, written.size());
    EXPECT_EQ(0x00, bytes[written[0] + 9]); // the first written frame uses the global table
    const DecodedGif gif = DecodeBytes(bytes);
    ASSERT_TRUE(gif.ok) << gif.error;
    ASSERT_EQ(2u, gif.frames.size());
    EXPECT_TRUE(SamePixels(good, gif.frames[0].rgb));
    EXPECT_TRUE(SamePixels(good, gif.frames[1].rgb));
}
