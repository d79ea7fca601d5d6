// Pictures made for the tests, and comparisons that say where they differ.
#pragma once

#include <gtest/gtest.h>
#include <wx/image.h>

#include <cstdint>
#include <vector>

// 0xRRGGBB colours.
using ColourList = std::vector<uint32_t>;

// An image filled with one colour.
wxImage SolidImage(int width, int height, uint32_t colour);
// An image whose pixel p (row by row) has colour palette[indices[p]], with
// that palette set on it.
wxImage PalettedImage(int width, int height, const ColourList& palette, const std::vector<int>& indices);
// Every pixel a different colour: more colours than a GIF table holds.
wxImage ColourfulImage(int width, int height);

uint32_t PixelColour(const wxImage& image, int x, int y);
ColourList PaletteColours(const wxImage& image);

// Equal sizes and pixels, or a description of the first difference.
::testing::AssertionResult SamePixels(const wxImage& expected, const wxImage& actual);
::testing::AssertionResult SamePixels(const wxImage& expected, const std::vector<uint8_t>& rgb);

std::vector<uint8_t> ReadFileBytes(const wxString& path);
bool WriteFileBytes(const wxString& path, const std::vector<uint8_t>& bytes);

// What the loaders' decoding entry point gives for an entry: each picture
// with its path, frame (a clip's milliseconds), delay and whether it is last.
struct DecodedPicture
{
    wxImage image;
    wxString path;
    int frame = -1;
    int delay = 0;
    bool last = false;
};
struct DecodedEntry
{
    bool ok = false;
    wxString failure;
    std::vector<DecodedPicture> pictures;
};
DecodedEntry DecodeEntryPictures(const wxString& entry);
