#include "support/TestImages.h"

#include <wx/ffile.h>
#include <wx/palette.h>

namespace
{
void SetPixelColour(wxImage& image, int x, int y, uint32_t colour)
{
    image.SetRGB(x, y, (colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}

::testing::AssertionResult FirstDifference(int width, const unsigned char* expected,
                                           const unsigned char* actual, size_t pixels)
{
    for (size_t p = 0; p < pixels; ++p)
    {
        const unsigned char* e = expected + p * 3;
        const unsigned char* a = actual + p * 3;
        if (e[0] != a[0] || e[1] != a[1] || e[2] != a[2])
            return ::testing::AssertionFailure()
                   << "pixel (" << p % width << ", " << p / width << ") is " << int(a[0]) << ","
                   << int(a[1]) << "," << int(a[2]) << " instead of " << int(e[0]) << ","
                   << int(e[1]) << "," << int(e[2]);
    }
    return ::testing::AssertionSuccess();
}
} // namespace

wxImage SolidImage(int width, int height, uint32_t colour)
{
    wxImage image(width, height, false);
    image.SetRGB(wxRect(0, 0, width, height), (colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    return image;
}

wxImage PalettedImage(int width, int height, const ColourList& palette, const std::vector<int>& indices)
{
    wxImage image(width, height, false);
    for (int p = 0; p < width * height; ++p)
        SetPixelColour(image, p % width, p / width, palette[indices[p]]);
    std::vector<unsigned char> red, green, blue;
    for (uint32_t colour : palette)
    {
        red.push_back((colour >> 16) & 0xFF);
        green.push_back((colour >> 8) & 0xFF);
        blue.push_back(colour & 0xFF);
    }
    image.SetPalette(wxPalette(int(palette.size()), red.data(), green.data(), blue.data()));
    return image;
}

wxImage ColourfulImage(int width, int height)
{
    wxImage image(width, height, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetRGB(x, y, (x * 7 + y * 3) & 0xFF, (x * 5 + y * 11) & 0xFF, (x * y + x + y) & 0xFF);
    return image;
}

uint32_t PixelColour(const wxImage& image, int x, int y)
{
    return (uint32_t(image.GetRed(x, y)) << 16) | (uint32_t(image.GetGreen(x, y)) << 8) |
           image.GetBlue(x, y);
}

ColourList PaletteColours(const wxImage& image)
{
    ColourList colours;
    if (!image.HasPalette())
        return colours;
    const wxPalette& palette = image.GetPalette();
    for (int i = 0; i < palette.GetColoursCount(); ++i)
    {
        unsigned char r = 0, g = 0, b = 0;
        palette.GetRGB(i, &r, &g, &b);
        colours.push_back((uint32_t(r) << 16) | (uint32_t(g) << 8) | b);
    }
    return colours;
}

::testing::AssertionResult SamePixels(const wxImage& expected, const wxImage& actual)
{
    if (expected.GetSize() != actual.GetSize())
        return ::testing::AssertionFailure() << "size " << actual.GetWidth() << " x " << actual.GetHeight()
                                             << " instead of " << expected.GetWidth() << " x "
                                             << expected.GetHeight();
    return FirstDifference(expected.GetWidth(), expected.GetData(), actual.GetData(),
                           size_t(expected.GetWidth()) * expected.GetHeight());
}

::testing::AssertionResult SamePixels(const wxImage& expected, const std::vector<uint8_t>& rgb)
{
    const size_t pixels = size_t(expected.GetWidth()) * expected.GetHeight();
    if (rgb.size() != pixels * 3)
        return ::testing::AssertionFailure() << rgb.size() / 3 << " pixels instead of " << pixels;
    return FirstDifference(expected.GetWidth(), expected.GetData(), rgb.data(), pixels);
}

std::vector<uint8_t> ReadFileBytes(const wxString& path)
{
    std::vector<uint8_t> bytes;
    wxFFile file(path, "rb");
    if (!file.IsOpened())
        return bytes;
    bytes.resize(size_t(file.Length()));
    if (!bytes.empty() && file.Read(bytes.data(), bytes.size()) != bytes.size())
        bytes.clear();
    return bytes;
}

bool WriteFileBytes(const wxString& path, const std::vector<uint8_t>& bytes)
{
    wxFFile file(path, "wb");
    return file.IsOpened() && file.Write(bytes.data(), bytes.size()) == bytes.size();
}
