#include "window/ColourIndex.h"

#include <cstring>

ColourIndex::ColourIndex()
{
    std::memset(m_keys, 0, sizeof m_keys);
}

int ColourIndex::Insert(uint32_t colour, int index)
{
    const uint32_t key = colour | kUsed;
    int slot = FirstSlot(colour);
    while (m_keys[slot] != 0)
    {
        if (m_keys[slot] == key)
            return m_indices[slot];
        slot = (slot + 1) & (kSlots - 1);
    }
    if (m_count == kCapacity)
        return -1;
    ++m_count;
    m_keys[slot] = key;
    m_indices[slot] = int16_t(index);
    return index;
}

int ColourIndex::Find(uint32_t colour) const
{
    const uint32_t key = colour | kUsed;
    int slot = FirstSlot(colour);
    while (m_keys[slot] != 0)
    {
        if (m_keys[slot] == key)
            return m_indices[slot];
        slot = (slot + 1) & (kSlots - 1);
    }
    return -1;
}
