// The fast PNG and JPEG decoders give exactly the pixels, alpha and mask
// colour that the toolkit's own readers give, over every PNG colour type and
// depth, interlaced or not, with and without transparency, and over the
// kinds of JPEG that cameras and editors write.
#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "window/ImageDecoding.h"
#include "window/PictureDecoders.h"

#include <gtest/gtest.h>
#include <spng.h>
#include <turbojpeg.h>
#include <wx/log.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
struct PngCase
{
    const char* name;
    uint8_t colourType;
    uint8_t depth;
    enum
    {
        Plain,
        ColourKey,         // tRNS naming one colour (types 0 and 2)
        OnOffAlpha,        // alpha only 0 or 255 (palette tRNS, or an alpha channel)
        AllOpaqueAlpha,    // an alpha channel that is 255 everywhere
        PartialAlpha       // alpha of every value
    } transparency;
};

#if defined(__SANITIZE_ADDRESS__)
#define PELAGRIN_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELAGRIN_ADDRESS_SANITIZER 1
#endif
#endif

uint32_t Crc32(const uint8_t* bytes, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    while (size--)
    {
        crc ^= *bytes++;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

long VirtualMemoryBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmSize:", 0) == 0)
            return std::atol(line.c_str() + 7) * 1024;
    return -1;
}

uint32_t NextRandom(uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// Samples of the given depth, chosen so that the colour key of a ColourKey
// case (sample value 1 in every channel) occurs.
std::vector<uint8_t> PngRows(const PngCase& c, int width, int height, uint32_t seed)
{
    const int channels = c.colourType == 2 ? 3 : c.colourType == 4 ? 2 : c.colourType == 6 ? 4 : 1;
    const int bitsPerPixel = channels * c.depth;
    const size_t rowBytes = (size_t(width) * bitsPerPixel + 7) / 8;
    std::vector<uint8_t> rows(rowBytes * height);
    for (auto& byte : rows)
        byte = uint8_t(NextRandom(seed));
    const bool hasAlpha = c.colourType == 4 || c.colourType == 6;
    if (hasAlpha)
    {
        const int sampleBytes = c.depth / 8;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                uint8_t* alpha = &rows[y * rowBytes + (size_t(x) * channels + channels - 1) * sampleBytes];
                const uint32_t r = NextRandom(seed);
                const uint8_t value = c.transparency == PngCase::AllOpaqueAlpha ? 255
                                      : c.transparency == PngCase::OnOffAlpha ? (r % 3 ? 255 : 0)
                                                                              : uint8_t(r);
                for (int b = 0; b < sampleBytes; ++b)
                    alpha[b] = value;
            }
    }
    if (c.transparency == PngCase::ColourKey && c.depth == 8)
        for (int i = 0; i < channels; ++i)
        {
            rows[size_t(i)] = 1;
            if (height > 1)
                rows[rowBytes + size_t(i)] = 1;
        }
    return rows;
}

bool WritePng(const wxString& path, const PngCase& c, bool interlaced, int width, int height,
              int filters = SPNG_FILTER_CHOICE_ALL)
{
    std::FILE* file = std::fopen(path.fn_str(), "wb");
    if (!file)
        return false;
    spng_ctx* png = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_ihdr header{uint32_t(width), uint32_t(height), c.depth, c.colourType, 0, 0, uint8_t(interlaced)};
    bool ok = spng_set_png_file(png, file) == 0 && spng_set_ihdr(png, &header) == 0 &&
              spng_set_option(png, SPNG_FILTER_CHOICE, filters) == 0;
    if (c.colourType == 3)
    {
        spng_plte palette{};
        palette.n_entries = 1u << c.depth;
        uint32_t seed = 99;
        for (uint32_t i = 0; i < palette.n_entries; ++i)
            palette.entries[i] = {uint8_t(NextRandom(seed)), uint8_t(i * 37), uint8_t(255 - i), 0};
        ok = ok && spng_set_plte(png, &palette) == 0;
    }
    spng_trns transparent{};
    transparent.gray = transparent.red = transparent.green = transparent.blue = c.depth == 16 ? 0x0101 : 1;
    if (c.colourType == 3 && c.transparency != PngCase::Plain)
    {
        transparent.n_type3_entries = 1u << c.depth;
        for (uint32_t i = 0; i < transparent.n_type3_entries; ++i)
            transparent.type3_alpha[i] = c.transparency == PngCase::OnOffAlpha ? (i % 3 ? 255 : 0) : uint8_t(i * 53);
    }
    if (c.transparency == PngCase::ColourKey || (c.colourType == 3 && c.transparency != PngCase::Plain))
        ok = ok && spng_set_trns(png, &transparent) == 0;
    // A gamma the file declares is not applied, by either reader.
    ok = ok && spng_set_gama(png, 0.7) == 0;
    const std::vector<uint8_t> rows = PngRows(c, width, height, uint32_t(width * 131 + c.colourType * 7 + c.depth));
    ok = ok && spng_encode_image(png, rows.data(), rows.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) == 0;
    spng_ctx_free(png);
    return std::fclose(file) == 0 && ok;
}

::testing::AssertionResult SameImage(const wxImage& expected, const wxImage& actual)
{
    if (!expected.IsOk() || !actual.IsOk())
        return ::testing::AssertionFailure() << "decoded: toolkit " << expected.IsOk() << ", ours " << actual.IsOk();
    ::testing::AssertionResult pixels = SamePixels(expected, actual);
    if (!pixels)
        return pixels;
    if (expected.HasMask() != actual.HasMask() ||
        (expected.HasMask() && (expected.GetMaskRed() != actual.GetMaskRed() ||
                                expected.GetMaskGreen() != actual.GetMaskGreen() ||
                                expected.GetMaskBlue() != actual.GetMaskBlue())))
        return ::testing::AssertionFailure() << "mask " << actual.HasMask() << " instead of " << expected.HasMask();
    if (expected.HasAlpha() != actual.HasAlpha())
        return ::testing::AssertionFailure() << "alpha " << actual.HasAlpha() << " instead of " << expected.HasAlpha();
    const size_t count = size_t(expected.GetWidth()) * expected.GetHeight();
    if (expected.HasAlpha() && !std::equal(expected.GetAlpha(), expected.GetAlpha() + count, actual.GetAlpha()))
        return ::testing::AssertionFailure() << "alpha values differ";
    return ::testing::AssertionSuccess();
}

wxImage ToolkitDecode(const wxString& path, wxBitmapType type)
{
    wxLogNull quiet;
    wxImage image;
    image.LoadFile(path, type);
    return image;
}
} // namespace

