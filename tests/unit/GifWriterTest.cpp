#include "support/GifDecode.h"
#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "window/gif_gifhandler.h"

#include <gtest/gtest.h>
#include <wx/mstream.h>

#include <string>

namespace
{
using Bytes = std::vector<uint8_t>;

// The blocks of a written file, byte for byte.
struct RawFrame
{
    Bytes control;     // graphic control extension, 8 bytes
    uint8_t packed = 0; // image descriptor's packed byte
    Bytes localTable;
    uint8_t codeSize = 0;
};

struct RawGif
{
    uint8_t screenPacked = 0;
    Bytes globalTable;
    std::vector<RawFrame> frames;
    std::vector<std::string> comments;
    bool trailer = false;
};

size_t SkipSubBlocks(const Bytes& bytes, size_t at, std::string* data = nullptr)
{
    while (at < bytes.size() && bytes[at] != 0)
    {
        if (data)
            data->append(bytes.begin() + at + 1, bytes.begin() + at + 1 + bytes[at]);
        at += bytes[at] + 1;
    }
    return at + 1;
}

Bytes TableAt(const Bytes& bytes, size_t& at, uint8_t packed)
{
    const size_t size = 3u << ((packed & 7) + 1);
    Bytes table(bytes.begin() + at, bytes.begin() + at + size);
    at += size;
    return table;
}

RawGif ParseRawGif(const Bytes& bytes)
{
    RawGif gif;
    if (bytes.size() < 13)
        return gif;
    gif.screenPacked = bytes[10];
    size_t at = 13;
    gif.globalTable = TableAt(bytes, at, gif.screenPacked);
    RawFrame frame;
    while (at < bytes.size())
    {
        const uint8_t block = bytes[at];
        if (block == 0x3B)
        {
            gif.trailer = at + 1 == bytes.size();
            break;
        }
        if (block == 0x21 && bytes[at + 1] == 0xF9)
        {
            frame.control.assign(bytes.begin() + at, bytes.begin() + at + 8);
            at += 8;
        }
        else if (block == 0x21 && bytes[at + 1] == 0xFE)
        {
            std::string text;
            at = SkipSubBlocks(bytes, at + 2, &text);
            gif.comments.push_back(text);
        }
        else if (block == 0x21)
            at = SkipSubBlocks(bytes, at + 3 + bytes[at + 2]);
        else if (block == 0x2C)
        {
            frame.packed = bytes[at + 9];
            at += 10;
            if (frame.packed & 0x80)
                frame.localTable = TableAt(bytes, at, frame.packed);
            frame.codeSize = bytes[at];
            at = SkipSubBlocks(bytes, at + 1);
            gif.frames.push_back(frame);
            frame = RawFrame();
        }
        else
            break;
    }
    return gif;
}

Bytes StreamBytes(const wxMemoryOutputStream& out)
{
    const wxStreamBuffer* buffer = out.GetOutputStreamBuffer();
    const uint8_t* start = static_cast<const uint8_t*>(buffer->GetBufferStart());
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

// A frame using every entry of a palette of count colours.
wxImage FrameWithColours(int count)
{
    std::vector<int> indices;
    for (int i = 0; i < count; ++i)
        indices.push_back(i);
    return PalettedImage(count, 1, Greys(count), indices);
}

// Accepts a number of bytes, then fails every write.
class FailingStream : public wxOutputStream
{
public:
    explicit FailingStream(size_t room) : m_room(room) {}

protected:
    size_t OnSysWrite(const void*, size_t size) override
    {
        if (size <= m_room)
        {
            m_room -= size;
            return size;
        }
        const size_t written = m_room;
        m_room = 0;
        m_lasterror = wxSTREAM_WRITE_ERROR;
        return written;
    }

private:
    size_t m_room;
};
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
    ASSERT_GT(bytes.size(), expected.size() + 2);
    EXPECT_EQ(expected, Bytes(bytes.begin(), bytes.begin() + expected.size()));
    EXPECT_EQ(0x00, bytes[bytes.size() - 2]); // end of the data sub-blocks
    EXPECT_EQ(0x3B, bytes.back());

    const DecodedGif gif = DecodeBytes(bytes);
    ASSERT_TRUE(gif.ok) << gif.error;
    ASSERT_EQ(1u, gif.frames.size());
    EXPECT_EQ(10, gif.frames[0].delay);
    EXPECT_TRUE(gif.hasLoopExtension);
    EXPECT_EQ(0, gif.loopCount);
    EXPECT_TRUE(SamePixels(frame, gif.frames[0].rgb));
}

TEST(GifWriter, ColourTableSizeAndPackedBytes)
{
    struct Case
    {
        int entries, tableEntries;
        uint8_t screenPacked, laterPacked;
    };
    const Case cases[] = {{1, 2, 0x80, 0x80},     {2, 2, 0x80, 0x80},     {3, 4, 0xA1, 0xA1},
                          {5, 8, 0xC2, 0x82},     {16, 16, 0xE3, 0xA3},   {17, 32, 0x84, 0x84},
                          {200, 256, 0xE7, 0xA7}, {256, 256, 0xE7, 0xA7}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.entries);
        const wxImage frame = FrameWithColours(c.entries);
        const RawGif gif = ParseRawGif(WriteAnimation({frame, frame}));
        ASSERT_EQ(2u, gif.frames.size());
        EXPECT_EQ(c.screenPacked, gif.screenPacked);
        EXPECT_EQ(0x00, gif.frames[0].packed);
        EXPECT_EQ(c.laterPacked, gif.frames[1].packed);
        EXPECT_EQ(size_t(c.tableEntries) * 3, gif.globalTable.size());
        EXPECT_EQ(gif.globalTable, gif.frames[1].localTable);
        EXPECT_EQ(8, gif.frames[1].codeSize);
        // The palette, then black padding.
        for (int i = 0; i < c.tableEntries; ++i)
            EXPECT_EQ(i < c.entries ? i : 0, gif.globalTable[i * 3]) << "entry " << i;
    }
}

