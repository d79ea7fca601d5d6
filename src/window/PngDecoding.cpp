#include "window/PictureDecoders.h"

#include <spng.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
struct ContextFree
{
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};
using PngContext = std::unique_ptr<spng_ctx, ContextFree>;

// Ancillary chunks are small; these bound what a hostile file can make the
// decoder hold besides the picture.
const size_t kMostChunkBytes = 16u << 20;
const size_t kMostCachedChunkBytes = 64u << 20;

// wxImage owns malloc'd buffers.
unsigned char* AllocatePixels(size_t bytes)
{
    return static_cast<unsigned char*>(std::malloc(bytes ? bytes : 1));
}

// Only a picture with a pixel that is not opaque keeps an alpha channel,
// however its file stores transparency (alpha samples, a palette's alpha
// or a transparent colour), as the toolkit's reader does it.
bool AnyTransparent(const std::vector<unsigned char>& rgba)
{
    for (size_t i = 3; i < rgba.size(); i += 4)
        if (rgba[i] != 255)
            return true;
    return false;
}

bool SplitRgba(const std::vector<unsigned char>& rgba, int width, int height, wxImage& image)
{
    const size_t pixels = size_t(width) * height;
    unsigned char* rgb = AllocatePixels(pixels * 3);
    if (!rgb)
        return false;
    for (size_t i = 0; i < pixels; ++i)
        std::memcpy(rgb + i * 3, &rgba[i * 4], 3);
    image.Create(width, height, rgb);
    if (!AnyTransparent(rgba))
        return true;
    unsigned char* alpha = AllocatePixels(pixels);
    if (!alpha)
        return false;
    for (size_t i = 0; i < pixels; ++i)
        alpha[i] = rgba[i * 4 + 3];
    image.SetAlpha(alpha);
    return true;
}

// Reads the chunks after the picture, so that the last image data chunk's
// CRC is checked: without the deflate checksum, that is what notices
// damaged data.
bool ReadToEnd(spng_ctx* context)
{
    return spng_decode_chunks(context) == 0;
}

// 16-bit RGB, as some screenshot tools save: the rows come as stored
// (big-endian samples) and keep their high bytes, which is several times as
// fast as the library's general conversion.
bool DecodeRgb16(spng_ctx* context, int width, int height, wxImage& image)
{
    const size_t rowBytes = size_t(width) * 6;
    std::vector<unsigned char> row(rowBytes);
    if (spng_decode_image(context, nullptr, 0, SPNG_FMT_RAW, SPNG_DECODE_PROGRESSIVE) != 0)
        return false;
    std::unique_ptr<unsigned char, decltype(&std::free)> rgb(AllocatePixels(size_t(width) * height * 3), &std::free);
    if (!rgb)
        return false;
    unsigned char* out = rgb.get();
    for (int y = 0; y < height; ++y)
    {
        const int result = spng_decode_row(context, row.data(), rowBytes);
        if (result != 0 && !(result == SPNG_EOI && y == height - 1))
            return false;
        for (size_t sample = 0; sample < rowBytes; sample += 2)
            *out++ = row[sample];
    }
    if (!ReadToEnd(context))
        return false;
    image.Create(width, height, rgb.release());
    return true;
}

bool DecodeWithContext(spng_ctx* context, long long maxPixels, wxImage& image)
{
    spng_set_chunk_limits(context, kMostChunkBytes, kMostCachedChunkBytes);
    spng_ihdr header{};
    if (spng_get_ihdr(context, &header) != 0)
        return false;
    if ((long long)header.width * header.height > maxPixels)
        return false;
    const int width = int(header.width);
    const int height = int(header.height);
    spng_trns transparentColour{};
    const bool mayBeTransparent = (header.color_type & 4) != 0 || spng_get_trns(context, &transparentColour) == 0;
    if (!mayBeTransparent && header.color_type == SPNG_COLOR_TYPE_TRUECOLOR && header.bit_depth == 16 &&
        header.interlace_method == SPNG_INTERLACE_NONE)
        return DecodeRgb16(context, width, height, image);
    if (!mayBeTransparent)
    {
        const size_t bytes = size_t(width) * height * 3;
        size_t expected = 0;
        if (spng_decoded_image_size(context, SPNG_FMT_RGB8, &expected) != 0 || expected != bytes)
            return false;
        unsigned char* rgb = AllocatePixels(bytes);
        if (!rgb)
            return false;
        if (spng_decode_image(context, rgb, bytes, SPNG_FMT_RGB8, 0) != 0 || !ReadToEnd(context))
        {
            std::free(rgb);
            return false;
        }
        image.Create(width, height, rgb);
        return true;
    }
    std::vector<unsigned char> rgba;
    size_t bytes = 0;
    if (spng_decoded_image_size(context, SPNG_FMT_RGBA8, &bytes) != 0)
        return false;
    rgba.resize(bytes);
    if (spng_decode_image(context, rgba.data(), bytes, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0 || !ReadToEnd(context))
        return false;
    if (!SplitRgba(rgba, width, height, image))
    {
        image.Destroy();
        return false;
    }
    return true;
}
} // namespace

// The image data's own checksum is not computed: each chunk's CRC already
// covers the same bytes, and the sum costs a tenth of decoding a flat
// screenshot.
const int kContextFlags = SPNG_CTX_IGNORE_ADLER32;

const long kMostBytesReadWhole = 256L << 20;

bool DecodePngBytes(const unsigned char* bytes, size_t size, long long maxPixels, wxImage& image)
{
    if (DecodePlainPng(bytes, size, maxPixels, image))
        return true;
    image.Destroy();
    PngContext context(spng_ctx_new(kContextFlags));
    if (!context || spng_set_png_buffer(context.get(), bytes, size) != 0)
        return false;
    return DecodeWithContext(context.get(), maxPixels, image);
}

bool DecodePngFile(const wxString& path, long long maxPixels, wxImage& image)
{
    image.Destroy();
    // Files of a reasonable size are read whole, for the quick way; a larger
    // one is read as the decoder goes, so that a huge file whose header
    // would be refused is not read first.
    std::vector<unsigned char> bytes;
    if (ReadPictureFile(path, kMostBytesReadWhole, bytes))
        return DecodePngBytes(bytes.data(), bytes.size(), maxPixels, image);
    std::FILE* file = std::fopen(path.fn_str(), "rb");
    if (!file)
        return false;
    PngContext context(spng_ctx_new(kContextFlags));
    const bool ok = context && spng_set_png_file(context.get(), file) == 0 &&
                    DecodeWithContext(context.get(), maxPixels, image);
    context.reset();
    std::fclose(file);
    return ok;
}