TEST(PictureDecoders, PngSameAsToolkit)
{
    const wxString dir = MakeScratchDir("png-decoders");
    const PngCase cases[] = {
        {"grey1", 0, 1, PngCase::Plain},        {"grey2", 0, 2, PngCase::Plain},
        {"grey4", 0, 4, PngCase::Plain},        {"grey8", 0, 8, PngCase::Plain},
        {"grey16", 0, 16, PngCase::Plain},      {"grey8-key", 0, 8, PngCase::ColourKey},
        {"grey16-key", 0, 16, PngCase::ColourKey}, {"rgb8", 2, 8, PngCase::Plain},
        {"rgb16", 2, 16, PngCase::Plain},       {"rgb8-key", 2, 8, PngCase::ColourKey},
        {"rgb16-key", 2, 16, PngCase::ColourKey}, {"palette1", 3, 1, PngCase::Plain},
        {"palette2", 3, 2, PngCase::Plain},     {"palette4", 3, 4, PngCase::Plain},
        {"palette8", 3, 8, PngCase::Plain},     {"palette8-onoff", 3, 8, PngCase::OnOffAlpha},
        {"palette4-alpha", 3, 4, PngCase::PartialAlpha}, {"grey-alpha8", 4, 8, PngCase::PartialAlpha},
        {"grey-alpha16", 4, 16, PngCase::PartialAlpha}, {"grey-alpha8-onoff", 4, 8, PngCase::OnOffAlpha},
        {"rgba8", 6, 8, PngCase::PartialAlpha}, {"rgba16", 6, 16, PngCase::PartialAlpha},
        {"rgba8-onoff", 6, 8, PngCase::OnOffAlpha}, {"rgba8-opaque", 6, 8, PngCase::AllOpaqueAlpha},
    };
    const wxSize sizes[] = {{1, 1}, {13, 7}, {33, 35}};
    for (const PngCase& c : cases)
        for (bool interlaced : {false, true})
            for (const wxSize& size : sizes)
            {
                const wxString path =
                    wxString::Format("%s/%s-%d-%dx%d.png", dir, c.name, int(interlaced), size.x, size.y);
                SCOPED_TRACE(path);
                ASSERT_TRUE(WritePng(path, c, interlaced, size.x, size.y));
                wxImage ours;
                EXPECT_TRUE(DecodePngFile(path, kMaxPicturePixels, ours));
                EXPECT_TRUE(SameImage(ToolkitDecode(path, wxBITMAP_TYPE_PNG), ours));
            }
}

