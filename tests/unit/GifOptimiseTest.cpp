// What a decoder shows of a saved animation, frame by frame over time,
// whichever way the frames are stored. Files are read with giflib.
#include "support/GifDecode.h"
#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "window/FrameConversion.h"
#include "window/GifSave.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{
class DelayedFrames : public GifFrameSource
{
public:
    DelayedFrames(std::vector<wxImage> frames, std::vector<int> delays) : m_frames(std::move(frames)), m_delays(std::move(delays)) {}
    int GetFrameCount() const override { return int(m_frames.size()); }
    wxImage GetFrame(int index) override { return m_frames[index].Copy(); }
    int GetFrameDelay(int index) const override { return m_delays.empty() ? 0 : m_delays[index]; }

private:
    std::vector<wxImage> m_frames;
    std::vector<int> m_delays;
};

// The picture on screen for every hundredth of a second of the animation.
using Timeline = std::vector<std::vector<uint8_t>>;

Timeline ShownOverTime(const DecodedGif& gif)
{
    Timeline shown;
    std::vector<uint8_t> canvas(size_t(gif.screenWidth) * gif.screenHeight * 3, 0);
    for (const DecodedGifFrame& frame : gif.frames)
    {
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x)
            {
                const size_t from = size_t(y) * frame.width + x;
                if (frame.indices[from] == frame.transparentIndex)
                    continue;
                const size_t to = (size_t(frame.top + y) * gif.screenWidth + frame.left + x) * 3;
                std::copy(&frame.rgb[from * 3], &frame.rgb[from * 3] + 3, &canvas[to]);
            }
        shown.insert(shown.end(), size_t(frame.delay), canvas);
    }
    return shown;
}

// Saves with a delay of 5 for frames without their own; returns the path.
wxString Save(const std::vector<wxImage>& frames, const std::vector<int>& delays, const GifOptions& options,
              int threads = 0)
{
    DelayedFrames source(frames, delays);
    GifSaveSettings settings{MakeScratchDir("optimise") + "/saved.gif", frames[0].GetWidth(), frames[0].GetHeight(),
                             5, options, threads};
    const GifSaveResult result = SaveGifAnimation(settings, source);
    EXPECT_TRUE(result.ok) << result.error;
    return settings.path;
}

DecodedGif SaveAndDecode(const std::vector<wxImage>& frames, const std::vector<int>& delays, const GifOptions& options)
{
    return DecodeGifFile(Save(frames, delays, options));
}

wxImage Noise(int width, int height, int colours, unsigned seed)
{
    std::mt19937 random(seed);
    wxImage image(width, height, false);
    for (int p = 0; p < width * height; ++p)
    {
        const uint32_t colour = (random() % colours) * 0x010203u;
        image.GetData()[p * 3] = uint8_t(colour >> 16);
        image.GetData()[p * 3 + 1] = uint8_t(colour >> 8);
        image.GetData()[p * 3 + 2] = uint8_t(colour);
    }
    return image;
}

wxImage WithPixel(wxImage image, int x, int y, uint32_t colour)
{
    image.SetRGB(x, y, colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF);
    return image;
}

wxImage WithMask(wxImage image)
{
    image.SetMaskColour(0x10, 0x20, 0x30);
    return image;
}

wxImage Gradient(int width, int height)
{
    wxImage gradient(width, height, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            gradient.SetRGB(x, y, x * 255 / (width - 1), y * 255 / (height - 1), (x + y) * 255 / (width + height - 2));
    return gradient;
}

// Many greys, and the same with squares of some of its greys painted in turn.
std::vector<wxImage> GreysThenSquares(int greys, int squares, int firstGrey)
{
    wxImage first(greys, greys, false);
    for (int y = 0; y < greys; ++y)
        for (int x = 0; x < greys; ++x)
            first.SetRGB(x, y, uint8_t(firstGrey + x), uint8_t(firstGrey + x), uint8_t(firstGrey + x));
    std::vector<wxImage> frames{first};
    for (int i = 0; i < squares; ++i)
    {
        const int grey = firstGrey + greys - 1 - i;
        wxImage frame = frames.back().Copy();
        frame.Paste(SolidImage(4, 4, uint32_t(grey) * 0x010101u), 1 + i % 3, 2 + i % 5);
        frames.push_back(frame);
    }
    return frames;
}

// The LZW minimum code size of every image in a GIF file.
std::vector<int> MinimumCodeSizes(const std::vector<uint8_t>& gif)
{
    std::vector<int> sizes;
    const auto tableBytes = [](uint8_t flags) { return flags & 0x80 ? 3 * (2 << (flags & 7)) : 0; };
    size_t p = 13 + tableBytes(gif.at(10));
    const auto skipSubBlocks = [&] {
        while (gif.at(p) != 0)
            p += gif.at(p) + 1;
        ++p;
    };
    while (gif.at(p) != 0x3B)
    {
        if (gif.at(p) == 0x21)
        {
            p += 2;
            skipSubBlocks();
            continue;
        }
        p += 10 + tableBytes(gif.at(p + 9));
        sizes.push_back(gif.at(p++));
        skipSubBlocks();
    }
    return sizes;
}

double Psnr(const wxImage& expected, const std::vector<uint8_t>& shown)
{
    double error = 0;
    for (size_t i = 0; i < shown.size(); ++i)
        error += std::pow(double(expected.GetData()[i]) - shown[i], 2);
    return error == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * shown.size() / error);
}
} // namespace

