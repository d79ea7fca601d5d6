#include "window/AnimationWriter.h"

#include "window/ColourIndex.h"

#include <algorithm>

using namespace GifBlocks;

namespace
{
// Quantised frames are stored every way for rectangles up to this many
// pixels.
const size_t kTryEveryWayPixels = 1 << 16;
const int kNoIndex = -1;

// Beyond this many bytes held back the global table is fixed as it stands.
const size_t kMaxUnsettledBytes = 16 << 20;
// Nor are more unencoded frames held than this, or more bytes of them.
const size_t kMaxHeldFrames = 1024;
const size_t kMaxHeldBytes = 16 << 20;

// Clears the runs of nonzero entries shorter than shortestRun.
void DropShortRuns(uint8_t* keep, size_t count, int shortestRun)
{
    for (size_t x = 0; x < count;)
    {
        size_t end = x;
        while (end < count && keep[end])
            ++end;
        if (end - x < size_t(shortestRun))
            std::fill(keep + x, keep + end, 0);
        for (x = end; x < count && !keep[x];)
            ++x;
    }
}

// Bits taken by count codes after a clear with this minimum code size, the
// table cleared when full as the encoder does.
double CodeBits(int minimumCodeSize, size_t count)
{
    const int firstFree = (1 << minimumCodeSize) + 2;
    double bits = 0;
    int next = firstFree, size = minimumCodeSize + 1;
    for (size_t k = 0; k < count; ++k)
    {
        bits += size;
        if (++next >= (1 << size) && size < 12)
            ++size;
        if (next > 4094)
        {
            next = firstFree;
            size = minimumCodeSize + 1;
        }
    }
    return bits;
}

// A set of indices below 256.
struct IndexSet
{
    uint64_t words[4] = {};
    void Add(int i) { words[i >> 6] |= uint64_t(1) << (i & 63); }
    bool Has(int i) const { return (words[i >> 6] >> (i & 63)) & 1; }
    int Count() const
    {
        int n = 0;
        for (uint64_t w : words)
            n += __builtin_popcountll(w);
        return n;
    }
    // How many of this set's indices other lacks.
    int CountMissingFrom(const IndexSet& other) const
    {
        int n = 0;
        for (int i = 0; i < 4; ++i)
            n += __builtin_popcountll(words[i] & ~other.words[i]);
        return n;
    }
    void AddAll(const IndexSet& other)
    {
        for (int i = 0; i < 4; ++i)
            words[i] |= other.words[i];
    }
};
} // namespace

// The pixels of a rectangle to store, from its top left corner on.
struct AnimationWriter::Region
{
    const ColourTable* palette = nullptr;
    const uint8_t* indices = nullptr;
    size_t stride = 0;
    // What is on screen under the rectangle; or, for exact frames, same:
    // nonzero where the pixel shows its colour already.
    const uint32_t* shown = nullptr;
    const uint8_t* same = nullptr;
    int tolerance = 0;
};

struct AnimationWriter::Encoded
{
    Bytes bytes;            // graphic control, descriptor, local table, data
    ColourTable table;      // the table the indices refer to
    int transparent = -1;
    bool global = false;
    int minimumCodeSize = 2;
    std::vector<uint8_t> chosen;
};

// Ways of giving the transparent index to pixels that may stay: in every
// run of them, or in none; either where that makes the longer string, or
// always: strings of the own colours between new pixels may only crowd the
// code table. Mixed: each stretch between clears of the code table is
// encoded whichever of the mixable ways covers it in the fewest bits, with
// every colour of the rectangle in the table, or only those of the pixels
// that change (narrower codes; pixels that may stay and whose colour is
// left out then stay in every way). The mixable ways also give the
// transparent index only to runs at least so long: long runs alone win
// where text scrolls over a plain background, as the pixels between the
// runs then repeat the strings of the background and the text around them.
const AnimationWriter::Way AnimationWriter::kWays[] = {{1, false, false}, {0, false, false}, {1, true, false},
                                                       {1, false, true, true}, {1, false, true, false}};
const AnimationWriter::Way AnimationWriter::kMixableWays[] = {
    {0, false, false},  {1, false, false},  {8, false, false}, {16, false, false}, {32, false, false},
    {64, false, false}, {128, false, false}, {1, true, false},  {8, true, false},   {32, true, false},
    {64, true, false}};

