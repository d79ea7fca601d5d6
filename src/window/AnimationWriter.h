// Turns paletted frames into the bytes of an animated GIF that shows them in
// turn. Later frames store only the rectangle that differs from what is on
// screen, pixels in it that may stay as they are become transparent where
// that shortens the code stream, and a frame that changes nothing is merged
// into the one before it, their delays added. The global colour table takes
// the colours of later frames while it has room; until it is full the file
// is held in memory, as the table comes first in the file. Exact frames are
// held back unencoded while their colours fit in one table, so that the
// colours most frames need get the lowest indices and those frames get
// narrower codes.
#pragma once

#include "window/ColourIndex.h"
#include "window/GifWriter.h"
#include "window/LzwEncoder.h"

#include <cstdint>
#include <vector>

// A frame of the output size whose pixels are indices into its palette.
struct IndexedFrame
{
    GifBlocks::ColourTable palette; // at most 256 colours
    std::vector<uint8_t> indices;   // one per pixel, row by row
    // How far, as a squared distance between colours, a shown pixel may be
    // from the frame's own; 0 keeps every pixel exact.
    int tolerance = 0;
};

// Squared distance between two 0xRRGGBB colours.
inline int ColourDistance(uint32_t a, uint32_t b)
{
    const int r = int((a >> 16) & 0xFF) - int((b >> 16) & 0xFF);
    const int g = int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF);
    const int bl = int(a & 0xFF) - int(b & 0xFF);
    return r * r + g * g + bl * bl;
}

class AnimationWriter
{
public:
    // plays: times the animation plays, 0 for forever. Without changedOnly
    // every frame is stored whole, as a plain full-frame GIF.
    AnimationWriter(int width, int height, int plays, bool changedOnly);

    // Appends to out the bytes that are ready; the frame itself is held
    // back until the next one shows whether it must be merged.
    void AddFrame(const IndexedFrame& frame, int delay, GifBlocks::Bytes& out);
    // Appends the frame held back and the trailer.
    void Finish(GifBlocks::Bytes& out);

    // Frames in the file, merged ones counted once.
    int FramesStored() const { return m_framesStored; }

private:
    struct Rect
    {
        int left = 0, top = 0, width = 0, height = 0;
        bool Empty() const { return width <= 0 || height <= 0; }
    };
    struct Encoded;
    struct Region;
    struct Way
    {
        int shortestRun;
        bool alwaysTransparent;
        bool mixed;
        bool everyColour = false;
    };
    static const Way kWays[5];
    static const Way kMixableWays[11];
    // An exact frame held back until the global table's order is known.
    struct Held
    {
        Rect rect;
        int delay = 0;
        bool first = false;
        GifBlocks::ColourTable palette;
        std::vector<uint8_t> indices; // the rectangle's, row by row
        std::vector<uint8_t> same;    // nonzero where the pixel is already on screen
    };

    Rect ChangedRect(const IndexedFrame& frame) const;
    // The global table's encoding of a frame, which a local table must beat.
    struct Rival
    {
        int codeSize = 0; // 0: none
        size_t codes = 0;
    };
    // way: which pixels that may stay become transparent. False, and nothing
    // encoded, where a local table's narrower codes could not save the
    // table's own bytes against rival.
    bool Encode(const Region& region, const Rect& rect, bool useGlobal, const Way& way, const Rival& rival,
                Encoded& result);
    Encoded EncodeSmallest(const Region& region, const Rect& rect, bool first);
    void Show(const Rect& rect, const Encoded& encoded);
    void Store(const IndexedFrame& frame, int delay, GifBlocks::Bytes& out);
    bool CanHold(const IndexedFrame& frame) const;
    bool Hold(const IndexedFrame& frame, const Rect& rect, int delay);
    void WriteHeld(GifBlocks::Bytes& out);
    void OrderGlobalTableByUse();
    void OrderGlobalTable(const IndexedFrame& next);
    void FlushPending(GifBlocks::Bytes& out);
    void SettleGlobalTable(GifBlocks::Bytes& out);

    const int m_width;
    const int m_height;
    const int m_plays;
    const bool m_changedOnly;
    bool m_started = false;
    // The first frame waits for the second, which shows which colours change.
    IndexedFrame m_first;
    int m_firstDelay = -1;
    GifBlocks::ColourTable m_global;
    bool m_settled = false;       // the header is out and the global table fixed
    GifBlocks::Bytes m_unsettled; // frames written before that
    std::vector<uint32_t> m_shown; // what a decoder shows now
    // Frames are held while this is true; it ends with the first frame that
    // cannot be.
    bool m_holding = true;
    std::vector<Held> m_held;
    size_t m_heldBytes = 0;
    GifBlocks::ColourTable m_heldColours;
    ColourIndex m_heldLookup;
    GifBlocks::Bytes m_pending;
    int m_pendingDelay = 0;
    int m_framesStored = 0;
    LzwEncoder m_lzw;
};