TEST(GifWriter, MaskColourFindsOrJoinsThePalette)
{
    unsigned char table[256 * 3];
    int count = 0, mask = 0;

    wxImage inPalette = FrameWithColours(6);
    inPalette.SetMaskColour(3, 3, 3);
    ASSERT_TRUE(ExtractFramePalette(inPalette, table, count, mask));
    EXPECT_EQ(6, count);
    EXPECT_EQ(3, mask);
    const RawGif written = ParseRawGif(WriteAnimation({inPalette}));
    ASSERT_EQ(1u, written.frames.size());
    EXPECT_EQ((Bytes{0x21, 0xF9, 0x04, 0x01, 0x0A, 0x00, 0x03, 0x00}), written.frames[0].control);

    wxImage missing = FrameWithColours(200);
    missing.SetMaskColour(255, 0, 255);
    ASSERT_TRUE(ExtractFramePalette(missing, table, count, mask));
    EXPECT_EQ(201, count);
    EXPECT_EQ(200, mask);
    EXPECT_EQ((Bytes{255, 0, 255}), Bytes(table + 600, table + 603));
    const RawGif grown = ParseRawGif(WriteAnimation({missing}));
    ASSERT_EQ(1u, grown.frames.size());
    EXPECT_EQ(0x01, grown.frames[0].control[3]);
    EXPECT_EQ(200, grown.frames[0].control[6]);
    EXPECT_EQ(0xE7, grown.screenPacked);

    wxImage full = FrameWithColours(256);
    full.SetMaskColour(255, 0, 255);
    ASSERT_TRUE(ExtractFramePalette(full, table, count, mask));
    EXPECT_EQ(256, count);
    EXPECT_EQ(-1, mask);
    const RawGif noRoom = ParseRawGif(WriteAnimation({full}));
    ASSERT_EQ(1u, noRoom.frames.size());
    EXPECT_EQ(0x00, noRoom.frames[0].control[3]);
    EXPECT_EQ(0x00, noRoom.frames[0].control[6]);
}

