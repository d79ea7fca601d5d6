// GIF files made by giflib's encoder, so that the cases do not depend on our
// own writer, decoded into the frames a viewer shows.
#include "support/GifDecode.h"
#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "window/GifDecoder.h"
#include "window/GifSave.h"
#include "window/ImageDecoding.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filefn.h>

#include <map>
#include <string>

namespace
{
// Pixels are written as letters; '.' in an expected frame is transparent.
const std::map<char, uint32_t> kColours = {{'r', 0xFF0000}, {'g', 0x00FF00}, {'b', 0x0000FF},
                                           {'w', 0xFFFFFF}, {'k', 0x000000}, {'y', 0xFFFF00}};
const std::string kGlobalTable = "rgbw";

struct TestImage
{
    int left, top, width, height;
    std::string pixels;   // row after row, letters of the image's table
    int delay = -1;       // no control block when negative
    int disposal = 0;
    int transparent = -1; // index into the table
    std::string localTable = {};
    bool interlaced = false;
};

struct TestGif
{
    int width, height;
    std::vector<TestImage> images;
    bool looping = false;
};

ColorMapObject* MakeTable(const std::string& letters)
{
    std::vector<GifColorType> colours;
    for (char letter : letters)
    {
        const uint32_t c = kColours.at(letter);
        colours.push_back({GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)});
    }
    return GifMakeMapObject(int(colours.size()), colours.data());
}

int WriteToVector(GifFileType* gif, const GifByteType* bytes, int count)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + count);
    return count;
}

void PutImage(GifFileType* gif, const TestImage& image)
{
    if (image.delay >= 0)
    {
        const GraphicsControlBlock control{image.disposal, false, image.delay, image.transparent};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
    }
    ColorMapObject* local = image.localTable.empty() ? nullptr : MakeTable(image.localTable);
    EGifPutImageDesc(gif, image.left, image.top, image.width, image.height, image.interlaced, local);
    const std::string& table = image.localTable.empty() ? kGlobalTable : image.localTable;
    std::vector<GifPixelType> indices;
    for (char letter : image.pixels)
        indices.push_back(GifPixelType(table.find(letter)));
    static const int kPasses[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    auto putRow = [&](int row) { EGifPutLine(gif, &indices[size_t(row) * image.width], image.width); };
    if (!image.interlaced)
        for (int row = 0; row < image.height; ++row)
            putRow(row);
    else
        for (const auto& pass : kPasses)
            for (int row = pass[0]; row < image.height; row += pass[1])
                putRow(row);
    GifFreeMapObject(local);
}

std::vector<uint8_t> EncodeGif(const TestGif& description)
{
    std::vector<uint8_t> bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, WriteToVector, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = MakeTable(kGlobalTable);
    EGifPutScreenDesc(gif, description.width, description.height, 2, 0, global);
    GifFreeMapObject(global);
    if (description.looping)
    {
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
        EGifPutExtensionBlock(gif, 3, "\x01\x00\x00");
        EGifPutExtensionTrailer(gif);
    }
    for (const TestImage& image : description.images)
        PutImage(gif, image);
    EGifCloseFile(gif, &error);
    return bytes;
}

std::string Letters(const wxImage& frame)
{
    std::string letters;
    for (int y = 0; y < frame.GetHeight(); ++y)
        for (int x = 0; x < frame.GetWidth(); ++x)
        {
            char letter = '?';
            for (const auto& colour : kColours)
                if (colour.second == PixelColour(frame, x, y))
                    letter = colour.first;
            letters += frame.HasAlpha() && frame.GetAlpha(x, y) == 0 ? '.' : letter;
        }
    return letters;
}

std::vector<wxImage> DecodeAll(const std::vector<uint8_t>& bytes)
{
    GifDecoder decoder;
    std::vector<wxImage> frames;
    if (!decoder.Open(bytes.data(), bytes.size()))
        return frames;
    for (wxImage frame; decoder.NextFrame(frame);)
    {
        EXPECT_EQ(decoder.GetScreenSize(), frame.GetSize());
        frames.push_back(frame);
    }
    EXPECT_EQ(size_t(decoder.GetFrameCount()), frames.size());
    return frames;
}

struct ComposeCase
{
    const char* name;
    TestGif gif;
    std::vector<std::string> frames; // rows run together
};

const ComposeCase kComposeCases[] = {
    {"offset, nothing else drawn", {3, 2, {{1, 1, 1, 1, "g", 5}}}, {"....g."}},
    {"transparent index keeps what is below",
     {2, 2, {{0, 0, 2, 2, "rgbr", 10}, {0, 0, 2, 2, "bwwb", 10, 1, 3}}},
     {"rgbr", "bgbb"}},
    {"disposal 2 clears to transparent",
     {2, 2, {{0, 0, 2, 2, "rrrr", 10}, {0, 0, 1, 1, "g", 10, 2}, {1, 1, 1, 1, "b", 10}}},
     {"rrrr", "grrr", ".rrb"}},
    {"disposal 3 restores what was there",
     {2, 2, {{0, 0, 2, 2, "rrrr", 10}, {0, 0, 2, 1, "gg", 10, 3}, {1, 1, 1, 1, "b", 10}}},
     {"rrrr", "ggrr", "rrrb"}},
    {"local table", {2, 1, {{0, 0, 2, 1, "yk", 10, 0, -1, "ky"}}}, {"yk"}},
    {"interlaced rows in their places",
     {1, 9, {{0, 0, 1, 9, "rgbwrgbwk", 10, 0, -1, "rgbwkyyy", true}}},
     {"rgbwrgbwk"}},
    {"image partly outside the screen", {2, 2, {{1, 1, 2, 2, "gbbb", 10}}}, {"...g"}},
    {"tiles without delays are one picture", {2, 1, {{0, 0, 1, 1, "r"}, {1, 0, 1, 1, "g"}}}, {"rg"}},
    {"a looping file without delays shows every image",
     {2, 1, {{0, 0, 1, 1, "r"}, {1, 0, 1, 1, "g"}}, true},
     {"r.", "rg"}},
    {"full-screen images without delays are frames, a tile joins the one before",
     {2, 1, {{0, 0, 2, 1, "rg"}, {0, 0, 2, 1, "bw"}, {1, 0, 1, 1, "r"}}},
     {"rg", "br"}},
    {"images shown for no time join the next",
     {2, 1, {{0, 0, 1, 1, "r", 0}, {1, 0, 1, 1, "g", 10}, {0, 0, 1, 1, "b"}}},
     {"rg", "bg"}},
};
} // namespace