AnimationWriter::AnimationWriter(int width, int height, int plays, bool changedOnly)
    : m_width(width), m_height(height), m_plays(plays), m_changedOnly(changedOnly)
{
}

AnimationWriter::Rect AnimationWriter::ChangedRect(const IndexedFrame& frame) const
{
    if (!m_started || !m_changedOnly)
        return Rect{0, 0, m_width, m_height};
    int left = m_width, right = -1, top = m_height, bottom = -1;
    for (int y = 0; y < m_height; ++y)
    {
        const size_t row = size_t(y) * size_t(m_width);
        const uint8_t* indices = frame.indices.data() + row;
        const uint32_t* shown = m_shown.data() + row;
        int first = -1, last = -1;
        for (int x = 0; x < m_width; ++x)
        {
            const uint32_t colour = frame.palette[indices[x]];
            const bool changed = frame.tolerance == 0 ? colour != shown[x]
                                                      : ColourDistance(colour, shown[x]) > frame.tolerance;
            if (!changed)
                continue;
            if (first < 0)
                first = x;
            last = x;
        }
        if (first < 0)
            continue;
        left = std::min(left, first);
        right = std::max(right, last);
        top = std::min(top, y);
        bottom = y;
    }
    if (right < 0)
        return Rect();
    return Rect{left, top, right - left + 1, bottom - top + 1};
}

