#include "support/GifDecode.h"
#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "window/FrameConversion.h"
#include "window/gif_gifhandler.h"

#include <gtest/gtest.h>
#include <wx/mstream.h>
#include <wx/palette.h>
#include <wx/wfstream.h>

#include <set>

namespace
{
const uint32_t kRed = 0xFF0000;

// Checks that the picture's colour fills exactly the given rectangle and the
// rest of the canvas is black.
::testing::AssertionResult PlacedAt(const wxImage& canvas, const wxRect& where, uint32_t colour)
{
    for (int y = 0; y < canvas.GetHeight(); ++y)
        for (int x = 0; x < canvas.GetWidth(); ++x)
        {
            const uint32_t expected = where.Contains(x, y) ? colour : 0;
            if (PixelColour(canvas, x, y) != expected)
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex
                                                     << PixelColour(canvas, x, y) << " instead of " << expected;
        }
    return ::testing::AssertionSuccess();
}

std::set<uint32_t> ColoursOf(const wxImage& image)
{
    std::set<uint32_t> colours;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            colours.insert(PixelColour(image, x, y));
    return colours;
}

// 13 flat colours in bands, like a screen capture.
wxImage FlatThirteenColours()
{
    wxImage image(90, 40, false);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 90; ++x)
        {
            const int band = (x / 7 + y / 20) % 13;
            image.SetRGB(x, y, band * 19, 255 - band * 17, (band * 53) & 0xFF);
        }
    return image;
}
// The toolkit's own way to a paletted image: an 8-bit BMP written and read
// back.
wxImage ThroughEightBitBmp(wxImage image)
{
    std::vector<unsigned char> ramp(256);
    for (int i = 0; i < 256; ++i)
        ramp[i] = static_cast<unsigned char>(i);
    image.SetPalette(wxPalette(256, ramp.data(), ramp.data(), ramp.data()));
    image.SetOption(wxIMAGE_OPTION_BMP_FORMAT, wxBMP_8BPP);
    wxMemoryOutputStream out;
    EXPECT_TRUE(image.SaveFile(out, wxBITMAP_TYPE_BMP));
    wxMemoryInputStream in(out);
    return wxImage(in, wxBITMAP_TYPE_BMP);
}

wxImage NoiseImage(int width, int height)
{
    wxImage image(width, height, false);
    uint32_t state = 12345;
    for (int p = 0; p < width * height * 3; ++p)
    {
        state = state * 1103515245 + 12345;
        image.GetData()[p] = static_cast<unsigned char>(state >> 16);
    }
    return image;
}
} // namespace

TEST(FrameFit, Geometry)
{
    struct Case
    {
        int pictureWidth, pictureHeight, canvasWidth, canvasHeight;
        wxRect expected;
    };
    const Case cases[] = {
        {100, 50, 200, 200, wxRect(50, 75, 100, 50)}, // never enlarged
        {400, 200, 200, 200, wxRect(0, 50, 200, 100)},
        {640, 480, 320, 240, wxRect(0, 0, 320, 240)},
        {300, 300, 200, 150, wxRect(25, 0, 150, 150)},
        {200, 150, 200, 150, wxRect(0, 0, 200, 150)},
        {101, 51, 200, 200, wxRect(49, 74, 101, 51)}, // odd gaps truncate
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(wxString::Format("%d x %d into %d x %d", c.pictureWidth, c.pictureHeight,
                                      c.canvasWidth, c.canvasHeight));
        const FrameFit fit = ComputeFrameFit(c.pictureWidth, c.pictureHeight, c.canvasWidth, c.canvasHeight);
        EXPECT_EQ(c.expected, wxRect(fit.left, fit.top, fit.width, fit.height));
        const wxImage fitted =
            FitFrameImage(SolidImage(c.pictureWidth, c.pictureHeight, kRed), c.canvasWidth, c.canvasHeight);
        ASSERT_EQ(wxSize(c.canvasWidth, c.canvasHeight), fitted.GetSize());
        EXPECT_TRUE(PlacedAt(fitted, c.expected, kRed));
    }
}

TEST(FrameFit, ShrinkTruncatesAndKeepsAtLeastAPixel)
{
    // 161 x (100 / 161) comes to 99.99...: truncated to 99, and the gap is black.
    const FrameFit fit = ComputeFrameFit(161, 10, 100, 300);
    EXPECT_EQ(99, fit.width);
    EXPECT_EQ(0, fit.left);
    EXPECT_TRUE(PlacedAt(FitFrameImage(SolidImage(161, 10, kRed), 100, 300),
                         wxRect(0, fit.top, 99, fit.height), kRed));
    const FrameFit sliver = ComputeFrameFit(5000, 2, 100, 100);
    EXPECT_EQ(100, sliver.width);
    EXPECT_EQ(1, sliver.height);
}

TEST(FrameFit, ShrinkPicksNearestPixels)
{
    // Two-pixel stripes halve into one-pixel stripes, with no blended colour.
    wxImage stripes(40, 20, false);
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 20; ++y)
            stripes.SetRGB(x, y, (x / 2) % 2 ? 255 : 0, 0, 0);
    const wxImage fitted = FitFrameImage(stripes, 20, 10);
    ASSERT_EQ(wxSize(20, 10), fitted.GetSize());
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(x % 2 ? kRed : 0u, PixelColour(fitted, x, 5)) << x;
}