TEST(GifDecoder, ComposesFramesAsAViewerShowsThem)
{
    for (const ComposeCase& c : kComposeCases)
    {
        SCOPED_TRACE(c.name);
        const std::vector<wxImage> frames = DecodeAll(EncodeGif(c.gif));
        ASSERT_EQ(c.frames.size(), frames.size());
        for (size_t i = 0; i < frames.size(); ++i)
        {
            EXPECT_EQ(wxSize(c.gif.width, c.gif.height), frames[i].GetSize());
            EXPECT_EQ(c.frames[i], Letters(frames[i])) << "frame " << i;
        }
    }
}

// A frame keeps its own delay; the 0 a browser plays as 10 becomes 10, and a
// frame without a control block leaves the choice to the program.
TEST(GifDecoder, FramesKeepTheirDelays)
{
    const TestGif gif = {2, 1,
                         {{0, 0, 2, 1, "rg", 10},
                          {0, 0, 2, 1, "gr", 200},
                          {0, 0, 1, 1, "b", 0},
                          {1, 0, 1, 1, "w", 10},
                          {0, 0, 2, 1, "rr", 0}}};
    const std::vector<uint8_t> bytes = EncodeGif(gif);
    GifDecoder decoder;
    ASSERT_TRUE(decoder.Open(bytes.data(), bytes.size()));
    // The tile shown for no time joins the frame after it.
    const std::vector<int> expected = {10, 200, 10, 10};
    ASSERT_EQ(int(expected.size()), decoder.GetFrameCount());
    for (int i = 0; i < decoder.GetFrameCount(); ++i)
        EXPECT_EQ(expected[i], decoder.GetFrameDelay(i)) << "frame " << i;

    const TestGif withoutDelays = {1, 1, {{0, 0, 1, 1, "r"}, {0, 0, 1, 1, "g"}}};
    const std::vector<uint8_t> plain = EncodeGif(withoutDelays);
    ASSERT_TRUE(decoder.Open(plain.data(), plain.size()));
    ASSERT_EQ(2, decoder.GetFrameCount());
    EXPECT_EQ(0, decoder.GetFrameDelay(0));
}