// The quick way for common PNGs unfilters rows itself: every filter, at
// every pixel width it takes, must give the toolkit's pixels, and the
// quick way must really be the one that decoded them.
TEST(PictureDecoders, PlainPngEveryFilter)
{
    const wxString dir = MakeScratchDir("png-filters");
    const PngCase cases[] = {
        {"rgb8", 2, 8, PngCase::Plain},           {"rgb16", 2, 16, PngCase::Plain},
        {"rgba8", 6, 8, PngCase::PartialAlpha},   {"rgba16", 6, 16, PngCase::PartialAlpha},
        {"rgba8-opaque", 6, 8, PngCase::AllOpaqueAlpha},
    };
    const int filters[] = {SPNG_FILTER_CHOICE_NONE, SPNG_FILTER_CHOICE_SUB, SPNG_FILTER_CHOICE_UP,
                           SPNG_FILTER_CHOICE_AVG, SPNG_FILTER_CHOICE_PAETH};
    for (const PngCase& c : cases)
        for (int filter : filters)
        {
            const wxString path = wxString::Format("%s/%s-%d.png", dir, c.name, filter);
            SCOPED_TRACE(path);
            ASSERT_TRUE(WritePng(path, c, false, 37, 9, filter));
            const std::vector<uint8_t> bytes = ReadFileBytes(path);
            wxImage ours;
            EXPECT_TRUE(DecodePlainPng(bytes.data(), bytes.size(), kMaxPicturePixels, ours));
            EXPECT_TRUE(SameImage(ToolkitDecode(path, wxBITMAP_TYPE_PNG), ours));
        }
}

TEST(PictureDecoders, JpegSameAsToolkit)
{
    const wxString dir = MakeScratchDir("jpeg-decoders");
    struct JpegCase
    {
        const char* name;
        int pixelFormat;
        int subsampling;
        int flags;
        size_t cutTo; // bytes kept of the file; 0 keeps all
    };
    const JpegCase cases[] = {
        {"rgb444", TJPF_RGB, TJSAMP_444, 0, 0},
        {"rgb420", TJPF_RGB, TJSAMP_420, 0, 0},
        {"rgb422", TJPF_RGB, TJSAMP_422, 0, 0},
        {"grey", TJPF_GRAY, TJSAMP_GRAY, 0, 0},
        {"progressive", TJPF_RGB, TJSAMP_420, TJFLAG_PROGRESSIVE, 0},
        {"cmyk", TJPF_CMYK, TJSAMP_444, 0, 0},
        {"cut-short", TJPF_RGB, TJSAMP_420, 0, 700},
    };
    const int width = 45, height = 31;
    for (const JpegCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        const int channels = tjPixelSize[c.pixelFormat];
        std::vector<unsigned char> pixels(size_t(width) * height * channels);
        uint32_t seed = 7;
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint8_t((i / channels % width) * 5 + (NextRandom(seed) & 31));
        tjhandle encoder = tjInitCompress();
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        ASSERT_EQ(0, tjCompress2(encoder, pixels.data(), width, 0, height, c.pixelFormat, &jpeg, &size, c.subsampling,
                                 85, c.flags));
        std::vector<uint8_t> bytes(jpeg, jpeg + (c.cutTo ? std::min<size_t>(c.cutTo, size) : size));
        tjFree(jpeg);
        tjDestroy(encoder);
        const wxString path = dir + "/" + c.name + ".jpg";
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        wxImage ours;
        EXPECT_TRUE(DecodeJpegFile(path, kMaxPicturePixels, ours));
        EXPECT_TRUE(SameImage(ToolkitDecode(path, wxBITMAP_TYPE_JPEG), ours));
    }
}

