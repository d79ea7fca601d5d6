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
    if (m_counting)
    {
        m_bitsCounted += size_t(m_codeSize);
        if (m_nextCode >= (1 << m_codeSize) && m_codeSize < kMaxCodeSize)
            ++m_codeSize;
        return;
    }
    ++m_codesWritten;
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
    if (pixels.keepable && pixels.keepable[p] && (children[pixels.transparentIndex] || pixels.alwaysTransparent))
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

void LzwEncoder::ClearTable(int firstFree, int minimumCodeSize)
{
    PutCode(m_clearCode);
    Reset(firstFree);
    m_codeSize = minimumCodeSize + 1;
}

void LzwEncoder::EncodeExactly(const LzwPixels& pixels, std::vector<uint8_t>& chosen)
{
    const int minimumCodeSize = m_codeSize - 1;
    const int firstFree = m_clearCode + 2;
    for (size_t p = 0; p < pixels.count;)
    {
        p = EncodeStretch(pixels, p, chosen);
        if (p < pixels.count)
            ClearTable(firstFree, minimumCodeSize);
    }
}

bool LzwEncoder::Acceptable(const LzwPixels& pixels, size_t p, int index) const
{
    if (index == pixels.transparentIndex)
        return pixels.keepable && pixels.keepable[p];
    return pixels.acceptable[size_t(pixels.wanted[p]) * 256 + size_t(index)] != 0;
}

void LzwEncoder::SearchFrom(const LzwPixels& pixels, size_t p, int root, int steps, int& bestCode, int& length)
{
    m_stack.clear();
    m_stack.emplace_back(uint16_t(root), 1);
    for (; !m_stack.empty() && steps > 0; --steps)
    {
        const auto [code, depth] = m_stack.back();
        m_stack.pop_back();
        if (depth > length)
        {
            length = depth;
            bestCode = code;
        }
        const size_t next = p + depth;
        if (next >= pixels.count)
            continue;
        for (int child = m_firstChild[code]; child != 0; child = m_nextSibling[child])
            if (m_last[child] != pixels.wanted[next] && Acceptable(pixels, next, m_last[child]))
                m_stack.emplace_back(uint16_t(child), uint16_t(depth + 1));
        // The exact continuation is searched first.
        const int exact = m_child[size_t(code) * 256 + pixels.wanted[next]];
        if (exact)
            m_stack.emplace_back(uint16_t(exact), uint16_t(depth + 1));
    }
}

// A depth-first search of the table from each index that may start the
// string, cut off after a fixed number of steps so that noisy pictures cost
// no more than a few times the exact search. The string the decoder adds
// before it reads this one (the previous string and this one's first index)
// takes part, as runs of one colour depend on it.
int LzwEncoder::LongestMatch(const LzwPixels& pixels, size_t p, int previous, int& length, int& root)
{
    const int kSearchSteps = 48;
    const int kAlternativeRoots = 3;
    int roots[kAlternativeRoots + 2];
    int rootCount = 0;
    const uint8_t wanted = pixels.wanted[p];
    roots[rootCount++] = wanted;
    if (pixels.keepable && pixels.keepable[p] && wanted != pixels.transparentIndex)
        roots[rootCount++] = pixels.transparentIndex;
    const std::vector<uint8_t>& others = pixels.alternatives[wanted];
    for (size_t i = 0; i < others.size() && rootCount < kAlternativeRoots + 2; ++i)
        if (others[i] != wanted)
            roots[rootCount++] = others[i];

    int bestCode = wanted;
    length = 0;
    root = wanted;
    for (int r = 0; r < rootCount; ++r)
    {
        int code = -1, found = 0;
        if (previous >= 0)
            AddString(previous, uint8_t(roots[r]));
        SearchFrom(pixels, p, roots[r], r == 0 ? kSearchSteps : kSearchSteps / 4, code, found);
        if (previous >= 0)
        {
            // Taken out again: only the chosen root's string is added.
            const int added = --m_nextCode;
            m_child[size_t(previous) * 256 + size_t(roots[r])] = 0;
            m_firstChild[previous] = m_nextSibling[added];
        }
        if (found > length)
        {
            length = found;
            bestCode = code;
            root = roots[r];
        }
    }
    return bestCode;
}