// Encodes the rectangle with the global table or with a local one that
// holds just the colours the rectangle needs. False when the global table
// lacks a colour or a free index for transparency.
bool AnimationWriter::Encode(const Region& region, const Rect& rect, bool useGlobal, const Way& way,
                             const Rival& rival, Encoded& result)
{
    const int shortestRun = way.mixed ? 1 : way.shortestRun;
    const ColourTable& palette = *region.palette;
    const size_t pixels = size_t(rect.width) * size_t(rect.height);
    std::vector<uint8_t> keepable(pixels, 0);
    bool needed[256] = {};
    bool present[256] = {};
    bool anyKeepable = false;
    for (int y = 0; y < rect.height; ++y)
    {
        const size_t from = size_t(y) * region.stride;
        const uint8_t* indices = region.indices + from;
        uint8_t* keep = keepable.data() + size_t(y) * rect.width;
        for (int x = 0; x < rect.width && shortestRun > 0; ++x)
        {
            if (region.same)
            {
                keep[x] = region.same[from + x];
                continue;
            }
            const uint32_t colour = palette[indices[x]];
            const uint32_t shown = region.shown[from + x];
            keep[x] = region.tolerance == 0 ? colour == shown : ColourDistance(colour, shown) <= region.tolerance;
        }
        // Runs shorter than shortestRun are written out instead.
        for (int x = 0; x < rect.width;)
        {
            int end = x;
            while (end < rect.width && keep[end])
                ++end;
            if (end - x < shortestRun)
                std::fill(keep + x, keep + end, 0);
            anyKeepable |= end - x >= shortestRun && end > x;
            for (x = end; x < rect.width && !keep[x]; ++x)
                needed[indices[x]] = true;
        }
        for (int x = 0; x < rect.width && way.mixed; ++x)
            (way.everyColour ? needed : present)[indices[x]] = true;
    }
    // Mixed with the changing colours only, when they are every colour, is
    // mixed with every colour again.
    if (way.mixed && !way.everyColour &&
        std::equal(std::begin(present), std::end(present), std::begin(needed),
                   [](bool there, bool need) { return !there || need; }))
        return false;

    // Where each palette index goes in the table.
    int tableIndex[256];
    std::fill(std::begin(tableIndex), std::end(tableIndex), kNoIndex);
    result.transparent = -1;
    if (useGlobal)
    {
        // The global table as it would be with the colours it lacks added.
        result.table = m_global;
        ColourIndex lookup;
        for (size_t i = 0; i < result.table.size(); ++i)
            lookup.Insert(result.table[i], int(i));
        bool taken[256] = {};
        for (size_t i = 0; i < palette.size(); ++i)
        {
            int found = lookup.Find(palette[i]);
            if (needed[i] && found < 0)
            {
                if (m_settled || result.table.size() == 256)
                    return false;
                found = int(result.table.size());
                lookup.Insert(palette[i], found);
                result.table.push_back(palette[i]);
            }
            tableIndex[i] = found;
            if (needed[i])
                taken[found] = true;
        }
        if (anyKeepable)
        {
            const int entries = 1 << TableBits(int(result.table.size()));
            for (int i = 0; i < entries && result.transparent < 0; ++i)
                if (!taken[i])
                    result.transparent = i;
            if (result.transparent < 0)
                return false;
        }
    }
    else
    {
        result.table.clear();
        for (size_t i = 0; i < palette.size(); ++i)
            if (needed[i])
            {
                tableIndex[i] = int(result.table.size());
                result.table.push_back(palette[i]);
            }
        if (anyKeepable && result.table.size() < 256)
        {
            result.transparent = int(result.table.size());
            result.table.push_back(0);
        }
        else if (anyKeepable)
        {
            // Every colour is needed: the pixels that may stay show their own.
            for (size_t i = 0; i < palette.size(); ++i)
                tableIndex[i] = int(i);
            result.table = palette;
            std::fill(keepable.begin(), keepable.end(), 0);
        }
    }
    const ColourTable& table = result.table;
    const int transparent = result.transparent;
    if (way.mixed && (transparent < 0 || region.tolerance > 0))
        return false;

    // Codes need only be as wide as the highest index that must be written;
    // pixels that may stay and whose own index is higher stay.
    int highestNeeded = std::max(transparent, 0);
    for (size_t i = 0; i < palette.size(); ++i)
        if (needed[i])
            highestNeeded = std::max(highestNeeded, tableIndex[i]);
    std::vector<uint8_t> wanted(pixels);
    for (int y = 0; y < rect.height; ++y)
    {
        const uint8_t* indices = region.indices + size_t(y) * region.stride;
        for (int x = 0; x < rect.width; ++x)
        {
            const int index = tableIndex[indices[x]];
            const size_t p = size_t(y) * rect.width + x;
            // A pixel whose colour the table lacks may stay as it is.
            const bool usable = index >= 0 && index != transparent && index <= highestNeeded;
            wanted[p] = uint8_t(usable ? index : transparent);
        }
    }

    std::vector<uint8_t> acceptable;
    std::vector<std::vector<uint8_t>> alternatives(256);
    if (region.tolerance > 0)
    {
        acceptable.assign(256 * 256, 0);
        std::vector<std::pair<int, uint8_t>> near;
        for (size_t a = 0; a < table.size(); ++a)
        {
            near.clear();
            for (size_t b = 0; b < table.size(); ++b)
            {
                const int distance = ColourDistance(table[a], table[b]);
                if (int(a) == transparent || int(b) == transparent || distance > region.tolerance)
                    continue;
                acceptable[a * 256 + b] = 1;
                near.emplace_back(distance, uint8_t(b));
            }
            std::sort(near.begin(), near.end());
            for (const auto& entry : near)
                alternatives[a].push_back(entry.second);
        }
    }

    // A lossy encoder may use any index of the table.
    const int highestIndex = acceptable.empty() ? highestNeeded : int(table.size()) - 1;

    LzwPixels input;
    input.count = pixels;
    input.minimumCodeSize = std::max(TableBits(highestIndex + 1), 2);
    result.minimumCodeSize = input.minimumCodeSize;
    if (!useGlobal && rival.codeSize > 0)
    {
        // Narrower codes must save more than the local table takes.
        const double saved = (CodeBits(rival.codeSize, rival.codes) - CodeBits(input.minimumCodeSize, rival.codes)) / 8;
        if (saved <= 3.0 * double(1 << TableBits(int(table.size()))))
            return false;
    }
    input.wanted = wanted.data();
    input.keepable = transparent >= 0 ? keepable.data() : nullptr;
    input.transparentIndex = transparent;
    input.alwaysTransparent = way.alwaysTransparent;
    input.acceptable = acceptable.empty() ? nullptr : acceptable.data();
    input.alternatives = alternatives.data();

    result.bytes.clear();
    AppendGraphicControl(result.bytes, 0, transparent);
    AppendImageDescriptor(result.bytes, rect.left, rect.top, rect.width, rect.height,
                          useGlobal ? ColourTable() : result.table);
    if (way.mixed)
    {
        std::vector<LzwPixels> ways;
        std::vector<std::vector<uint8_t>> masks;
        masks.reserve(std::size(kMixableWays));
        for (const Way& other : kMixableWays)
        {
            LzwPixels pixels = input;
            pixels.alwaysTransparent = other.alwaysTransparent;
            pixels.keepable = nullptr;
            if (other.shortestRun > 0)
            {
                masks.push_back(keepable);
                // Runs go on from the end of a row to the start of the next, as
                // the codes do.
                DropShortRuns(masks.back().data(), masks.back().size(), other.shortestRun);
                pixels.keepable = masks.back().data();
            }
            // Thresholds that leave the same runs make the same codes.
            const auto same = [&](const LzwPixels& tried) {
                return tried.alwaysTransparent == pixels.alwaysTransparent &&
                       (tried.keepable == nullptr) == (pixels.keepable == nullptr) &&
                       (!pixels.keepable || std::equal(pixels.keepable, pixels.keepable + pixels.count, tried.keepable));
            };
            if (std::none_of(ways.begin(), ways.end(), same))
                ways.push_back(pixels);
        }
        m_lzw.EncodeMixed(ways, result.bytes, result.chosen);
    }
    else
        m_lzw.Encode(input, result.bytes, result.chosen);
    result.global = useGlobal;
    return true;
}

