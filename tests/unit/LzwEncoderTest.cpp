// The LZW coder's output read back by giflib: each pixel shows its own
// index or, where it may stay, the transparent one, and the indices the
// coder reports are the ones a decoder reads, across clears of a full code
// table and changes of way between them.
#include "support/GifDecode.h"
#include "support/TestEnvironment.h"
#include "window/GifWriter.h"
#include "window/LzwEncoder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace
{
// One frame of the given image data over a table of 2^bits greys.
DecodedGif DecodeImageData(int width, int height, int bits, int transparent, const std::vector<uint8_t>& data)
{
    GifBlocks::ColourTable greys;
    for (int i = 0; i < (1 << bits); ++i)
        greys.push_back(uint32_t(i) * 0x010101u);
    GifBlocks::Bytes file;
    GifBlocks::AppendHeader(file, width, height, greys);
    GifBlocks::AppendGraphicControl(file, 0, transparent);
    GifBlocks::AppendImageDescriptor(file, 0, 0, width, height, GifBlocks::ColourTable());
    file.insert(file.end(), data.begin(), data.end());
    GifBlocks::AppendTrailer(file);
    const wxString path = MakeScratchDir("lzw") + "/coded.gif";
    std::ofstream(path.ToStdString(), std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                               std::streamsize(file.size()));
    return DecodeGifFile(path);
}
} // namespace

TEST(LzwEncoder, MixedWaysDecodeToTheIndicesChosen)
{
    // Above, rows of sparse "text" in five colours that may mostly stay;
    // below, a plain background with a few specks where every other pixel
    // may stay, which only its own index keeps plain. Enough codes to fill
    // the table several times.
    const int width = 320, height = 480, transparent = 7;
    std::mt19937 random(7);
    std::vector<uint8_t> wanted(size_t(width) * height), mayStay(wanted.size()), longRuns(wanted.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const size_t p = size_t(y) * width + x;
            const bool above = y < height / 3;
            wanted[p] = above && y % 12 < 8 && random() % 3 == 0 ? uint8_t(1 + random() % 5)
                                                                  : uint8_t(random() % 50 == 0 ? 6 : 0);
            mayStay[p] = above ? random() % 16 != 0 : random() % 2 == 0;
            longRuns[p] = mayStay[p] && x > width / 2;
        }
    LzwPixels plain;
    plain.count = wanted.size();
    plain.minimumCodeSize = 3;
    plain.wanted = wanted.data();
    plain.transparentIndex = transparent;
    std::vector<LzwPixels> ways(4, plain);
    ways[1].keepable = mayStay.data();
    ways[2].keepable = mayStay.data();
    ways[2].alwaysTransparent = true;
    ways[3].keepable = longRuns.data();

    LzwEncoder encoder;
    GifBlocks::Bytes data;
    std::vector<uint8_t> chosen;
    encoder.EncodeMixed(ways, data, chosen);
    ASSERT_GT(encoder.CodesWritten(), 4096u); // the table was cleared
    const DecodedGif gif = DecodeImageData(width, height, 3, transparent, data);
    ASSERT_TRUE(gif.ok) << gif.error;
    ASSERT_EQ(1u, gif.frames.size());
    const std::vector<uint8_t>& decoded = gif.frames[0].indices;
    ASSERT_EQ(wanted.size(), decoded.size());
    EXPECT_EQ(chosen, decoded);
    size_t stayed = 0;
    for (size_t p = 0; p < decoded.size(); ++p)
    {
        if (decoded[p] == transparent)
        {
            ASSERT_TRUE(mayStay[p]) << p;
            ++stayed;
        }
        else
            ASSERT_EQ(wanted[p], decoded[p]) << p;
    }
    EXPECT_GT(stayed, 0u);
}