TEST(GifWriter, DelayIsWrittenInHundredths)
{
    const wxImage frame = FrameWithColours(2);
    const RawGif seven = ParseRawGif(WriteAnimation({frame}, 70));
    const RawGif long_ = ParseRawGif(WriteAnimation({frame}, 3000));
    ASSERT_EQ(1u, seven.frames.size());
    ASSERT_EQ(1u, long_.frames.size());
    EXPECT_EQ((Bytes{0x07, 0x00}), Bytes(seven.frames[0].control.begin() + 4, seven.frames[0].control.begin() + 6));
    EXPECT_EQ((Bytes{0x2C, 0x01}), Bytes(long_.frames[0].control.begin() + 4, long_.frames[0].control.begin() + 6));
}

TEST(GifWriter, ColourListedTwiceGetsItsLowerIndex)
{
    const wxImage frame = PalettedImage(3, 1, {0xFF0000, 0x0000FF, 0xFF0000}, {2, 1, 2});
    const DecodedGif gif = DecodeBytes(WriteAnimation({frame}));
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ((std::vector<uint8_t>{0, 1, 0}), gif.frames[0].indices);
}

TEST(GifWriter, OddWidthsAndSeveralFramesDecodeElsewhere)
{
    const wxImage first = PalettedImage(5, 3, {0x102030, 0xFFEEDD, 0x00FF00},
                                        {0, 1, 2, 1, 0, 2, 2, 1, 0, 0, 1, 1, 0, 2, 2});
    const wxImage second = PalettedImage(5, 3, Greys(5), {0, 1, 2, 3, 4, 4, 3, 2, 1, 0, 0, 0, 0, 0, 0});
    const wxImage third = PalettedImage(5, 3, Greys(17), {16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2});
    const DecodedGif gif = DecodeBytes(WriteAnimation({first, second, third}, 250));
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(5, gif.screenWidth);
    EXPECT_EQ(3, gif.screenHeight);
    EXPECT_EQ(4, gif.globalColourCount);
    EXPECT_TRUE(gif.hasLoopExtension);
    EXPECT_EQ(0, gif.loopCount);
    ASSERT_EQ(3u, gif.frames.size());
    EXPECT_EQ(0, gif.frames[0].localColourCount);
    EXPECT_EQ(8, gif.frames[1].localColourCount);
    EXPECT_EQ(32, gif.frames[2].localColourCount);
    for (const DecodedGifFrame& frame : gif.frames)
    {
        EXPECT_EQ(5, frame.width);
        EXPECT_EQ(3, frame.height);
        EXPECT_EQ(25, frame.delay);
    }
    EXPECT_TRUE(SamePixels(first, gif.frames[0].rgb));
    EXPECT_TRUE(SamePixels(third, gif.frames[2].rgb));
}

TEST(GifWriter, LargerFramesRoundTripThroughTheCompressor)
{
    // Enough pixels for the code table to fill up and restart.
    std::vector<int> indices;
    for (int p = 0; p < 301 * 97; ++p)
        indices.push_back((p * 7 + p / 301) % 256);
    const wxImage frame = PalettedImage(301, 97, Greys(256), indices);
    const DecodedGif gif = DecodeBytes(WriteAnimation({frame, frame}));
    ASSERT_TRUE(gif.ok) << gif.error;
    ASSERT_EQ(2u, gif.frames.size());
    EXPECT_TRUE(SamePixels(frame, gif.frames[0].rgb));
    EXPECT_TRUE(SamePixels(frame, gif.frames[1].rgb));
}