void AnimationWriter::Show(const Rect& rect, const Encoded& encoded)
{
    for (int y = 0; y < rect.height; ++y)
    {
        uint32_t* shown = m_shown.data() + size_t(rect.top + y) * size_t(m_width) + size_t(rect.left);
        const uint8_t* chosen = encoded.chosen.data() + size_t(y) * rect.width;
        for (int x = 0; x < rect.width; ++x)
            if (chosen[x] != encoded.transparent)
                shown[x] = encoded.table[chosen[x]];
    }
}

void AnimationWriter::FlushPending(Bytes& out)
{
    if (m_pending.empty())
        return;
    const int delay = std::min(m_pendingDelay, kMaxDelay);
    m_pending[kGraphicControlDelayOffset] = uint8_t(delay & 0xFF);
    m_pending[kGraphicControlDelayOffset + 1] = uint8_t(delay >> 8);
    Bytes& to = m_settled ? out : m_unsettled;
    to.insert(to.end(), m_pending.begin(), m_pending.end());
    m_pending.clear();
    ++m_framesStored;
    if (!m_settled && (m_global.size() == 256 || m_unsettled.size() > kMaxUnsettledBytes))
        SettleGlobalTable(out);
}

void AnimationWriter::SettleGlobalTable(Bytes& out)
{
    if (m_settled)
        return;
    AppendHeader(out, m_width, m_height, m_global);
    AppendLooping(out, m_plays);
    out.insert(out.end(), m_unsettled.begin(), m_unsettled.end());
    Bytes().swap(m_unsettled);
    m_settled = true;
}

// Codes are as wide as the highest index a frame uses needs, so the colours
// of what changes between the first two frames, which usually go on
// changing, come first in the global table.
void AnimationWriter::OrderGlobalTable(const IndexedFrame& next)
{
    const IndexedFrame& first = m_first;
    ColourIndex placed;
    const auto place = [&](uint32_t colour) {
        if (m_global.size() < 256 && placed.Insert(colour, int(m_global.size())) == int(m_global.size()))
            m_global.push_back(colour);
    };
    m_global.clear();
    for (size_t p = 0; p < first.indices.size() && p < next.indices.size(); ++p)
    {
        const uint32_t was = first.palette[first.indices[p]];
        const uint32_t now = next.palette[next.indices[p]];
        if (was == now)
            continue;
        place(was);
        place(now);
    }
    // The first frame's colours must all be there.
    const size_t room = 256 - first.palette.size();
    ColourIndex inFirst;
    for (size_t i = 0; i < first.palette.size(); ++i)
        inFirst.Insert(first.palette[i], int(i));
    GifBlocks::ColourTable ordered;
    size_t extra = 0;
    for (uint32_t colour : m_global)
        if (inFirst.Find(colour) >= 0 || extra++ < room)
            ordered.push_back(colour);
    m_global.swap(ordered);
    ColourIndex kept;
    for (size_t i = 0; i < m_global.size(); ++i)
        kept.Insert(m_global[i], int(i));
    for (uint32_t colour : first.palette)
        if (kept.Insert(colour, int(m_global.size())) == int(m_global.size()))
            m_global.push_back(colour);
}

