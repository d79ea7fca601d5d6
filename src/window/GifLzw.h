// Decompresses the LZW data of one GIF image into colour indices.
//
// Once its table holds 4,096 strings an encoder may go on without a clear
// code, using the table as it stands; browsers show such images, so this
// decoder does too (giflib stops there).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class GifLzwDecoder
{
public:
    // minimumCodeSize is the byte before the image's data blocks (1 to 8
    // in valid files; others are refused by Start).
    bool Start(int minimumCodeSize);

    // Decodes the bytes of one data block, appending indices to output
    // until it holds outputLimit of them. False once the data is damaged
    // (a code that names no string) or the end code was read; the indices
    // decoded before stay in output.
    bool Feed(const uint8_t* bytes, size_t count, std::vector<uint8_t>& output, size_t outputLimit);

private:
    void Reset();
    bool Take(int code, std::vector<uint8_t>& output, size_t outputLimit);

    static const int kMostCodes = 4096;
    int m_minimumCodeSize = 0;
    int m_clearCode = 0;
    int m_codeSize = 0;
    int m_nextCode = 0;
    int m_previous = -1;
    uint32_t m_bits = 0;
    int m_bitCount = 0;
    bool m_finished = false;
    uint16_t m_prefix[kMostCodes] = {};
    uint8_t m_suffix[kMostCodes] = {};
    uint8_t m_first[kMostCodes] = {};   // first index of each string
    uint16_t m_length[kMostCodes] = {}; // indices in each string
};