TEST(GifWriter, CommentOptionWritesSubBlocks)
{
    wxImage frame = FrameWithColours(2);
    const std::string text(300, 'c');
    frame.SetOption(wxIMAGE_OPTION_GIF_COMMENT, wxString(text));
    const Bytes bytes = WriteAnimation({frame});
    const RawGif gif = ParseRawGif(bytes);
    ASSERT_EQ(1u, gif.comments.size());
    EXPECT_EQ(text, gif.comments[0]);
    EXPECT_TRUE(DecodeBytes(bytes).ok);
    EXPECT_TRUE(ParseRawGif(WriteAnimation({FrameWithColours(2)})).comments.empty());
}

TEST(GifWriter, FramesThatCannotBeStoredWriteNothing)
{
    wxMemoryOutputStream out;
    SetGifOutputStream(&out);
    MyGifHandler handler;
    // No palette.
    EXPECT_FALSE(WriteAnimationFrame(SolidImage(4, 4, 0x123456), handler, 100, 1, 0));
    // A pixel whose colour is not in the palette.
    wxImage stray = FrameWithColours(4);
    stray.SetRGB(2, 0, 9, 9, 9);
    EXPECT_FALSE(WriteAnimationFrame(stray, handler, 100, 1, 0));
    // Too wide for the format.
    const wxImage wide = PalettedImage(kMaxGifSide + 1, 1, {0xFFFFFF}, std::vector<int>(kMaxGifSide + 1, 0));
    EXPECT_FALSE(WriteAnimationFrame(wide, handler, 100, 1, 0));
    EXPECT_EQ(0, out.GetLength());
    EXPECT_FALSE(FinishGifAnimation());
    EXPECT_EQ(0, out.GetLength());
    SetGifOutputStream(nullptr);
}

TEST(GifWriter, HeaderAndTrailerFollowTheFramesActuallyWritten)
{
    const wxImage good = FrameWithColours(3);
    const wxImage bad = SolidImage(3, 1, 0x123456); // no palette
    const Bytes bytes = WriteAnimation({bad, good, good, bad});
    ASSERT_GT(bytes.size(), 6u);
    EXPECT_EQ("GIF89a", std::string(bytes.begin(), bytes.begin() + 6));
    EXPECT_NE(0x3B, bytes.back()); // the writer cannot know frame 3 will fail

    wxMemoryOutputStream out;
    SetGifOutputStream(&out);
    const std::vector<wxImage> frames = {bad, good, good, bad};
    for (int i = 0; i < 4; ++i)
    {
        MyGifHandler handler;
        EXPECT_EQ(i == 1 || i == 2, WriteAnimationFrame(frames[i], handler, 100, 4, i));
    }
    EXPECT_TRUE(FinishGifAnimation());
    EXPECT_TRUE(FinishGifAnimation()); // once only
    SetGifOutputStream(nullptr);
    const Bytes finished = StreamBytes(out);
    EXPECT_EQ(bytes.size() + 1, finished.size());
    const RawGif raw = ParseRawGif(finished);
    EXPECT_TRUE(raw.trailer);
    ASSERT_EQ(2u, raw.frames.size());
    EXPECT_EQ(0x00, raw.frames[0].packed); // the first written frame uses the global table
    EXPECT_EQ(0xA1, raw.frames[1].packed);
    const DecodedGif gif = DecodeBytes(finished);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(2u, gif.frames.size());
}

TEST(GifWriter, FailedWritesAreReported)
{
    const wxImage frame = FrameWithColours(3);
    const size_t total = WriteAnimation({frame, frame}).size();
    // Room for nothing, for part of the header, for part of the pixel data,
    // and for everything but the trailer.
    for (size_t room : {size_t(0), size_t(20), total / 2 + 10, total - 1})
    {
        SCOPED_TRACE(room);
        FailingStream out(room);
        SetGifOutputStream(&out);
        bool allWritten = true;
        for (int i = 0; i < 2; ++i)
        {
            MyGifHandler handler;
            allWritten = WriteAnimationFrame(frame, handler, 100, 2, i) && allWritten;
        }
        EXPECT_FALSE(allWritten);
        EXPECT_FALSE(out.IsOk());
        SetGifOutputStream(nullptr);
    }
}