void AnimationWriter::AddFrame(const IndexedFrame& frame, int delay, Bytes& out)
{
    delay = std::max(delay, 0);
    if (!m_started && m_firstDelay < 0 && !CanHold(frame))
    {
        m_first = frame;
        m_firstDelay = delay;
        return;
    }
    if (!m_started && m_firstDelay >= 0)
    {
        OrderGlobalTable(frame);
        Store(m_first, m_firstDelay, out);
        m_first = IndexedFrame();
    }
    Store(frame, delay, out);
}

bool AnimationWriter::CanHold(const IndexedFrame& frame) const
{
    return m_holding && m_changedOnly && !m_settled && frame.tolerance == 0;
}

// False, and nothing held, when the frame's colours and those held before
// do not fit in one table.
bool AnimationWriter::Hold(const IndexedFrame& frame, const Rect& rect, int delay)
{
    const size_t pixels = size_t(rect.width) * size_t(rect.height);
    if (m_held.size() >= kMaxHeldFrames || m_heldBytes + 2 * pixels > kMaxHeldBytes)
        return false;
    Held held;
    held.rect = rect;
    held.delay = delay;
    held.first = !m_started;
    held.palette = frame.palette;
    held.indices.resize(pixels);
    held.same.resize(pixels);
    if (!m_started)
        m_shown.assign(size_t(m_width) * size_t(m_height), 0);
    bool used[256] = {};
    for (int y = 0; y < rect.height; ++y)
    {
        const size_t from = size_t(rect.top + y) * size_t(m_width) + size_t(rect.left);
        for (int x = 0; x < rect.width; ++x)
        {
            const uint8_t index = frame.indices[from + x];
            const size_t p = size_t(y) * rect.width + x;
            held.indices[p] = index;
            held.same[p] = m_started && frame.palette[index] == m_shown[from + x];
            used[index] = true;
        }
    }
    size_t added = 0;
    for (size_t i = 0; i < frame.palette.size(); ++i)
        added += used[i] && m_heldLookup.Find(frame.palette[i]) < 0;
    if (m_heldColours.size() + added > 256)
        return false;
    for (size_t i = 0; i < frame.palette.size(); ++i)
        if (used[i] && m_heldLookup.Insert(frame.palette[i], int(m_heldColours.size())) == int(m_heldColours.size()))
            m_heldColours.push_back(frame.palette[i]);
    // An exact frame shows its own colours whichever way it is stored.
    for (int y = 0; y < rect.height; ++y)
    {
        uint32_t* shown = m_shown.data() + size_t(rect.top + y) * size_t(m_width) + size_t(rect.left);
        const uint8_t* indices = held.indices.data() + size_t(y) * rect.width;
        for (int x = 0; x < rect.width; ++x)
            shown[x] = frame.palette[indices[x]];
    }
    m_heldBytes += 2 * pixels;
    m_held.push_back(std::move(held));
    m_started = true;
    return true;
}