// A JPEG layout TurboJPEG refuses (4:1:0 sampling) but the toolkit's reader
// takes still comes in, as that reader shows it.
TEST(PictureDecoders, JpegTurboJpegRefusesComesInThroughTheToolkit)
{
    const int width = 32, height = 16;
    std::vector<unsigned char> pixels(size_t(width) * height * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t(i * 7);
    tjhandle encoder = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(0, tjCompress2(encoder, pixels.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_420, 90, 0));
    std::vector<uint8_t> bytes(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(encoder);
    // The frame header's first component (luma) sampled 4 x 2 instead of 2 x 2.
    size_t frame = 2;
    while (frame + 12 < bytes.size() && !(bytes[frame] == 0xFF && bytes[frame + 1] == 0xC0))
        ++frame;
    ASSERT_LT(frame + 12, bytes.size());
    ASSERT_EQ(0x22, bytes[frame + 11]);
    bytes[frame + 11] = 0x42;
    const wxString path = MakeScratchDir("jpeg-410") + "/sampled-410.jpg";
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    wxImage ours;
    EXPECT_FALSE(DecodeJpegFile(path, kMaxPicturePixels, ours));
    const DecodedEntry result = DecodeEntryPictures(path);
    ASSERT_EQ(1u, result.pictures.size()) << result.failure;
    EXPECT_TRUE(SameImage(ToolkitDecode(path, wxBITMAP_TYPE_JPEG), result.pictures[0].image));
}

TEST(PictureDecoders, RefuseDamageAndExcess)
{
    const wxString dir = MakeScratchDir("refused");
    const PngCase rgb{"rgb8", 2, 8, PngCase::Plain};
    ASSERT_TRUE(WritePng(dir + "/whole.png", rgb, false, 40, 30));
    std::vector<uint8_t> bytes = ReadFileBytes(dir + "/whole.png");
    wxImage image;
    EXPECT_FALSE(DecodePngFile(dir + "/whole.png", 40 * 30 - 1, image));
    EXPECT_FALSE(image.IsOk());
    EXPECT_FALSE(DecodePngBytes(bytes.data(), bytes.size() - 40, kMaxPicturePixels, image));
    EXPECT_FALSE(DecodePlainPng(bytes.data(), bytes.size() - 40, kMaxPicturePixels, image));
    bytes[bytes.size() / 2] ^= 0x55; // image data that fails its checksum
    EXPECT_FALSE(DecodePngBytes(bytes.data(), bytes.size(), kMaxPicturePixels, image));
    EXPECT_FALSE(DecodePlainPng(bytes.data(), bytes.size(), kMaxPicturePixels, image));
    const uint8_t notJpeg[] = {0xFF, 0xD8, 0xFF, 0xD9};
    EXPECT_FALSE(DecodeJpegBytes(notJpeg, sizeof notJpeg, kMaxPicturePixels, image));
}

// A picture within the pixel limit that does not fit in the memory left
// fails with its own message; it must not end the process.
TEST(PictureDecoders, PictureBeyondTheMemoryLeftIsRefused)
{
#ifdef PELAGRIN_ADDRESS_SANITIZER
    GTEST_SKIP() << "the address sanitizer stops the process on a failed allocation";
#endif
    const wxString path = MakeScratchDir("png-memory") + "/tiny.png";
    ASSERT_TRUE(WritePng(path, {"rgba16", 6, 16, PngCase::PartialAlpha}, false, 1, 1));
    // The header made to say 8000 x 8000: half a gigabyte of rows.
    std::vector<uint8_t> png = ReadFileBytes(path);
    ASSERT_GE(png.size(), 33u);
    for (int field : {16, 20})
    {
        png[size_t(field) + 2] = 8000 >> 8;
        png[size_t(field) + 3] = 8000 & 0xFF;
    }
    const uint32_t crc = Crc32(&png[12], 17);
    for (int i = 0; i < 4; ++i)
        png[size_t(29 + i)] = uint8_t(crc >> (24 - 8 * i));
    ASSERT_TRUE(WriteFileBytes(path, png));
    const pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0)
    {
        const rlimit limit{rlim_t(VirtualMemoryBytes() + (64 << 20)), rlim_t(VirtualMemoryBytes() + (64 << 20))};
        setrlimit(RLIMIT_AS, &limit);
        const DecodedEntry result = DecodeEntryPictures(path);
        _exit(!result.ok && result.failure == "There is not enough memory for this picture." ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}
