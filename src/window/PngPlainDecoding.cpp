// The kinds of PNG that screenshot tools and editors write most (RGB or
// RGBA, 8 or 16 bits, not interlaced, no transparent colour) decoded without
// libspng: the image data is inflated in one call by libdeflate, which on
// the long runs of a flat screenshot is more than ten times as fast as
// zlib, and the rows are unfiltered here. Anything else, and anything this
// code finds wrong, is left to the general decoder, so that a picture reads
// the same either way.
#include "window/PictureDecoders.h"

#include <libdeflate.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
uint32_t ReadBigEndian32(const unsigned char* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

// 1080p RGB of 16 bits, or RGBA of 8 bits.
const size_t kMostRowBytesKept = 13u << 20;

bool IsChunk(const unsigned char* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

struct PlainHeader
{
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;  // 8 or 16
    int channels = 0;  // 3 or 4
};

// Walks the chunks: IHDR first, every CRC right, the image data in one run
// of consecutive IDAT chunks (gathered into `data`), IEND last. Only the
// critical chunks a plain RGB or RGBA picture may have are accepted, and a
// transparent colour (tRNS) is left to the general decoder.
bool ReadChunks(const unsigned char* bytes, size_t size, PlainHeader& header, std::vector<unsigned char>& data)
{
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || std::memcmp(bytes, kSignature, 8) != 0)
        return false;
    size_t at = 8;
    bool sawHeader = false, sawData = false, dataEnded = false;
    while (true)
    {
        if (size - at < 12)
            return false;
        const uint32_t length = ReadBigEndian32(bytes + at);
        const unsigned char* type = bytes + at + 4;
        if (length > 0x7FFFFFFFu || size - at - 12 < length)
            return false;
        const unsigned char* body = type + 4;
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
        if (libdeflate_crc32(0, type, length + 4) != ReadBigEndian32(body + length))
            return false;
#endif
        at += 12 + size_t(length);
        if (!sawHeader)
        {
            if (!IsChunk(type, "IHDR") || length != 13)
                return false;
            header.width = ReadBigEndian32(body);
            header.height = ReadBigEndian32(body + 4);
            header.bitDepth = body[8];
            const int colourType = body[9];
            header.channels = colourType == 2 ? 3 : colourType == 6 ? 4 : 0;
            // Compression, filter method and interlacing must all be 0 here.
            if (header.width == 0 || header.height == 0 || header.width > 0x7FFFFFFFu ||
                header.height > 0x7FFFFFFFu || header.channels == 0 ||
                (header.bitDepth != 8 && header.bitDepth != 16) || body[10] || body[11] || body[12])
                return false;
            sawHeader = true;
            continue;
        }
        if (IsChunk(type, "IDAT"))
        {
            if (dataEnded)
                return false;
            sawData = true;
            data.insert(data.end(), body, body + length);
            continue;
        }
        dataEnded = sawData;
        if (IsChunk(type, "IEND"))
            return sawData;
        if (IsChunk(type, "tRNS") || IsChunk(type, "IHDR") || (IsChunk(type, "PLTE") && sawData))
            return false;
        // An unknown critical chunk (upper-case first letter) means the
        // picture cannot be shown without it.
        if (!(type[0] & 0x20) && !IsChunk(type, "PLTE"))
            return false;
    }
}

unsigned char Paeth(int left, int above, int aboveLeft)
{
    const int estimate = left + above - aboveLeft;
    const int toLeft = std::abs(estimate - left);
    const int toAbove = std::abs(estimate - above);
    const int toAboveLeft = std::abs(estimate - aboveLeft);
    if (toLeft <= toAbove && toLeft <= toAboveLeft)
        return static_cast<unsigned char>(left);
    return static_cast<unsigned char>(toAbove <= toAboveLeft ? above : aboveLeft);
}

// out = in + above, byte by byte and wrapping: sixteen bytes at a time,
// which the compiler does not dare on its own.
void AddRows(const unsigned char* in, const unsigned char* above, unsigned char* out, size_t bytes)
{
    typedef unsigned char Lanes __attribute__((vector_size(16)));
    size_t i = 0;
    for (; i + sizeof(Lanes) <= bytes; i += sizeof(Lanes))
    {
        Lanes a, b;
        std::memcpy(&a, in + i, sizeof a);
        std::memcpy(&b, above + i, sizeof b);
        a += b;
        std::memcpy(out + i, &a, sizeof a);
    }
    for (; i < bytes; ++i)
        out[i] = static_cast<unsigned char>(in[i] + above[i]);
}

// out[i] = the high byte of the i-th big-endian 16-bit sample, sixteen at a
// time where the samples' first bytes are the low bytes of native words.
void HighBytes(const unsigned char* samples, unsigned char* out, size_t count)
{
    size_t i = 0;
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    typedef uint16_t Words __attribute__((vector_size(32)));
    typedef unsigned char Bytes __attribute__((vector_size(16)));
    for (; i + 16 <= count; i += 16)
    {
        Words words;
        std::memcpy(&words, samples + 2 * i, sizeof words);
        const Bytes low = __builtin_convertvector(words, Bytes);
        std::memcpy(out + i, &low, sizeof low);
    }
#endif
    for (; i < count; ++i)
        out[i] = samples[2 * i];
}

// Undoes one row's filter into `out`; `above` is the row before, already
// unfiltered (zeros for the first). The pixel's bytes are independent
// chains, which a pixel-wide step lets the processor run side by side.
template <int PixelBytes>
bool UnfilterRow(int filter, const unsigned char* __restrict in, unsigned char* __restrict out,
                 const unsigned char* __restrict above, size_t rowBytes)
{
    switch (filter)
    {
    case 0:
        std::memcpy(out, in, rowBytes);
        return true;
    case 1:
        std::memcpy(out, in, PixelBytes);
        for (size_t i = PixelBytes; i < rowBytes; i += PixelBytes)
            for (int c = 0; c < PixelBytes; ++c)
                out[i + c] = static_cast<unsigned char>(in[i + c] + out[i + c - PixelBytes]);
        return true;
    case 2:
        AddRows(in, above, out, rowBytes);
        return true;
    case 3:
        for (int c = 0; c < PixelBytes; ++c)
            out[c] = static_cast<unsigned char>(in[c] + (above[c] >> 1));
        for (size_t i = PixelBytes; i < rowBytes; i += PixelBytes)
            for (int c = 0; c < PixelBytes; ++c)
                out[i + c] = static_cast<unsigned char>(in[i + c] + ((out[i + c - PixelBytes] + above[i + c]) >> 1));
        return true;
    case 4:
        for (int c = 0; c < PixelBytes; ++c)
            out[c] = static_cast<unsigned char>(in[c] + above[c]);
        for (size_t i = PixelBytes; i < rowBytes; i += PixelBytes)
            for (int c = 0; c < PixelBytes; ++c)
                out[i + c] = static_cast<unsigned char>(
                    in[i + c] + Paeth(out[i + c - PixelBytes], above[i + c], above[i + c - PixelBytes]));
        return true;
    default:
        return false;
    }
}

bool UnfilterRow(int pixelBytes, int filter, const unsigned char* in, unsigned char* out, const unsigned char* above,
                 size_t rowBytes)
{
    switch (pixelBytes)
    {
    case 3:
        return UnfilterRow<3>(filter, in, out, above, rowBytes);
    case 4:
        return UnfilterRow<4>(filter, in, out, above, rowBytes);
    case 6:
        return UnfilterRow<6>(filter, in, out, above, rowBytes);
    case 8:
        return UnfilterRow<8>(filter, in, out, above, rowBytes);
    default:
        return false;
    }
}

struct DecompressorFree
{
    void operator()(libdeflate_decompressor* decompressor) const { libdeflate_free_decompressor(decompressor); }
};

// Inflates exactly `outBytes` bytes: a stream that ends early or holds more
// is damaged, and the general decoder says so. Each chunk's CRC already
// covers these bytes, so the stream's own checksum is not needed as well.
bool Inflate(const std::vector<unsigned char>& data, unsigned char* out, size_t outBytes)
{
    thread_local std::unique_ptr<libdeflate_decompressor, DecompressorFree> decompressor(
        libdeflate_alloc_decompressor());
    if (!decompressor || data.size() < 2)
        return false;
    // The two-byte zlib header: deflate, a window it may state, no preset
    // dictionary, and its check bits.
    if ((data[0] & 0x0F) != 8 || (data[0] >> 4) > 7 || (data[1] & 0x20) || (data[0] * 256u + data[1]) % 31)
        return false;
    size_t inflated = 0;
    return libdeflate_deflate_decompress(decompressor.get(), data.data() + 2, data.size() - 2, out, outBytes,
                                         &inflated) == LIBDEFLATE_SUCCESS &&
           inflated == outBytes;
}

// wxImage owns malloc'd buffers.
using Pixels = std::unique_ptr<unsigned char, decltype(&std::free)>;
Pixels AllocatePixels(size_t bytes) { return Pixels(static_cast<unsigned char*>(std::malloc(bytes)), &std::free); }

// Unfilters the inflated rows into the toolkit's layout: 8-bit RGB rows go
// straight into the picture; other rows pass through two rows of their own,
// then 16-bit samples keep their high byte, and alpha is kept only when
// some pixel is not opaque.
bool ToImage(const unsigned char* rows, size_t rowBytes, const PlainHeader& header, wxImage& image)
{
    const size_t width = header.width, height = header.height;
    const size_t sampleBytes = size_t(header.bitDepth / 8);
    const int pixelBytes = int(header.channels * sampleBytes);
    Pixels rgb = AllocatePixels(width * height * 3);
    Pixels alpha(header.channels == 4 ? AllocatePixels(width * height) : Pixels(nullptr, &std::free));
    if (!rgb || (header.channels == 4 && !alpha))
        return false;
    const bool direct = pixelBytes == 3;
    std::vector<unsigned char> own(direct ? 0 : 2 * rowBytes);
    const std::vector<unsigned char> zeros(rowBytes, 0);
    const unsigned char* above = zeros.data();
    bool transparent = false;
    for (size_t y = 0; y < height; ++y)
    {
        const unsigned char* in = rows + y * (rowBytes + 1);
        unsigned char* out = rgb.get() + y * width * 3;
        unsigned char* row = direct ? out : own.data() + (y & 1) * rowBytes;
        if (!UnfilterRow(pixelBytes, in[0], in + 1, row, above, rowBytes))
            return false;
        above = row;
        if (direct)
            continue;
        const unsigned char* pixel = row;
        if (header.channels == 3)
        {
            HighBytes(pixel, out, width * 3);
            continue;
        }
        unsigned char* a = alpha.get() + y * width;
        unsigned char opaque = 255;
        for (size_t x = 0; x < width; ++x, pixel += pixelBytes, out += 3)
        {
            out[0] = pixel[0];
            out[1] = pixel[sampleBytes];
            out[2] = pixel[2 * sampleBytes];
            a[x] = pixel[3 * sampleBytes];
            opaque &= a[x];
        }
        transparent = transparent || opaque != 255;
    }
    image.Create(int(width), int(height), rgb.release());
    if (transparent)
        image.SetAlpha(alpha.release());
    return true;
}
} // namespace

bool DecodePlainPng(const unsigned char* bytes, size_t size, long long maxPixels, wxImage& image)
{
    image.Destroy();
    PlainHeader header;
    std::vector<unsigned char> data;
    if (!ReadChunks(bytes, size, header, data) || (long long)header.width * header.height > maxPixels)
        return false;
    const size_t rowBytes = size_t(header.width) * header.channels * (header.bitDepth / 8);
    const size_t filteredBytes = (rowBytes + 1) * header.height;
    // Kept from picture to picture on each loading thread, so that a set of
    // pictures of one size does not map fresh pages for every one; a very
    // large picture's rows are let go afterwards.
    thread_local std::vector<unsigned char> rows;
    if (rows.size() < filteredBytes)
    {
        rows.clear();
        rows.shrink_to_fit();
        rows.resize(filteredBytes);
    }
    const bool ok = Inflate(data, rows.data(), filteredBytes) && ToImage(rows.data(), rowBytes, header, image);
    if (rows.size() > kMostRowBytesKept)
    {
        rows.clear();
        rows.shrink_to_fit();
    }
    if (!ok)
        image.Destroy();
    return ok;
}
