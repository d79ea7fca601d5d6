#include "support/TestImages.h"

#include "window/ImageDecoding.h"

#include <wx/ffile.h>
#include <wx/palette.h>

wxImage SolidImage(int width, int height, uint32_t colour)
{
    wxImage image(width, height, false);
    image.SetRGB(wxRect(0, 0, width, height), (colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    return image;
}

wxImage PalettedImage(int width, int height, const ColourList& palette, const std::vector<int>& indices)
{
    std::vector<unsigned char> rgb[3];
    for (uint32_t colour : palette)
        for (int c = 0; c < 3; ++c)
            rgb[c].push_back((colour >> (16 - 8 * c)) & 0xFF);
    wxImage image(width, height, false);
    for (int p = 0; p < width * height; ++p)
        image.SetRGB(p % width, p / width, rgb[0][indices[p]], rgb[1][indices[p]], rgb[2][indices[p]]);
    image.SetPalette(wxPalette(int(palette.size()), rgb[0].data(), rgb[1].data(), rgb[2].data()));
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
    for (int i = 0; image.HasPalette() && i < image.GetPalette().GetColoursCount(); ++i)
    {
        unsigned char r = 0, g = 0, b = 0;
        image.GetPalette().GetRGB(i, &r, &g, &b);
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
    const size_t bytes = size_t(actual.GetWidth()) * actual.GetHeight() * 3;
    return SamePixels(expected, std::vector<uint8_t>(actual.GetData(), actual.GetData() + bytes));
}

::testing::AssertionResult SamePixels(const wxImage& expected, const std::vector<uint8_t>& rgb)
{
    const size_t pixels = size_t(expected.GetWidth()) * expected.GetHeight();
    if (rgb.size() != pixels * 3)
        return ::testing::AssertionFailure() << rgb.size() / 3 << " pixels instead of " << pixels;
    const unsigned char* e = expected.GetData();
    for (size_t p = 0; p < pixels; ++p)
        if (e[p * 3] != rgb[p * 3] || e[p * 3 + 1] != rgb[p * 3 + 1] || e[p * 3 + 2] != rgb[p * 3 + 2])
            return ::testing::AssertionFailure()
                   << "pixel (" << p % expected.GetWidth() << ", " << p / expected.GetWidth() << ") is "
                   << int(rgb[p * 3]) << "," << int(rgb[p * 3 + 1]) << "," << int(rgb[p * 3 + 2])
                   << " instead of " << int(e[p * 3]) << "," << int(e[p * 3 + 1]) << "," << int(e[p * 3 + 2]);
    return ::testing::AssertionSuccess();
}

std::vector<uint8_t> ReadFileBytes(const wxString& path)
{
    wxFFile file(path, "rb");
    std::vector<uint8_t> bytes(file.IsOpened() ? size_t(file.Length()) : 0);
    if (!bytes.empty() && file.Read(bytes.data(), bytes.size()) != bytes.size())
        bytes.clear();
    return bytes;
}

bool WriteFileBytes(const wxString& path, const std::vector<uint8_t>& bytes)
{
    wxFFile file(path, "wb");
    return file.IsOpened() && file.Write(bytes.data(), bytes.size()) == bytes.size();
}

DecodedEntry DecodeEntryPictures(const wxString& entry)
{
    DecodedEntry result;
    result.ok = DecodePictureEntry(
        entry,
        [&](wxImage&& image, const wxString& path, int frame, bool last, int delay) {
            result.pictures.push_back({image, path, frame, delay, last});
        },
        &result.failure);
    return result;
}
