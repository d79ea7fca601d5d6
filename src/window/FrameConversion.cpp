#include "window/FrameConversion.h"

#include "window/ColourIndex.h"

#include <wx/log.h>
#include <wx/palette.h>
#include <wx/quantize.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
// What the toolkit's 8-bit BMP writer asks its quantiser for.
const int kQuantisedColours = 236;

// Pictures without transparency are copied a row at a time.
void CopyOpaqueRows(const wxImage& picture, wxImage& canvas, int left, int top)
{
    const int width = picture.GetWidth();
    const size_t rowBytes = size_t(width) * 3;
    for (int y = 0; y < picture.GetHeight(); ++y)
    {
        const unsigned char* from = picture.GetData() + size_t(y) * rowBytes;
        unsigned char* to = canvas.GetData() + (size_t(top + y) * canvas.GetWidth() + left) * 3;
        std::memcpy(to, from, rowBytes);
    }
}

void BlendRowsOntoBlack(const wxImage& picture, wxImage& canvas, int left, int top)
{
    const bool hasMask = picture.HasMask();
    const unsigned char mask[3] = {picture.GetMaskRed(), picture.GetMaskGreen(), picture.GetMaskBlue()};
    const unsigned char* alpha = picture.HasAlpha() ? picture.GetAlpha() : nullptr;
    const unsigned char* from = picture.GetData();
    for (int y = 0; y < picture.GetHeight(); ++y)
    {
        unsigned char* to = canvas.GetData() + (size_t(top + y) * canvas.GetWidth() + left) * 3;
        for (int x = 0; x < picture.GetWidth(); ++x, from += 3, to += 3)
        {
            const int opacity = alpha ? *alpha++ : 255;
            if (hasMask && from[0] == mask[0] && from[1] == mask[1] && from[2] == mask[2])
                continue; // the canvas is black already
            for (int c = 0; c < 3; ++c)
                to[c] = static_cast<unsigned char>((from[c] * opacity + 127) / 255);
        }
    }
}

bool IsOpaque(const wxImage& picture)
{
    return !picture.HasMask() && !picture.HasAlpha();
}

wxImage PlaceOnBlack(const wxImage& picture, const FrameFit& fit, int width, int height)
{
    if (IsOpaque(picture) && picture.GetWidth() == width && picture.GetHeight() == height)
        return picture;
    wxImage canvas(width, height, true);
    if (!canvas.IsOk())
        return canvas;
    if (IsOpaque(picture))
        CopyOpaqueRows(picture, canvas, fit.left, fit.top);
    else
        BlendRowsOntoBlack(picture, canvas, fit.left, fit.top);
    return canvas;
}

// The colours of the image in the order they first appear, or nothing when
// there are more than 256.
std::vector<uint32_t> DistinctColours(const wxImage& image)
{
    std::vector<uint32_t> colours;
    ColourIndex seen;
    const size_t pixels = size_t(image.GetWidth()) * size_t(image.GetHeight());
    const unsigned char* rgb = image.GetData();
    uint32_t lastColour = ~0u;
    for (size_t p = 0; p < pixels; ++p, rgb += 3)
    {
        const uint32_t colour = ColourIndex::Pack(rgb);
        if (colour == lastColour)
            continue;
        lastColour = colour;
        if (seen.Insert(colour, int(colours.size())) != int(colours.size()))
            continue;
        if (colours.size() == 256)
            return {};
        colours.push_back(colour);
    }
    return colours;
}

wxImage WithExactPalette(const wxImage& image, const std::vector<uint32_t>& colours)
{
    std::vector<unsigned char> red, green, blue;
    for (uint32_t colour : colours)
    {
        red.push_back(static_cast<unsigned char>(colour >> 16));
        green.push_back(static_cast<unsigned char>(colour >> 8));
        blue.push_back(static_cast<unsigned char>(colour));
    }
    wxImage result(image.GetWidth(), image.GetHeight(), false);
    if (!result.IsOk())
        return result;
    std::memcpy(result.GetData(), image.GetData(), size_t(image.GetWidth()) * image.GetHeight() * 3);
    result.SetPalette(wxPalette(int(colours.size()), red.data(), green.data(), blue.data()));
    return result;
}

// The toolkit's 8-bit BMP writer quantises with exactly this call and then
// looks up every pixel's palette entry by a nearest-colour search, which
// takes thirty times as long as the quantising; the bitmap read back holds
// the same pixels and palette as the quantiser's own result.
wxImage Quantise(const wxImage& image)
{
    wxLogNull noLogBoxes;
    wxImage result;
    if (!wxQuantize::Quantize(image, result, kQuantisedColours, nullptr, wxQUANTIZE_FILL_DESTINATION_IMAGE) ||
        !result.IsOk() || !result.HasPalette())
        return wxImage();
    return result;
}
} // namespace

FrameFit ComputeFrameFit(int pictureWidth, int pictureHeight, int canvasWidth, int canvasHeight)
{
    FrameFit fit;
    fit.width = pictureWidth;
    fit.height = pictureHeight;
    const double sx = double(canvasWidth) / pictureWidth;
    const double sy = double(canvasHeight) / pictureHeight;
    if (sx < 1 || sy < 1)
    {
        const double s = std::min(sx, sy);
        // Truncated, so a side can end a pixel short of the canvas; the black
        // canvas fills the gap. A sliver keeps at least one pixel.
        fit.width = std::max(1, int(pictureWidth * s));
        fit.height = std::max(1, int(pictureHeight * s));
    }
    fit.left = (canvasWidth - fit.width) / 2;
    fit.top = (canvasHeight - fit.height) / 2;
    return fit;
}

wxImage FitFrameImage(const wxImage& picture, int width, int height)
{
    if (!picture.IsOk() || width <= 0 || height <= 0)
        return wxImage();
    const FrameFit fit = ComputeFrameFit(picture.GetWidth(), picture.GetHeight(), width, height);
    if (fit.width == picture.GetWidth() && fit.height == picture.GetHeight())
        return PlaceOnBlack(picture, fit, width, height);
    const wxImage shrunk = picture.Scale(fit.width, fit.height, wxIMAGE_QUALITY_NEAREST);
    if (!shrunk.IsOk())
        return wxImage();
    return PlaceOnBlack(shrunk, fit, width, height);
}

wxImage ReducePalette(wxImage& fitted)
{
    if (!fitted.IsOk())
        return wxImage();
    const std::vector<uint32_t> colours = DistinctColours(fitted);
    if (!colours.empty())
        return WithExactPalette(fitted, colours);
    return Quantise(fitted);
}