void LzwEncoder::EncodeLossily(const LzwPixels& pixels, std::vector<uint8_t>& chosen)
{
    const int minimumCodeSize = m_codeSize - 1;
    const int firstFree = m_clearCode + 2;
    int previous = -1;
    for (size_t p = 0; p < pixels.count;)
    {
        // A full table is cleared before the search, so that the string
        // found is one the decoder knows.
        if (previous >= 0 && m_nextCode > kLastAssignedCode)
        {
            ClearTable(firstFree, minimumCodeSize);
            previous = -1;
        }
        int length = 0, root = 0;
        const int code = LongestMatch(pixels, p, previous, length, root);
        // What the decoder adds before it reads the string back; the string
        // itself may end in it.
        if (previous >= 0)
            AddString(previous, uint8_t(root));
        int walk = code;
        for (int i = length - 1; i >= 0; --i)
        {
            chosen[p + size_t(i)] = m_last[walk];
            walk = m_prefix[walk];
        }
        PutCode(code);
        previous = code;
        p += size_t(length);
    }
}

size_t LzwEncoder::EncodeStretch(const LzwPixels& pixels, size_t from, std::vector<uint8_t>& chosen)
{
    int node = StartString(pixels, from);
    chosen[from] = uint8_t(node);
    for (size_t p = from + 1; p < pixels.count; ++p)
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
        if (m_nextCode > kLastAssignedCode)
            return p;
        const int start = StartString(pixels, p);
        AddString(node, uint8_t(start));
        node = start;
        chosen[p] = uint8_t(start);
    }
    PutCode(node);
    return pixels.count;
}

void LzwEncoder::EncodeMixed(const std::vector<LzwPixels>& ways, std::vector<uint8_t>& out,
                             std::vector<uint8_t>& chosen)
{
    const LzwPixels& first = ways.front();
    Begin(first, first.count, chosen);
    const int minimumCodeSize = m_codeSize - 1;
    const int firstFree = m_clearCode + 2;
    for (size_t p = 0; p < first.count;)
    {
        size_t bestWay = 0;
        double bestRate = -1;
        for (size_t w = 0; w < ways.size() && ways.size() > 1; ++w)
        {
            m_counting = true;
            m_bitsCounted = 0;
            const size_t end = EncodeStretch(ways[w], p, chosen);
            m_counting = false;
            Reset(firstFree);
            m_codeSize = minimumCodeSize + 1;
            const double rate = double(end - p) / double(std::max<size_t>(m_bitsCounted, 1));
            if (rate > bestRate)
            {
                bestRate = rate;
                bestWay = w;
            }
        }
        p = EncodeStretch(ways[bestWay], p, chosen);
        if (p < first.count)
            ClearTable(firstFree, minimumCodeSize);
    }
    End(out);
}

void LzwEncoder::Begin(const LzwPixels& pixels, size_t count, std::vector<uint8_t>& chosen)
{
    const int minimumCodeSize = std::min(std::max(pixels.minimumCodeSize, 2), 8);
    m_minimumCodeSize = minimumCodeSize;
    m_clearCode = 1 << minimumCodeSize;
    m_nextCode = m_clearCode + 2;
    m_codeSize = minimumCodeSize + 1;
    m_codes.clear();
    m_codesWritten = 0;
    m_bits = 0;
    m_bitCount = 0;
    chosen.resize(count);
    // Single-index strings are their own codes; their last index is themselves.
    for (int i = 0; i < m_clearCode; ++i)
        m_last[size_t(i)] = uint8_t(i);
    PutCode(m_clearCode);
}

void LzwEncoder::Encode(const LzwPixels& pixels, std::vector<uint8_t>& out, std::vector<uint8_t>& chosen)
{
    Begin(pixels, pixels.count, chosen);
    if (pixels.count > 0)
    {
        if (pixels.acceptable && pixels.alternatives)
            EncodeLossily(pixels, chosen);
        else
            EncodeExactly(pixels, chosen);
    }
    End(out);
}

void LzwEncoder::End(std::vector<uint8_t>& out)
{
    PutCode(m_clearCode + 1);
    FlushBits();
    Reset(m_clearCode + 2);

    out.push_back(uint8_t(m_minimumCodeSize));
    for (size_t start = 0; start < m_codes.size(); start += 255)
    {
        const size_t size = std::min<size_t>(255, m_codes.size() - start);
        out.push_back(uint8_t(size));
        out.insert(out.end(), m_codes.begin() + start, m_codes.begin() + start + size);
    }
    out.push_back(0);
}