namespace
{
struct ColourUse
{
    IndexSet colours;
    int size = 0;              // colours in the set
    bool transparent = false;  // needs a free index too
    double bits[9] = {};       // the frame's codes, by minimum code size
};

// The bits of all frames' codes with the colours at these positions.
double TotalBits(const std::vector<ColourUse>& uses, const std::vector<int>& position)
{
    double total = 0;
    for (const ColourUse& use : uses)
    {
        IndexSet at;
        int highest = 0;
        for (size_t c = 0; c < position.size(); ++c)
            if (use.colours.Has(int(c)))
            {
                at.Add(position[c]);
                highest = std::max(highest, position[c]);
            }
        if (use.transparent)
        {
            int free = 0;
            while (free < 256 && at.Has(free))
                ++free;
            highest = std::max(highest, free);
        }
        total += use.bits[std::max(TableBits(highest + 1), 2)];
    }
    return total;
}

// Chooses, from bound 128 down to 4, the colours that come below the bound:
// greedily the frames that save the most bits for the colours they add
// (slack weighs the colours against the savings), then the colours most
// used.
std::vector<int> OrderColours(const std::vector<ColourUse>& uses, const std::vector<int>& byUse, double slack)
{
    const int count = int(byUse.size());
    std::vector<int> level(size_t(count), 8);
    IndexSet kept;
    for (int c = 0; c < count; ++c)
        kept.Add(c);
    int keptCount = count;
    for (int bits = 7; bits >= 2; --bits)
    {
        const int bound = 1 << bits;
        if (keptCount > bound)
        {
            IndexSet chosen;
            int chosenCount = 0;
            std::vector<char> taken(uses.size(), 0);
            for (;;)
            {
                int best = -1;
                double bestScore = 0;
                for (size_t u = 0; u < uses.size(); ++u)
                {
                    const ColourUse& use = uses[u];
                    if (taken[u] || use.size + int(use.transparent) > bound || use.colours.CountMissingFrom(kept) > 0)
                        continue;
                    const int added = use.colours.CountMissingFrom(chosen);
                    if (chosenCount + added > bound)
                        continue;
                    const double saving = use.bits[std::max(bits + 1, 2)] - use.bits[std::max(bits, 2)];
                    const double score = saving / (added + slack);
                    if (best < 0 || score > bestScore)
                    {
                        best = int(u);
                        bestScore = score;
                    }
                }
                if (best < 0)
                    break;
                taken[size_t(best)] = 1;
                chosen.AddAll(uses[size_t(best)].colours);
                chosenCount = chosen.Count();
            }
            for (int c : byUse)
                if (chosenCount < bound && kept.Has(c) && !chosen.Has(c))
                {
                    chosen.Add(c);
                    ++chosenCount;
                }
            kept = chosen;
            keptCount = chosenCount;
        }
        for (int c = 0; c < count; ++c)
            if (kept.Has(c))
                level[size_t(c)] = bits;
    }
    std::vector<int> order = byUse;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return level[size_t(a)] < level[size_t(b)]; });
    return order;
}
} // namespace

// Orders the colours of the held frames so that as many of them as pays
// need only the first 4, 8 ... 128 indices of the table (and one more for
// transparency), as a frame's codes are as wide as its highest index needs.
void AnimationWriter::OrderGlobalTableByUse()
{
    const int count = int(m_heldColours.size());
    std::vector<ColourUse> uses;
    std::vector<double> frequency(size_t(count), 0.0);
    Encoded trial;
    for (const Held& held : m_held)
    {
        ColourUse use;
        bool needed[256] = {};
        for (size_t p = 0; p < held.indices.size(); ++p)
        {
            use.transparent |= held.same[p] != 0;
            if (!held.same[p])
                needed[held.indices[p]] = true;
        }
        for (size_t i = 0; i < held.palette.size(); ++i)
            if (needed[i])
                use.colours.Add(m_heldLookup.Find(held.palette[i]));
        use.size = use.colours.Count();
        // The number of codes hardly depends on the indices: one encoding
        // tells it for every order.
        Region region;
        region.palette = &held.palette;
        region.indices = held.indices.data();
        region.same = held.same.data();
        region.stride = size_t(held.rect.width);
        Encode(region, held.rect, false, Way{held.first ? 0 : 1, false, false}, Rival(), trial);
        for (int bits = 2; bits <= 8; ++bits)
            use.bits[bits] = CodeBits(bits, m_lzw.CodesWritten());
        for (int c = 0; c < count; ++c)
            if (use.colours.Has(c))
                frequency[size_t(c)] += use.bits[8] - use.bits[7];
        uses.push_back(use);
    }
    std::vector<int> byUse(static_cast<size_t>(count));
    for (int c = 0; c < count; ++c)
        byUse[size_t(c)] = c;
    std::stable_sort(byUse.begin(), byUse.end(),
                     [&](int a, int b) { return frequency[size_t(a)] > frequency[size_t(b)]; });

    std::vector<int> best = byUse;
    double bestBits = 0;
    std::vector<int> position(static_cast<size_t>(count));
    bool first = true;
    for (const double slack : {0.5, 2.0, 8.0, 1e9})
    {
        std::vector<int> order = OrderColours(uses, byUse, slack);
        for (int i = 0; i < count; ++i)
            position[size_t(order[size_t(i)])] = i;
        const double bits = TotalBits(uses, position);
        if (first || bits < bestBits)
        {
            best = order;
            bestBits = bits;
        }
        first = false;
    }
    m_global.clear();
    for (int c : best)
        m_global.push_back(m_heldColours[size_t(c)]);
}