// Each cut and each changed byte of a valid file: no crash, nothing outside
// the screen, and the frames before a cut as they were (all of them when
// only the trailer is missing).
TEST(GifDecoder, DamagedFilesKeepWhatCanBeShown)
{
    const std::vector<uint8_t> intact = EncodeGif(kComposeCases[3].gif);
    const std::vector<wxImage> expected = DecodeAll(intact);
    for (size_t length = 0; length < intact.size(); ++length)
    {
        SCOPED_TRACE(length);
        const std::vector<uint8_t> cut(intact.begin(), intact.begin() + length);
        const std::vector<wxImage> frames = DecodeAll(cut);
        const bool onlyTrailerMissing = length + 1 == intact.size();
        ASSERT_EQ(onlyTrailerMissing ? expected.size() : frames.size(), frames.size());
        ASSERT_LE(frames.size(), expected.size());
        for (size_t i = 0; i < frames.size(); ++i)
        {
            if (i + 1 < frames.size() || onlyTrailerMissing)
            {
                EXPECT_TRUE(SamePixels(expected[i], frames[i])) << "frame " << i;
            }
        }
    }
    for (size_t position = 0; position < intact.size(); ++position)
        for (uint8_t flip : {0x01, 0x80, 0xFF})
        {
            std::vector<uint8_t> damaged = intact;
            damaged[position] ^= flip;
            DecodeAll(damaged);
        }
}

TEST(GifDecoder, FileDeclaringImpossibleSizes)
{
    // Screen 2 x 2, global table of 2, an image of the given size at 0,0.
    auto file = [](int screenWidth, int imageWidth, int imageHeight) {
        std::vector<uint8_t> bytes = {'G', 'I', 'F', '8', '9', 'a', uint8_t(screenWidth), 0, 2, 0, 0x80, 0, 0,
                                      0xFF, 0, 0, 0, 0xFF, 0, 0x2C, 0, 0, 0, 0,
                                      uint8_t(imageWidth), uint8_t(imageWidth >> 8), uint8_t(imageHeight),
                                      uint8_t(imageHeight >> 8), 0, 2, 2, 0x4C, 0x01, 0, 0x3B};
        return bytes;
    };
    const struct
    {
        std::vector<uint8_t> bytes;
        wxSize screen;
    } cases[] = {
        {file(2, 0, 2), wxSize(2, 2)},          // an image of width 0 draws nothing
        {file(0, 2, 2), wxSize(2, 2)},          // a screen of width 0 takes the image's
        {file(2, 65535, 1), wxSize(2, 2)},      // clipped to the screen
    };
    for (const auto& c : cases)
    {
        const std::vector<wxImage> frames = DecodeAll(c.bytes);
        ASSERT_EQ(1u, frames.size());
        EXPECT_EQ(c.screen, frames[0].GetSize());
    }
}

namespace
{
// Codes of one size from a given bit position, least significant bit first,
// as GIF packs them.
struct CodeWriter
{
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    int count = 0;

    void Put(int code, int size)
    {
        bits |= uint32_t(code) << count;
        for (count += size; count >= 8; count -= 8, bits >>= 8)
            bytes.push_back(uint8_t(bits));
    }
};

// One image of 2-bit indices whose codes are all single indices after one
// clear code: the decoder's table fills at code 4095 and the encoder goes on
// with 12-bit codes without clearing it, as the format allows.
std::vector<uint8_t> GifWithFullTable(int width, int height, std::vector<uint8_t>& indices)
{
    const int clear = 4;
    CodeWriter codes;
    int size = 3;
    int next = clear + 2;
    codes.Put(clear, size);
    for (int i = 0; i < width * height; ++i)
    {
        indices.push_back(uint8_t((i * 7 + i / 5) % 4));
        codes.Put(indices.back(), size);
        // The decoder adds a string for every code after the first.
        if (i > 0 && next < 4096 && ++next == (1 << size) && size < 12)
            ++size;
    }
    codes.Put(clear + 1, size);
    codes.Put(0, 7);
    std::vector<uint8_t> file = {'G', 'I', 'F', '8', '7', 'a', uint8_t(width), uint8_t(width >> 8), uint8_t(height),
                                 uint8_t(height >> 8), 0x81, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255,
                                 0x2C, 0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8), uint8_t(height),
                                 uint8_t(height >> 8), 0, 2};
    for (size_t at = 0; at < codes.bytes.size(); at += 255)
    {
        const size_t length = std::min<size_t>(255, codes.bytes.size() - at);
        file.push_back(uint8_t(length));
        file.insert(file.end(), codes.bytes.begin() + at, codes.bytes.begin() + at + length);
    }
    file.push_back(0);
    file.push_back(0x3B);
    return file;
}
} // namespace

