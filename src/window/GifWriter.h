// The blocks of a GIF89a file, one function each. Every function appends
// its block to a byte vector; the caller decides where the bytes go.
#pragma once

#include <cstdint>
#include <vector>

namespace GifBlocks
{
using Bytes = std::vector<uint8_t>;
using ColourTable = std::vector<uint32_t>; // 0xRRGGBB, at most 256

// GIF cannot store a side longer than this.
const int kMaxSide = 65535;
// Nor a delay longer than this many hundredths of a second.
const int kMaxDelay = 65535;

// Bits of the smallest table of 2^bits entries that holds count colours; 1 at least.
int TableBits(int count);

// Signature, logical screen descriptor and the global colour table.
void AppendHeader(Bytes& out, int width, int height, const ColourTable& globalTable);
// The looping extension for an animation that plays `plays` times, 0 for
// forever. Nothing is written for 1: without the extension a GIF plays once.
void AppendLooping(Bytes& out, int plays);
// Delay in hundredths of a second. The frame stays on screen under the next
// one, so later frames need to hold only what changed.
void AppendGraphicControl(Bytes& out, int delay, int transparentIndex);
// Offset, within the graphic control block, of its 16-bit delay.
const size_t kGraphicControlDelayOffset = 4;
// With a local table when localTable is not empty.
void AppendImageDescriptor(Bytes& out, int left, int top, int width, int height, const ColourTable& localTable);
void AppendTrailer(Bytes& out);
} // namespace GifBlocks