AnimationWriter::Encoded AnimationWriter::EncodeSmallest(const Region& region, const Rect& rect, bool first)
{
    // Every way of storing the frame is tried where that is cheap: screen
    // content, and small rectangles. Large quantised frames are stored one
    // way only, with transparency and in the global table when it can hold
    // them: their lossy search dominates the time, and on photographs and
    // video the other ways never came out smaller.
    const bool cheap = region.tolerance == 0 || size_t(rect.width) * rect.height <= kTryEveryWayPixels;
    const bool canBeTransparent = !first && m_changedOnly;
    Encoded best;
    bool found = false;
    Rival global[std::size(kWays)];
    for (const bool useGlobal : {true, false})
        for (const Way& way : kWays)
        {
            const int onlyWay = canBeTransparent ? 1 : 0;
            // The lossy search chooses between own and transparent itself.
            if (((way.alwaysTransparent || way.mixed) && region.tolerance > 0) ||
                (first && !useGlobal) || ((way.shortestRun > 0 || way.mixed) && !canBeTransparent) ||
                (!cheap && (way.shortestRun != onlyWay || way.alwaysTransparent || way.mixed || (found && !useGlobal))))
                continue;
            // A local table is tried only where its narrower codes could
            // pay for it against the global one's for the same way.
            const size_t w = size_t(&way - kWays);
            Encoded candidate;
            if (!Encode(region, rect, useGlobal, way, useGlobal ? Rival() : global[w], candidate))
                continue;
            if (useGlobal)
                global[w] = Rival{candidate.minimumCodeSize, m_lzw.CodesWritten()};
            if (!found || candidate.bytes.size() < best.bytes.size())
                best = std::move(candidate);
            found = true;
        }
    if (best.global)
        m_global = best.table;
    return best;
}

void AnimationWriter::WriteHeld(Bytes& out)
{
    m_holding = false;
    if (m_held.empty())
        return;
    OrderGlobalTableByUse();
    for (const Held& held : m_held)
    {
        Region region;
        region.palette = &held.palette;
        region.indices = held.indices.data();
        region.same = held.same.data();
        region.stride = size_t(held.rect.width);
        Encoded best = EncodeSmallest(region, held.rect, held.first);
        FlushPending(out);
        m_pending = std::move(best.bytes);
        m_pendingDelay = held.delay;
    }
    std::vector<Held>().swap(m_held);
    m_heldBytes = 0;
}

void AnimationWriter::Store(const IndexedFrame& frame, int delay, Bytes& out)
{
    Rect rect = ChangedRect(frame);
    if (rect.Empty())
    {
        int& lastDelay = m_held.empty() ? m_pendingDelay : m_held.back().delay;
        if ((!m_pending.empty() || !m_held.empty()) && lastDelay + delay <= kMaxDelay)
        {
            lastDelay += delay;
            return;
        }
        // Too long to merge: a pixel that stays as it is carries the delay.
        rect = Rect{0, 0, 1, 1};
    }
    if (CanHold(frame) && Hold(frame, rect, delay))
        return;
    WriteHeld(out);

    if (!m_started && m_global.empty())
        m_global = frame.palette;
    if (!m_started)
        m_shown.assign(size_t(m_width) * size_t(m_height), 0);
    const size_t offset = size_t(rect.top) * size_t(m_width) + size_t(rect.left);
    Region region;
    region.palette = &frame.palette;
    region.indices = frame.indices.data() + offset;
    region.shown = m_shown.data() + offset;
    region.stride = size_t(m_width);
    region.tolerance = frame.tolerance;
    Encoded best = EncodeSmallest(region, rect, !m_started);
    m_started = true;
    Show(rect, best);
    FlushPending(out);
    m_pending = std::move(best.bytes);
    m_pendingDelay = delay;
}

void AnimationWriter::Finish(Bytes& out)
{
    if (!m_started && m_firstDelay >= 0)
        Store(m_first, m_firstDelay, out);
    WriteHeld(out);
    FlushPending(out);
    if (!m_started)
        return;
    SettleGlobalTable(out);
    AppendTrailer(out);
}
