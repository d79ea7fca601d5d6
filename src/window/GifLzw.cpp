#include "window/GifLzw.h"

#include <algorithm>

bool GifLzwDecoder::Start(int minimumCodeSize)
{
    if (minimumCodeSize < 1 || minimumCodeSize > 8)
        return false;
    m_minimumCodeSize = minimumCodeSize;
    m_clearCode = 1 << minimumCodeSize;
    for (int code = 0; code < m_clearCode; ++code)
    {
        m_suffix[code] = m_first[code] = uint8_t(code);
        m_length[code] = 1;
    }
    m_bits = 0;
    m_bitCount = 0;
    m_finished = false;
    Reset();
    return true;
}

void GifLzwDecoder::Reset()
{
    m_codeSize = m_minimumCodeSize + 1;
    m_nextCode = m_clearCode + 2;
    m_previous = -1;
}

bool GifLzwDecoder::Feed(const uint8_t* bytes, size_t count, std::vector<uint8_t>& output, size_t outputLimit)
{
    for (size_t i = 0; i < count && !m_finished; ++i)
    {
        m_bits |= uint32_t(bytes[i]) << m_bitCount;
        m_bitCount += 8;
        while (m_bitCount >= m_codeSize && !m_finished)
        {
            const int code = int(m_bits & ((1u << m_codeSize) - 1));
            m_bits >>= m_codeSize;
            m_bitCount -= m_codeSize;
            m_finished = !Take(code, output, outputLimit);
        }
    }
    return !m_finished;
}

bool GifLzwDecoder::Take(int code, std::vector<uint8_t>& output, size_t outputLimit)
{
    if (code == m_clearCode)
    {
        Reset();
        return true;
    }
    if (code == m_clearCode + 1 || output.size() >= outputLimit)
        return false;
    // A code one past the table is the previous string and its own first
    // index; any later one names nothing.
    const bool pending = code == m_nextCode && m_previous >= 0;
    if (code > m_nextCode || (code == m_nextCode && !pending) || code >= kMostCodes)
        return false;
    if (m_previous >= 0 && m_nextCode < kMostCodes)
    {
        const int added = m_nextCode++;
        m_prefix[added] = uint16_t(m_previous);
        m_first[added] = m_first[m_previous];
        m_suffix[added] = pending ? m_first[m_previous] : m_first[code];
        m_length[added] = uint16_t(m_length[m_previous] + 1);
        // The code size grows with the table, up to 12 bits; a full table
        // keeps 12-bit codes until a clear code, if any comes.
        if (m_nextCode == (1 << m_codeSize) && m_codeSize < 12)
            ++m_codeSize;
    }
    m_previous = code;
    const size_t start = output.size();
    const size_t length = m_length[code];
    output.resize(std::min(start + length, outputLimit));
    size_t position = start + length;
    for (int string = code; position > start; string = m_prefix[string])
    {
        --position;
        if (position < output.size())
            output[position] = m_suffix[string];
        if (position == start)
            break;
    }
    return true;
}
