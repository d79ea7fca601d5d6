#include "support/TestImages.h"
#include "window/FrameConversion.h"

#include <gtest/gtest.h>
#include <set>

namespace
{
const uint32_t kRed = 0xFF0000;

// The image's colours in the order they first appear, row by row.
ColourList ColoursInOrder(const wxImage& image)
{
    ColourList colours;
    std::set<uint32_t> seen;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (seen.insert(PixelColour(image, x, y)).second)
                colours.push_back(PixelColour(image, x, y));
    return colours;
}

// 13 flat colours in bands, like a screen capture; the second row starts
// with another band.
wxImage FlatThirteenColours()
{
    wxImage image(91, 2, false);
    for (int band = 0; band < 13; ++band)
    {
        image.SetRGB(wxRect(band * 7, 0, 7, 1), band * 19, 255 - band * 17, (band * 53) & 0xFF);
        image.SetRGB(wxRect((band + 12) % 13 * 7, 1, 7, 1), band * 19, 255 - band * 17, (band * 53) & 0xFF);
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
        {101, 51, 200, 200, wxRect(49, 74, 101, 51)}, // odd gaps truncate
        {161, 10, 100, 300, wxRect(0, 147, 99, 6)},   // 99.99... truncated, the gap black
        {5000, 2, 100, 100, wxRect(0, 49, 100, 1)},   // a sliver keeps a pixel
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(wxString::Format("%d x %d into %d x %d", c.pictureWidth, c.pictureHeight,
                                      c.canvasWidth, c.canvasHeight));
        const FrameFit fit = ComputeFrameFit(c.pictureWidth, c.pictureHeight, c.canvasWidth, c.canvasHeight);
        EXPECT_EQ(c.expected, wxRect(fit.left, fit.top, fit.width, fit.height));
        const wxImage fitted =
            FitFrameImage(SolidImage(c.pictureWidth, c.pictureHeight, kRed), c.canvasWidth, c.canvasHeight);
        wxImage expected = SolidImage(c.canvasWidth, c.canvasHeight, 0);
        expected.SetRGB(c.expected, 255, 0, 0);
        EXPECT_TRUE(SamePixels(expected, fitted));
    }
    EXPECT_FALSE(FitFrameImage(wxImage(), 10, 10).IsOk());
    EXPECT_FALSE(FitFrameImage(SolidImage(4, 4, kRed), 0, 10).IsOk());
}

TEST(FrameFit, TransparentPartsComeOutBlack)
{
    wxImage masked = SolidImage(4, 2, kRed);
    masked.SetRGB(1, 0, 0, 255, 0);
    masked.SetMaskColour(0, 255, 0);
    wxImage expected = SolidImage(6, 2, 0);
    expected.SetRGB(wxRect(1, 0, 4, 2), 255, 0, 0);
    expected.SetRGB(2, 0, 0, 0, 0);
    EXPECT_TRUE(SamePixels(expected, FitFrameImage(masked, 6, 2)));
    EXPECT_FALSE(FitFrameImage(masked, 6, 2).HasMask());

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

TEST(ReducePalette, FewColoursStayExactInOrderOfAppearance)
{
    // ColourfulImage(16, 16) has exactly 256 colours.
    for (const wxImage& picture : {FlatThirteenColours(), ColourfulImage(16, 16)})
    {
        SCOPED_TRACE(wxString::Format("%d x %d", picture.GetWidth(), picture.GetHeight()));
        wxImage fitted = picture.Copy();
        const wxImage reduced = ReducePalette(fitted);
        EXPECT_TRUE(SamePixels(picture, reduced));
        EXPECT_EQ(ColoursInOrder(picture), PaletteColours(reduced));
    }
}
