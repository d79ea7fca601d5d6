// Exact colour-to-index lookup for palettes of at most 256 colours.
#pragma once

#include <cstdint>

// Colours are 24-bit 0xRRGGBB values. A table of 1024 slots stays at most a
// quarter full, so a lookup rarely probes more than one slot; this replaces a
// linear search of the palette for every pixel.
class ColourIndex
{
public:
    ColourIndex();

    // Records index for colour unless the colour is already there, so that a
    // colour listed twice keeps its lowest index. Returns the colour's index,
    // or -1 when the table is full (it holds kCapacity colours).
    int Insert(uint32_t colour, int index);
    // The colour's index, or -1 when it is not in the table.
    int Find(uint32_t colour) const;

    static uint32_t Pack(const unsigned char* rgb)
    {
        return (uint32_t(rgb[0]) << 16) | (uint32_t(rgb[1]) << 8) | rgb[2];
    }

    static constexpr int kCapacity = 512;

private:
    static constexpr int kSlotBits = 10;
    static constexpr int kSlots = 1 << kSlotBits;
    static constexpr uint32_t kUsed = 1u << 24;

    static int FirstSlot(uint32_t colour) { return int((colour * 2654435761u) >> (32 - kSlotBits)); }
    // The slot that holds the colour, or the free slot where it would go.
    int SlotFor(uint32_t colour) const;

    uint32_t m_keys[kSlots];   // colour | kUsed, or 0 for a free slot
    int16_t m_indices[kSlots];
    int m_count = 0;
};
