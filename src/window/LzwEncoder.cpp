#include "window/LzwEncoder.h"

#include <algorithm>

namespace
{
// Codes above this are never assigned: decoders that see the table full
// expect a clear code next.
const int kLastAssignedCode = 4094;
const int kMaxCodeSize = 12;
} // namespace

LzwEncoder::LzwEncoder()
    : m_child(size_t(kMaxCodes) * 256, 0), m_firstChild(kMaxCodes, 0), m_nextSibling(kMaxCodes, 0),
      m_prefix(kMaxCodes, 0), m_last(kMaxCodes, 0)
{
}

// Forgets the strings added since the last reset; only their own entries
// are touched, so a reset costs what was added, not the whole table.
void LzwEncoder::Reset(int firstFree)
{
    for (int code = firstFree; code < m_nextCode; ++code)
    {
        m_child[size_t(m_prefix[code]) * 256 + m_last[code]] = 0;
        m_firstChild[m_prefix[code]] = 0;
        m_firstChild[code] = 0;
    }
    m_nextCode = firstFree;
}

void LzwEncoder::PutCode(int code)
{
    m_bits |= uint64_t(code) << m_bitCount;
    m_bitCount += m_codeSize;
    while (m_bitCount >= 8)
    {
        m_codes.push_back(uint8_t(m_bits));
        m_bits >>= 8;
        m_bitCount -= 8;
    }
    // The decoder widens its codes once the next code it will assign no
    // longer fits, one step behind the encoder; this matches it.
    if (m_nextCode >= (1 << m_codeSize) && m_codeSize < kMaxCodeSize)
        ++m_codeSize;
}

void LzwEncoder::FlushBits()
{
    if (m_bitCount > 0)
        m_codes.push_back(uint8_t(m_bits));
    m_bits = 0;
    m_bitCount = 0;
}

void LzwEncoder::AddString(int prefix, uint8_t index)
{
    const int code = m_nextCode++;
    m_child[size_t(prefix) * 256 + index] = uint16_t(code);
    m_prefix[code] = uint16_t(prefix);
    m_last[code] = index;
    m_firstChild[code] = 0;
    m_nextSibling[code] = m_firstChild[prefix];
    m_firstChild[prefix] = uint16_t(code);
}

// A run of pixels that may stay as they are compresses best as one long
// run of the transparent index.
int LzwEncoder::StartString(const LzwPixels& pixels, size_t p) const
{
    if (pixels.keepable && pixels.keepable[p])
        return pixels.transparentIndex;
    return pixels.wanted[p];
}

// The code of the string node followed by pixel p, or 0 when the table has
// no such string; index receives the index pixel p gets.
int LzwEncoder::ExtendString(const LzwPixels& pixels, size_t p, int node, uint8_t& index) const
{
    const uint16_t* children = &m_child[size_t(node) * 256];
    const uint8_t wanted = pixels.wanted[p];
    // Pixels that may stay stay, as long runs of them make the best strings.
    if (pixels.keepable && pixels.keepable[p] && children[pixels.transparentIndex])
    {
        index = uint8_t(pixels.transparentIndex);
        return children[pixels.transparentIndex];
    }
    if (children[wanted])
    {
        index = wanted;
        return children[wanted];
    }
    if (!pixels.acceptable)
        return 0;
    const uint8_t* row = pixels.acceptable + size_t(wanted) * 256;
    for (int code = m_firstChild[node]; code != 0; code = m_nextSibling[code])
        if (row[m_last[code]])
        {
            index = m_last[code];
            return code;
        }
    return 0;
}

void LzwEncoder::Encode(const LzwPixels& pixels, std::vector<uint8_t>& out, std::vector<uint8_t>& chosen)
{
    const int minimumCodeSize = std::min(std::max(pixels.minimumCodeSize, 2), 8);
    m_clearCode = 1 << minimumCodeSize;
    const int firstFree = m_clearCode + 2;
    m_nextCode = firstFree;
    m_codeSize = minimumCodeSize + 1;
    m_codes.clear();
    m_bits = 0;
    m_bitCount = 0;
    chosen.resize(pixels.count);
    PutCode(m_clearCode);
    if (pixels.count > 0)
    {
        int node = StartString(pixels, 0);
        chosen[0] = uint8_t(node);
        for (size_t p = 1; p < pixels.count; ++p)
        {
            uint8_t index = 0;
            const int next = ExtendString(pixels, p, node, index);
            if (next)
            {
                node = next;
                chosen[p] = index;
                continue;
            }
            PutCode(node);
            const int start = StartString(pixels, p);
            if (m_nextCode > kLastAssignedCode)
            {
                PutCode(m_clearCode);
                Reset(firstFree);
                m_codeSize = minimumCodeSize + 1;
            }
            else
                AddString(node, uint8_t(start));
            node = start;
            chosen[p] = uint8_t(start);
        }
        PutCode(node);
    }
    PutCode(m_clearCode + 1);
    FlushBits();
    Reset(firstFree);

    out.push_back(uint8_t(minimumCodeSize));
    for (size_t start = 0; start < m_codes.size(); start += 255)
    {
        const size_t size = std::min<size_t>(255, m_codes.size() - start);
        out.push_back(uint8_t(size));
        out.insert(out.end(), m_codes.begin() + start, m_codes.begin() + start + size);
    }
    out.push_back(0);
}