TEST(GifOptimise, ShowsWhatTheFullFrameFileShows)
{
    const wxImage flat = SolidImage(30, 20, 0x336699);
    const wxImage noise = Noise(120, 90, 256, 1); // fills the code table several times
    const wxImage fewColours = Noise(200, 200, 6, 4);
    wxImage halfChanged = fewColours.Copy();
    halfChanged.Paste(Noise(200, 100, 6, 5), 0, 0);
    const wxImage tiny = SolidImage(2, 2, 0x102030);
    std::vector<wxImage> manyFrames;
    for (int i = 0; i < 1100; ++i)
        manyFrames.push_back(WithPixel(SolidImage(8, 8, 0x808080), i % 8, (i / 8) % 8, 0xFF0000 + uint32_t(i % 7)));
    GifOptions lossless;
    lossless.quality = 100;
    struct Case
    {
        const char* name;
        std::vector<wxImage> frames;
        std::vector<int> delays; // empty: the save's delay for all
        int storedFrames;        // when only changes are stored
    };
    const Case cases[] = {
        {"static", {flat, flat, flat}, {}, 1},
        {"moving pixel", {flat, WithPixel(flat, 3, 4, 0xFF0000), WithPixel(flat, 4, 4, 0xFF0000), flat}, {7, 8, 9, 10}, 4},
        {"identical in the middle", {flat, WithPixel(flat, 0, 0, 0), WithPixel(flat, 0, 0, 0), flat}, {3, 4, 5, 6}, 3},
        {"transparency in the source", {flat, WithMask(WithPixel(flat, 9, 9, 0x102030)), flat}, {}, 3},
        {"noise everywhere", {noise, Noise(120, 90, 256, 2), noise}, {}, 3},
        {"many colours, changing", {ColourfulImage(64, 48), ColourfulImage(64, 48).Rotate180(), ColourfulImage(64, 48)}, {}, 3},
        {"colours needed late", GreysThenSquares(200, 6, 0), {}, 7},
        {"few colours filling the code table, half changed", {fewColours, halfChanged, fewColours}, {}, 3},
        {"delays too long to merge", {tiny, tiny, tiny}, {40000, 40000, 40000}, 3},
        {"more frames than are held back at once", manyFrames, {}, int(manyFrames.size())},
        {"more than one table's colours", {GreysThenSquares(200, 0, 0)[0], GreysThenSquares(200, 0, 50)[0], Noise(200, 200, 256, 3)}, {}, 3},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        GifOptions full = lossless;
        full.storeChangedOnly = false;
        const DecodedGif whole = SaveAndDecode(c.frames, c.delays, full);
        const DecodedGif changes = SaveAndDecode(c.frames, c.delays, lossless);
        ASSERT_TRUE(whole.ok && changes.ok) << whole.error << changes.error;
        EXPECT_EQ(c.frames.size(), whole.frames.size());
        EXPECT_EQ(size_t(c.storedFrames), changes.frames.size());
        const Timeline expected = ShownOverTime(whole);
        const Timeline actual = ShownOverTime(changes);
        ASSERT_EQ(expected.size(), actual.size()); // merged frames last as long
        for (size_t t = 0; t < expected.size(); ++t)
            ASSERT_EQ(expected[t], actual[t]) << "at " << t << " hundredths";
        for (size_t i = 0; i < c.frames.size() && c.frames[i].CountColours(256) <= 256; ++i)
            EXPECT_TRUE(SamePixels(FitFrameImage(c.frames[i], c.frames[i].GetWidth(), c.frames[i].GetHeight()), whole.frames[i].rgb)) << i;
    }
}

