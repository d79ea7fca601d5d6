#include "window/gif_gifhandler.h"

#include "window/ColourIndex.h"

#include <wx/intl.h>
#include <wx/log.h>
#include <wx/palette.h>
#include <wx/stream.h>

#include <algorithm>
#include <climits>
#include <iterator>
#include <cstdint>
#include <new>
#include <vector>

namespace
{
struct GifOutputSlot
{
    wxOutputStream* stream = nullptr;
    bool headerWritten = false;
    bool trailerWritten = false;
};

// One slot per thread: a save writes every frame from the thread that set
// the stream, and two saves on different threads cannot mix their bytes.
thread_local GifOutputSlot g_output;

using Bytes = std::vector<unsigned char>;

const unsigned char kTrailer = 0x3B;
// The compressor always starts from 8-bit codes, whatever the table size.
const int kLzwMinimumCodeSize = 8;

bool WriteBytes(wxOutputStream& out, const void* data, size_t size)
{
    out.Write(data, size);
    return out.LastWrite() == size;
}

bool WriteBytes(wxOutputStream& out, const Bytes& bytes)
{
    return WriteBytes(out, bytes.data(), bytes.size());
}

void AppendLittleEndian16(Bytes& bytes, int value)
{
    bytes.push_back(static_cast<unsigned char>(value & 0xFF));
    bytes.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

// The smallest table of 2^bits entries that holds the palette; 1 at least.
int ColourTableBits(int entryCount)
{
    int bits = 1;
    while (bits < 8 && (1 << bits) < entryCount)
        ++bits;
    return bits;
}

void AppendColourTable(Bytes& bytes, const unsigned char* palette, int entryCount)
{
    const int entries = 1 << ColourTableBits(entryCount);
    for (int i = 0; i < entries; ++i)
        for (int c = 0; c < 3; ++c)
            bytes.push_back(i < entryCount ? palette[i * 3 + c] : 0);
}

// The colour resolution bits of the screen descriptor repeat the table size,
// shifted and cut to a byte, as files from earlier versions have them.
unsigned char ScreenPackedByte(int bits)
{
    return static_cast<unsigned char>(0x80 | (((bits - 1) << 5) & 0xFF) | (bits - 1));
}

unsigned char LaterFramePackedByte(int bits)
{
    return static_cast<unsigned char>(0x80 | (((bits - 1) & 1) << 5) | (bits - 1));
}

Bytes HeaderBlock(int width, int height, const unsigned char* palette, int entryCount)
{
    Bytes bytes = {'G', 'I', 'F', '8', '9', 'a'};
    AppendLittleEndian16(bytes, width);
    AppendLittleEndian16(bytes, height);
    bytes.push_back(ScreenPackedByte(ColourTableBits(entryCount)));
    bytes.push_back(0); // background colour index
    bytes.push_back(0); // pixel aspect ratio
    AppendColourTable(bytes, palette, entryCount);
    // Looping extension with loop count 0: play forever.
    const unsigned char looping[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P',
                                     'E',  '2',  '.',  '0', 0x03, 0x01, 0x00, 0x00, 0x00};
    bytes.insert(bytes.end(), std::begin(looping), std::end(looping));
    return bytes;
}

Bytes CommentExtension(const wxString& comment)
{
    const wxCharBuffer text = comment.mb_str(wxConvLibc);
    const size_t length = text.length();
    Bytes bytes = {0x21, 0xFE};
    for (size_t start = 0; start < length; start += 255)
    {
        const size_t size = std::min<size_t>(255, length - start);
        bytes.push_back(static_cast<unsigned char>(size));
        bytes.insert(bytes.end(), text.data() + start, text.data() + start + size);
    }
    bytes.push_back(0);
    return bytes;
}

// GIF stores delays in hundredths of a second.
Bytes GraphicControlExtension(int delayMilliSecs, int maskIndex)
{
    Bytes bytes = {0x21, 0xF9, 0x04};
    bytes.push_back(maskIndex != -1 ? 0x01 : 0x00);
    AppendLittleEndian16(bytes, delayMilliSecs / 10);
    bytes.push_back(static_cast<unsigned char>(maskIndex != -1 ? maskIndex : 0));
    bytes.push_back(0);
    return bytes;
}

// The first frame uses the global table; later frames carry their own.
Bytes ImageDescriptor(int width, int height, bool first, const unsigned char* palette, int entryCount)
{
    Bytes bytes = {0x2C};
    AppendLittleEndian16(bytes, 0);
    AppendLittleEndian16(bytes, 0);
    AppendLittleEndian16(bytes, width);
    AppendLittleEndian16(bytes, height);
    if (first)
    {
        bytes.push_back(0x00);
        return bytes;
    }
    bytes.push_back(LaterFramePackedByte(ColourTableBits(entryCount)));
    AppendColourTable(bytes, palette, entryCount);
    return bytes;
}

// Maps every pixel to the lowest palette entry of its colour. False when a
// pixel's colour is in no entry: a GIF index outside the table would leave
// decoders to guess.
bool MapPixelsToPalette(const wxImage& image, const unsigned char* palette, int entryCount,
                        std::vector<unsigned char>& indices)
{
    ColourIndex lookup;
    for (int i = 0; i < entryCount; ++i)
        lookup.Insert(ColourIndex::Pack(palette + i * 3), i);
    const size_t pixels = size_t(image.GetWidth()) * size_t(image.GetHeight());
    indices.resize(pixels);
    const unsigned char* rgb = image.GetData();
    uint32_t lastColour = ~0u;
    int lastIndex = -1;
    for (size_t p = 0; p < pixels; ++p, rgb += 3)
    {
        const uint32_t colour = ColourIndex::Pack(rgb);
        if (colour != lastColour)
        {
            lastColour = colour;
            lastIndex = lookup.Find(colour);
            if (lastIndex < 0)
                return false;
        }
        indices[p] = static_cast<unsigned char>(lastIndex);
    }
    return true;
}

bool CanStoreFrame(const wxImage& image)
{
    if (!image.IsOk() || image.GetWidth() > kMaxGifSide || image.GetHeight() > kMaxGifSide)
        return false;
    // The compressor counts pixels in an int, padded to an even row width.
    const long long evenWidth = image.GetWidth() + (image.GetWidth() & 1);
    if (evenWidth * image.GetHeight() > INT_MAX)
        return false;
    const unsigned long colours = image.CountColours(255);
    return colours != 0 && colours <= 256;
}
} // namespace

void SetGifOutputStream(wxOutputStream* stream)
{
    g_output = GifOutputSlot();
    g_output.stream = stream;
}

wxOutputStream* GetGifOutputStream()
{
    return g_output.stream;
}

bool FinishGifAnimation()
{
    if (!g_output.stream || !g_output.headerWritten)
        return false;
    if (g_output.trailerWritten)
        return true;
    g_output.trailerWritten = WriteBytes(*g_output.stream, &kTrailer, 1);
    return g_output.trailerWritten;
}

MyGifHandler::~MyGifHandler()
{
    FreeHashTable();
}

void MyGifHandler::FreeHashTable()
{
    // The toolkit's header leaves the table's type incomplete. It is a plain
    // struct made with new, so releasing its memory is all a delete would do.
    ::operator delete(static_cast<void*>(m_hashTable));
    m_hashTable = nullptr;
}

bool MyGifHandler::DoSaveFile(const wxImage& image, bool first, int delayMilliSecs,
                              const unsigned char* paletteRGB, int entryCount, int maskIndex)
{
    wxOutputStream* out = GetGifOutputStream();
    if (!out || !CanStoreFrame(image))
        return false;
    std::vector<unsigned char> indices;
    if (!MapPixelsToPalette(image, paletteRGB, entryCount, indices))
        return false;
    // Checked before any byte goes out, so that a failure leaves no half frame.
    if (!InitHashTable())
    {
        wxLogError(_("Couldn't initialize GIF hash table."));
        return false;
    }
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    bool ok = true;
    if (first)
    {
        ok = WriteBytes(*out, HeaderBlock(width, height, paletteRGB, entryCount));
        if (ok)
            g_output.headerWritten = true;
    }
    const wxString comment = image.GetOption(wxIMAGE_OPTION_GIF_COMMENT);
    if (ok && !comment.empty())
        ok = WriteBytes(*out, CommentExtension(comment));
    ok = ok && WriteBytes(*out, GraphicControlExtension(delayMilliSecs, maskIndex)) &&
         WriteBytes(*out, ImageDescriptor(width, height, first, paletteRGB, entryCount)) &&
         CompressPixels(*out, indices.data(), width, height);
    FreeHashTable();
    return ok;
}

bool MyGifHandler::CompressPixels(wxOutputStream& out, const unsigned char* indices, int width,
                                  int height)
{
    if (!SetupCompress(&out, kLzwMinimumCodeSize))
        return false;
    // The compressor closes the code stream when this counter reaches 0,
    // which happens exactly after the last row.
    const int evenWidth = width + (width & 1);
    m_pixelCount = height * evenWidth;
    for (int row = 0; row < height; ++row)
    {
        m_pixelCount -= evenWidth;
        if (!CompressLine(&out, indices + size_t(row) * size_t(width), width))
            return false;
    }
    return true;
}

bool ExtractFramePalette(const wxImage& image, unsigned char* table, int& entryCount, int& maskIndex)
{
    if (!image.HasPalette())
        return false;
    std::fill(table, table + 256 * 3, 0);
    const wxPalette& palette = image.GetPalette();
    entryCount = std::min(palette.GetColoursCount(), 256);
    for (int i = 0; i < entryCount; ++i)
        if (!palette.GetRGB(i, &table[i * 3], &table[i * 3 + 1], &table[i * 3 + 2]))
            break;
    maskIndex = -1;
    if (!image.HasMask())
        return true;
    const unsigned char mask[3] = {image.GetMaskRed(), image.GetMaskGreen(), image.GetMaskBlue()};
    for (int i = 0; i < entryCount && maskIndex == -1; ++i)
        if (table[i * 3] == mask[0] && table[i * 3 + 1] == mask[1] && table[i * 3 + 2] == mask[2])
            maskIndex = i;
    if (maskIndex == -1 && entryCount < 256)
    {
        std::copy(mask, mask + 3, table + entryCount * 3);
        maskIndex = entryCount++;
    }
    return true;
}

bool WriteAnimationFrame(const wxImage& image, MyGifHandler& handler, int delayMilliSecs,
                         int frameCount, int frameIndex)
{
    unsigned char table[256 * 3];
    int entryCount = 0;
    int maskIndex = -1;
    if (!ExtractFramePalette(image, table, entryCount, maskIndex))
        return false;
    const bool first = !g_output.headerWritten;
    if (!handler.DoSaveFile(image, first, delayMilliSecs, table, entryCount, maskIndex))
        return false;
    if (frameIndex + 1 == frameCount)
        return FinishGifAnimation();
    return true;
}
