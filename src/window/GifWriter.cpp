#include "window/GifWriter.h"

#include <algorithm>

namespace GifBlocks
{
namespace
{
void AppendLittleEndian16(Bytes& out, int value)
{
    out.push_back(uint8_t(value & 0xFF));
    out.push_back(uint8_t((value >> 8) & 0xFF));
}

// Padded with black to the 2^bits entries the format requires.
void AppendColourTable(Bytes& out, const ColourTable& table)
{
    const size_t entries = size_t(1) << TableBits(int(table.size()));
    for (size_t i = 0; i < entries; ++i)
    {
        const uint32_t colour = i < table.size() ? table[i] : 0;
        out.push_back(uint8_t(colour >> 16));
        out.push_back(uint8_t(colour >> 8));
        out.push_back(uint8_t(colour));
    }
}
} // namespace

int TableBits(int count)
{
    int bits = 1;
    while (bits < 8 && (1 << bits) < count)
        ++bits;
    return bits;
}

void AppendHeader(Bytes& out, int width, int height, const ColourTable& globalTable)
{
    const uint8_t signature[] = {'G', 'I', 'F', '8', '9', 'a'};
    out.insert(out.end(), std::begin(signature), std::end(signature));
    AppendLittleEndian16(out, width);
    AppendLittleEndian16(out, height);
    const int bits = TableBits(int(globalTable.size()));
    // Global table present, colour resolution and table size both in bits - 1.
    out.push_back(uint8_t(0x80 | ((bits - 1) << 4) | (bits - 1)));
    out.push_back(0); // background colour index
    out.push_back(0); // pixel aspect ratio: not given
    AppendColourTable(out, globalTable);
}

// The application extension browsers know as the looping extension counts
// the repetitions after the first play, and 0 repeats forever.
void AppendLooping(Bytes& out, int plays)
{
    if (plays == 1)
        return;
    const int repetitions = plays <= 0 ? 0 : std::min(plays - 1, 65535);
    const uint8_t block[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0x03, 0x01};
    out.insert(out.end(), std::begin(block), std::end(block));
    AppendLittleEndian16(out, repetitions);
    out.push_back(0);
}

void AppendGraphicControl(Bytes& out, int delay, int transparentIndex)
{
    const uint8_t doNotDispose = 1 << 2;
    out.push_back(0x21);
    out.push_back(0xF9);
    out.push_back(0x04);
    out.push_back(uint8_t(doNotDispose | (transparentIndex >= 0 ? 1 : 0)));
    AppendLittleEndian16(out, std::min(std::max(delay, 0), kMaxDelay));
    out.push_back(uint8_t(transparentIndex >= 0 ? transparentIndex : 0));
    out.push_back(0);
}

void AppendImageDescriptor(Bytes& out, int left, int top, int width, int height, const ColourTable& localTable)
{
    out.push_back(0x2C);
    AppendLittleEndian16(out, left);
    AppendLittleEndian16(out, top);
    AppendLittleEndian16(out, width);
    AppendLittleEndian16(out, height);
    if (localTable.empty())
    {
        out.push_back(0);
        return;
    }
    out.push_back(uint8_t(0x80 | (TableBits(int(localTable.size())) - 1)));
    AppendColourTable(out, localTable);
}

void AppendTrailer(Bytes& out)
{
    out.push_back(0x3B);
}
} // namespace GifBlocks