TEST(GifDecoder, TableFullWithoutClearCodeKeepsDecoding)
{
    const int width = 100, height = 60;
    std::vector<uint8_t> indices;
    const std::vector<wxImage> frames = DecodeAll(GifWithFullTable(width, height, indices));
    ASSERT_EQ(1u, frames.size());
    const uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    for (int y : {0, 40, height - 1})
        for (int x : {0, 57, width - 1})
        {
            SCOPED_TRACE(testing::Message() << x << ", " << y);
            EXPECT_EQ(colours[indices[size_t(y) * width + x]], PixelColour(frames[0], x, y));
        }
}

// Hands the decoded frames to the save.
class FrameList : public GifFrameSource
{
public:
    explicit FrameList(const std::vector<wxImage>& frames) : m_frames(frames) {}
    int GetFrameCount() const override { return int(m_frames.size()); }
    wxImage GetFrame(int index) override { return m_frames[index].Copy(); }

private:
    std::vector<wxImage> m_frames;
};

// A red ball moving across, stored as changed rectangles with unchanged
// pixels transparent, the way optimising tools write it: it comes in as the
// source pictures and is saved as them.
TEST(GifDecoder, OptimisedAnimationRoundTripsThroughTheSave)
{
    std::vector<wxImage> sources;
    for (int step = 0; step < 3; ++step)
    {
        sources.push_back(SolidImage(12, 8, 0xFFFFFF));
        sources.back().SetRGB(wxRect(1 + 4 * step, 3, 3, 3), 255, 0, 0);
    }
    // Blue, unused in the pictures, marks the unchanged pixels.
    const std::string moved = "wwwbrrrwwwbrrrwwwbrrr";
    const TestGif optimised{
        12, 8, {{0, 0, 12, 8, Letters(sources[0]), 20}, {1, 3, 7, 3, moved, 20, 1, 2}, {5, 3, 7, 3, moved, 20, 1, 2}}, true};
    const wxString dir = MakeScratchDir("gifdecoder");
    ASSERT_TRUE(WriteFileBytes(dir + "/optimised.gif", EncodeGif(optimised)));
    std::vector<wxImage> decoded;
    ASSERT_TRUE(DecodePictureEntry(
        dir + "/optimised.gif", [&](wxImage&& frame, const wxString&, int, bool, int) { decoded.push_back(frame); },
        nullptr));
    ASSERT_EQ(sources.size(), decoded.size());
    GifSaveSettings settings;
    settings.path = dir + "/saved.gif";
    settings.width = 12;
    settings.height = 8;
    settings.delay = 20;
    settings.options.storeChangedOnly = false; // whole frames, to compare them as they are stored
    FrameList frames(decoded);
    ASSERT_TRUE(SaveGifAnimation(settings, frames).ok);
    const DecodedGif saved = DecodeGifFile(settings.path);
    ASSERT_TRUE(saved.ok) << saved.error;
    ASSERT_EQ(sources.size(), saved.frames.size());
    for (size_t i = 0; i < sources.size(); ++i)
    {
        EXPECT_TRUE(SamePixels(sources[i], decoded[i])) << "decoded frame " << i;
        EXPECT_TRUE(SamePixels(sources[i], saved.frames[i].rgb)) << "saved frame " << i;
    }
}

// The fuzz targets' picture seeds, and every input they found harmful, go
// through the entry point as the picture fuzzer sends them.
TEST(DecodePictureEntry, FuzzSeedsDoNoHarm)
{
    wxArrayString seeds;
    wxDir::GetAllFiles(PELAGRIN_FUZZ_SEEDS "/picture", &seeds);
    ASSERT_FALSE(seeds.empty());
    const wxString input = MakeScratchDir("seeds") + "/input.gif";
    for (const wxString& seed : seeds)
    {
        SCOPED_TRACE(seed);
        ASSERT_TRUE(wxCopyFile(seed, input));
        for (const wxString& entry : {input, input + "_2"})
            DecodePictureEntry(entry, [](wxImage&&, const wxString&, int, bool, int) {}, nullptr);
    }
}