// A frame's codes are as wide as the highest index it needs: the colours
// that later frames change to come first in the table, wherever they are in
// the first frame.
TEST(GifOptimise, FramesNeedingFewColoursGetNarrowCodes)
{
    GifOptions lossless;
    lossless.quality = 100;
    const std::vector<int> sizes = MinimumCodeSizes(ReadFileBytes(Save(GreysThenSquares(200, 6, 0), {}, lossless)));
    ASSERT_EQ(7u, sizes.size());
    EXPECT_EQ(8, sizes[0]);
    for (size_t i = 1; i < sizes.size(); ++i)
        EXPECT_LE(sizes[i], 3) << i;
}

TEST(GifOptimise, RepeatCountInTheLoopingExtension)
{
    struct Case
    {
        int repeat;
        bool extension;
        int loopCount; // repetitions after the first play
    };
    for (const Case& c : {Case{0, true, 0}, Case{1, false, -1}, Case{2, true, 1}, Case{10, true, 9}})
    {
        SCOPED_TRACE(c.repeat);
        GifOptions options;
        options.repeat = c.repeat;
        const DecodedGif gif = SaveAndDecode({SolidImage(4, 4, 0), SolidImage(4, 4, 0xFFFFFF)}, {}, options);
        ASSERT_TRUE(gif.ok) << gif.error;
        EXPECT_EQ(c.extension, gif.hasLoopExtension);
        EXPECT_EQ(c.loopCount, gif.loopCount);
    }
}

// At the default quality, photographic frames stay close to the pictures
// and screen content between them stays exact (frames of few colours), and
// the bytes are the same whatever the number of threads.
TEST(GifOptimise, DefaultQualityStaysCloseWhateverTheThreads)
{
    const wxImage gradient = Gradient(96, 64);
    std::vector<wxImage> photographs;
    for (int i = 0; i < 6; ++i)
    {
        wxImage frame = gradient.Copy();
        frame.Paste(SolidImage(12, 12, 0xFFFFFF), 8 + i * 12, 20);
        photographs.push_back(i % 3 == 2 ? photographs.back() : frame);
    }
    const wxImage screen = WithPixel(SolidImage(64, 48, 0xEEEEEE), 5, 5, 0x0000FF);
    const std::vector<wxImage> screenAroundPhotographs = {screen,
                                                          WithPixel(screen, 6, 5, 0x0000FF),
                                                          Gradient(64, 48),
                                                          Gradient(64, 48).Rotate180(),
                                                          screen,
                                                          WithPixel(screen, 7, 9, 0)};
    const std::vector<wxImage>* sets[] = {&photographs, &screenAroundPhotographs};
    for (const std::vector<wxImage>* frames : sets)
    {
        std::vector<std::vector<uint8_t>> files;
        for (int threads : {1, 3})
        {
            const wxString path = Save(*frames, {}, GifOptions(), threads);
            const DecodedGif gif = DecodeGifFile(path);
            ASSERT_TRUE(gif.ok) << gif.error;
            const Timeline shown = ShownOverTime(gif);
            ASSERT_EQ(frames->size() * 5, shown.size());
            for (size_t i = 0; i < frames->size(); ++i)
            {
                const wxImage& frame = (*frames)[i];
                if (frame.CountColours(256) <= 256)
                    EXPECT_TRUE(SamePixels(frame, shown[i * 5])) << i;
                else
                    EXPECT_GT(Psnr(frame, shown[i * 5]), 30) << i;
            }
            files.push_back(ReadFileBytes(path));
        }
        EXPECT_EQ(files[0], files[1]);
    }
}

// The logical screen descriptor gives the global table's size twice: as its
// size and as the colour resolution, each in bits - 1, in their own fields.
TEST(GifOptimise, ScreenDescriptorFields)
{
    for (const auto& [colours, packed] : {std::pair<int, uint8_t>{2, 0x80}, {5, 0xA2}, {200, 0xF7}})
    {
        SCOPED_TRACE(colours);
        wxImage frame(colours, 1, false);
        for (int x = 0; x < colours; ++x)
            frame.SetRGB(x, 0, x, x, x);
        const std::vector<uint8_t> bytes = ReadFileBytes(Save({frame}, {}, GifOptions()));
        ASSERT_GT(bytes.size(), 10u);
        EXPECT_EQ(packed, bytes[10]);
        EXPECT_TRUE(DecodeGifFile(Save({frame}, {}, GifOptions())).ok);
    }
}
