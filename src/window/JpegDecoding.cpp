#include "window/PictureDecoders.h"

#include <turbojpeg.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace
{
struct HandleDestroy
{
    void operator()(void* handle) const { tjDestroy(handle); }
};
using JpegHandle = std::unique_ptr<void, HandleDestroy>;

// CMYK pictures (as Adobe software writes them, inverted) are turned into
// RGB with the toolkit's own arithmetic, so they look as they did.
void CmykToRgb(const std::vector<unsigned char>& cmyk, unsigned char* rgb)
{
    for (size_t i = 0, pixels = cmyk.size() / 4; i < pixels; ++i)
    {
        const unsigned char* source = &cmyk[i * 4];
        const int black = source[3];
        for (int channel = 0; channel < 3; ++channel)
        {
            const int ink = 255 - black + black * (255 - source[channel]) / 255;
            rgb[i * 3 + channel] = (unsigned char)(ink > 255 ? 0 : 255 - ink);
        }
    }
}

bool IsTooLarge(int width, int height, long long maxPixels)
{
    return width <= 0 || height <= 0 || (long long)width * height > maxPixels;
}
} // namespace

bool DecodeJpegBytes(const unsigned char* bytes, size_t size, long long maxPixels, wxImage& image)
{
    image.Destroy();
    JpegHandle handle(tjInitDecompress());
    int width = 0, height = 0, subsampling = 0, colourSpace = 0;
    if (!handle || tjDecompressHeader3(handle.get(), bytes, size, &width, &height, &subsampling, &colourSpace) != 0 ||
        IsTooLarge(width, height, maxPixels))
        return false;
    const size_t pixels = size_t(width) * height;
    unsigned char* rgb = static_cast<unsigned char*>(std::malloc(pixels * 3));
    if (!rgb)
        return false;
    // A stream cut short or slightly damaged still gives a picture, the part
    // that could not be decoded filled in, as the toolkit's reader does.
    // Hundreds of progressive scans are a sign of a hostile file.
    const int flags = TJFLAG_LIMITSCANS;
    const bool cmyk = colourSpace == TJCS_CMYK || colourSpace == TJCS_YCCK;
    std::vector<unsigned char> inks(cmyk ? pixels * 4 : 0);
    const int result = cmyk ? tjDecompress2(handle.get(), bytes, size, inks.data(), width, 0, height, TJPF_CMYK, flags)
                            : tjDecompress2(handle.get(), bytes, size, rgb, width, 0, height, TJPF_RGB, flags);
    if (result != 0 && tjGetErrorCode(handle.get()) != TJERR_WARNING)
    {
        std::free(rgb);
        return false;
    }
    if (cmyk)
        CmykToRgb(inks, rgb);
    image.Create(width, height, rgb);
    return true;
}

bool ReadPictureFile(const wxString& path, long mostBytes, std::vector<unsigned char>& bytes)
{
    bytes.clear();
    std::FILE* file = std::fopen(path.fn_str(), "rb");
    if (!file)
        return false;
    long size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0 && (size = std::ftell(file)) > 0 && size <= mostBytes &&
        std::fseek(file, 0, SEEK_SET) == 0)
    {
        bytes.resize(size_t(size));
        if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
            bytes.clear();
    }
    std::fclose(file);
    return !bytes.empty();
}

bool DecodeJpegFile(const wxString& path, long long maxPixels, wxImage& image)
{
    image.Destroy();
    std::vector<unsigned char> bytes;
    return ReadPictureFile(path, LONG_MAX, bytes) && DecodeJpegBytes(bytes.data(), bytes.size(), maxPixels, image);
}
