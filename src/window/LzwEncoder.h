// The GIF flavour of LZW, with a choice of index at every pixel: a pixel
// that may stay as it is on screen can take the transparent index, and
// within a tolerance a pixel can take any index whose colour is close
// enough. The encoder takes whichever choice extends the string it is
// building, which is what makes frame differences and lossy output pay.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct LzwPixels
{
    size_t count = 0;
    int minimumCodeSize = 2;          // 2 to 8; every index is below 2^minimumCodeSize
    const uint8_t* wanted = nullptr;  // the index each pixel should have
    // Nonzero where the pixel may take transparentIndex instead; null for none.
    const uint8_t* keepable = nullptr;
    int transparentIndex = -1;
    // Pixels that may stay always take transparentIndex, even where their
    // own index would make a longer string.
    bool alwaysTransparent = false;
    // acceptable[wanted * 256 + other] nonzero when index other may stand for
    // index wanted; null when every pixel must have exactly its own index.
    const uint8_t* acceptable = nullptr;
    // With acceptable: for each index, the others that may stand for it,
    // nearest first.
    const std::vector<uint8_t>* alternatives = nullptr;
};

class LzwEncoder
{
public:
    LzwEncoder();

    // Appends the image data block (the minimum code size, the codes in
    // sub-blocks and the block terminator) to out, and the index given to
    // every pixel to chosen (count entries).
    void Encode(const LzwPixels& pixels, std::vector<uint8_t>& out, std::vector<uint8_t>& chosen);
    // Codes written by the last Encode, the clear and end codes included.
    size_t CodesWritten() const { return m_codesWritten; }
    // Encodes exact pixels given several ways (the same but for keepable
    // and alwaysTransparent). The table is cleared whenever it is full, and
    // each stretch between clears is encoded the way that covers the most
    // pixels per bit.
    void EncodeMixed(const std::vector<LzwPixels>& ways, std::vector<uint8_t>& out, std::vector<uint8_t>& chosen);

private:
    static const int kMaxCodes = 4096;

    void Reset(int firstFree);
    int StartString(const LzwPixels& pixels, size_t p) const;
    int ExtendString(const LzwPixels& pixels, size_t p, int node, uint8_t& index) const;
    void EncodeExactly(const LzwPixels& pixels, std::vector<uint8_t>& chosen);
    // Encodes from pixel from on with a table fresh from a clear, until the
    // pixels end or the table is full; returns the pixel it stopped at.
    size_t EncodeStretch(const LzwPixels& pixels, size_t from, std::vector<uint8_t>& chosen);
    void Begin(const LzwPixels& pixels, size_t count, std::vector<uint8_t>& chosen);
    void End(std::vector<uint8_t>& out);
    void EncodeLossily(const LzwPixels& pixels, std::vector<uint8_t>& chosen);
    bool Acceptable(const LzwPixels& pixels, size_t p, int index) const;
    // The code of the longest string in the table that may stand for the
    // pixels from p on, and its length. previous is the string before, -1
    // after a clear; root receives the string's first index.
    int LongestMatch(const LzwPixels& pixels, size_t p, int previous, int& length, int& root);
    // Searches the strings that start with root, up to steps nodes.
    void SearchFrom(const LzwPixels& pixels, size_t p, int root, int steps, int& bestCode, int& length);
    // Emits a clear code and starts the table afresh.
    void ClearTable(int firstFree, int minimumCodeSize);
    void AddString(int prefix, uint8_t index);
    void PutCode(int code);
    void FlushBits();

    std::vector<uint16_t> m_child;       // [prefix * 256 + index] -> code, 0 for none
    std::vector<uint16_t> m_firstChild;  // per code, 0 for none
    std::vector<uint16_t> m_nextSibling; // per code
    std::vector<uint16_t> m_prefix;      // per code
    std::vector<uint8_t> m_last;         // per code, its last index
    int m_nextCode = 0;
    int m_codeSize = 0;
    int m_clearCode = 0;
    int m_minimumCodeSize = 2;
    uint64_t m_bits = 0;
    int m_bitCount = 0;
    size_t m_codesWritten = 0;
    // While counting, codes are only counted, in bits.
    bool m_counting = false;
    size_t m_bitsCounted = 0;
    std::vector<uint8_t> m_codes;
    std::vector<std::pair<uint16_t, uint16_t>> m_stack; // code, length
};