TEST(FrameFit, TransparentPartsComeOutBlack)
{
    wxImage masked = SolidImage(4, 2, kRed);
    masked.SetRGB(1, 0, 0, 255, 0);
    masked.SetMaskColour(0, 255, 0);
    const wxImage fromMask = FitFrameImage(masked, 6, 2);
    EXPECT_EQ(0u, PixelColour(fromMask, 2, 0));
    EXPECT_EQ(kRed, PixelColour(fromMask, 1, 0));
    EXPECT_EQ(kRed, PixelColour(fromMask, 3, 1));
    EXPECT_FALSE(fromMask.HasMask());

    wxImage translucent = SolidImage(3, 1, 0xFF8040);
    translucent.InitAlpha();
    translucent.SetAlpha(0, 0, 0);
    translucent.SetAlpha(1, 0, 255);
    translucent.SetAlpha(2, 0, 128);
    // Already the canvas size: still no transparency may pass through.
    const wxImage fromAlpha = FitFrameImage(translucent, 3, 1);
    EXPECT_EQ(0u, PixelColour(fromAlpha, 0, 0));
    EXPECT_EQ(0xFF8040u, PixelColour(fromAlpha, 1, 0));
    EXPECT_EQ(0x804020u, PixelColour(fromAlpha, 2, 0));
    EXPECT_FALSE(fromAlpha.HasAlpha());
}

TEST(FrameFit, InvalidInputGivesAnInvalidImage)
{
    EXPECT_FALSE(FitFrameImage(wxImage(), 10, 10).IsOk());
    EXPECT_FALSE(FitFrameImage(SolidImage(4, 4, kRed), 0, 10).IsOk());
}

TEST(ReducePalette, FewColoursStayExactInOrderOfAppearance)
{
    wxImage fitted = FlatThirteenColours();
    const wxImage reduced = ReducePalette(fitted);
    ASSERT_TRUE(reduced.IsOk());
    EXPECT_TRUE(SamePixels(fitted, reduced));
    const ColourList palette = PaletteColours(reduced);
    ASSERT_EQ(13u, palette.size());
    EXPECT_EQ(PixelColour(fitted, 0, 0), palette[0]);
    EXPECT_EQ(PixelColour(fitted, 7, 0), palette[1]);
    EXPECT_EQ(ColoursOf(fitted), std::set<uint32_t>(palette.begin(), palette.end()));
}

TEST(ReducePalette, ExactlyTwoHundredFiftySixColoursStayExact)
{
    wxImage fitted(16, 16, false);
    for (int p = 0; p < 256; ++p)
        fitted.SetRGB(p % 16, p / 16, p, 255 - p, p / 2);
    const wxImage reduced = ReducePalette(fitted);
    EXPECT_TRUE(SamePixels(fitted, reduced));
    EXPECT_EQ(256u, PaletteColours(reduced).size());
}

TEST(ReducePalette, ManyColoursAreQuantisedIntoThePalette)
{
    wxImage fitted = ColourfulImage(64, 48);
    ASSERT_GT(ColoursOf(fitted).size(), 256u);
    const wxImage reduced = ReducePalette(fitted);
    ASSERT_TRUE(reduced.IsOk());
    EXPECT_EQ(fitted.GetSize(), reduced.GetSize());
    const ColourList palette = PaletteColours(reduced);
    ASSERT_LE(palette.size(), 256u);
    const std::set<uint32_t> inPalette(palette.begin(), palette.end());
    for (uint32_t colour : ColoursOf(reduced))
        EXPECT_TRUE(inPalette.count(colour)) << std::hex << colour;
}

TEST(ReducePalette, ManyColoursGiveWhatTheBmpRoundTripGives)
{
    for (const wxImage& picture : {ColourfulImage(64, 48), ColourfulImage(333, 101), NoiseImage(97, 61)})
    {
        SCOPED_TRACE(wxString::Format("%d x %d", picture.GetWidth(), picture.GetHeight()));
        wxImage fitted = picture.Copy();
        const wxImage reduced = ReducePalette(fitted);
        const wxImage expected = ThroughEightBitBmp(picture);
        ASSERT_TRUE(expected.IsOk());
        EXPECT_TRUE(SamePixels(expected, reduced));
        EXPECT_EQ(PaletteColours(expected), PaletteColours(reduced));
    }
}

TEST(ReducePalette, FlatFrameComesBackFromTheGifUnchanged)
{
    wxImage fitted = FitFrameImage(FlatThirteenColours(), 90, 40);
    const wxImage reduced = ReducePalette(fitted);
    const wxString path = MakeScratchDir("reduce") + "/flat.gif";
    {
        wxFileOutputStream out(path);
        SetGifOutputStream(&out);
        MyGifHandler handler;
        EXPECT_TRUE(WriteAnimationFrame(reduced, handler, 100, 1, 0));
        SetGifOutputStream(nullptr);
    }
    const DecodedGif gif = DecodeGifFile(path);
    ASSERT_TRUE(gif.ok) << gif.error;
    ASSERT_EQ(1u, gif.frames.size());
    EXPECT_TRUE(SamePixels(fitted, gif.frames[0].rgb));
    EXPECT_EQ(16, gif.globalColourCount);
}
