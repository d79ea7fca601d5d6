#include "window/ColourIndex.h"

#include <cstring>

ColourIndex::ColourIndex()
{
    std::memset(m_keys, 0, sizeof m_keys);
}

int ColourIndex::SlotFor(uint32_t colour) const
{
    const uint32_t key = colour | kUsed;
    int slot = FirstSlot(colour);
    while (m_keys[slot] != 0 && m_keys[slot] != key)
        slot = (slot + 1) & (kSlots - 1);
    return slot;
}

int ColourIndex::Insert(uint32_t colour, int index)
{
    const int slot = SlotFor(colour);
    if (m_keys[slot] != 0)
        return m_indices[slot];
    if (m_count == kCapacity)
        return -1;
    ++m_count;
    m_keys[slot] = colour | kUsed;
    m_indices[slot] = int16_t(index);
    return index;
}

int ColourIndex::Find(uint32_t colour) const
{
    const int slot = SlotFor(colour);
    return m_keys[slot] != 0 ? m_indices[slot] : -1;
}
