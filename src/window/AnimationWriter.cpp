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
// Transparency in every run of pixels that may stay, in none, or only in
// runs at least this long. Long runs alone win where text scrolls over a
// plain background: the pixels between the runs then repeat the strings of
// the background and the text around them.
const int kShortestRuns[] = {1, 0, 8, 64};
// Beyond this many bytes held back the global table is fixed as it stands.
const size_t kMaxUnsettledBytes = 16 << 20;
} // namespace

struct AnimationWriter::Encoded
{
    Bytes bytes;            // graphic control, descriptor, local table, data
    ColourTable table;      // the table the indices refer to
    int transparent = -1;
    bool global = false;
    std::vector<uint8_t> chosen;
};

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
bool AnimationWriter::Encode(const IndexedFrame& frame, const Rect& rect, bool useGlobal, int shortestRun,
                             Encoded& result)
{
    const size_t pixels = size_t(rect.width) * size_t(rect.height);
    std::vector<uint8_t> keepable(pixels, 0);
    bool needed[256] = {};
    bool anyKeepable = false;
    for (int y = 0; y < rect.height; ++y)
    {
        const size_t from = size_t(rect.top + y) * size_t(m_width) + size_t(rect.left);
        uint8_t* keep = keepable.data() + size_t(y) * rect.width;
        for (int x = 0; x < rect.width && shortestRun > 0; ++x)
        {
            const uint32_t colour = frame.palette[frame.indices[from + x]];
            const uint32_t shown = m_shown[from + x];
            keep[x] = frame.tolerance == 0 ? colour == shown : ColourDistance(colour, shown) <= frame.tolerance;
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
                needed[frame.indices[from + x]] = true;
        }
    }

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
        for (size_t i = 0; i < frame.palette.size(); ++i)
        {
            int found = lookup.Find(frame.palette[i]);
            if (needed[i] && found < 0)
            {
                if (m_settled || result.table.size() == 256)
                    return false;
                found = int(result.table.size());
                lookup.Insert(frame.palette[i], found);
                result.table.push_back(frame.palette[i]);
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
        for (size_t i = 0; i < frame.palette.size(); ++i)
            if (needed[i])
            {
                tableIndex[i] = int(result.table.size());
                result.table.push_back(frame.palette[i]);
            }
        if (anyKeepable && result.table.size() < 256)
        {
            result.transparent = int(result.table.size());
            result.table.push_back(0);
        }
        else if (anyKeepable)
        {
            // Every colour is needed: the pixels that may stay show their own.
            for (size_t i = 0; i < frame.palette.size(); ++i)
                tableIndex[i] = int(i);
            result.table = frame.palette;
            std::fill(keepable.begin(), keepable.end(), 0);
        }
    }
    const ColourTable& table = result.table;
    const int transparent = result.transparent;

    // Codes need only be as wide as the highest index that must be written;
    // pixels that may stay and whose own index is higher stay.
    int highestNeeded = std::max(transparent, 0);
    for (size_t i = 0; i < frame.palette.size(); ++i)
        if (needed[i])
            highestNeeded = std::max(highestNeeded, tableIndex[i]);
    std::vector<uint8_t> wanted(pixels);
    for (int y = 0; y < rect.height; ++y)
    {
        const size_t from = size_t(rect.top + y) * size_t(m_width) + size_t(rect.left);
        for (int x = 0; x < rect.width; ++x)
        {
            const int index = tableIndex[frame.indices[from + x]];
            const size_t p = size_t(y) * rect.width + x;
            // A pixel whose colour the table lacks may stay as it is.
            const bool usable = index >= 0 && index != transparent && index <= highestNeeded;
            wanted[p] = uint8_t(usable ? index : transparent);
        }
    }

    std::vector<uint8_t> acceptable;
    std::vector<std::vector<uint8_t>> alternatives(256);
    if (frame.tolerance > 0)
    {
        acceptable.assign(256 * 256, 0);
        std::vector<std::pair<int, uint8_t>> near;
        for (size_t a = 0; a < table.size(); ++a)
        {
            near.clear();
            for (size_t b = 0; b < table.size(); ++b)
            {
                const int distance = ColourDistance(table[a], table[b]);
                if (int(a) == transparent || int(b) == transparent || distance > frame.tolerance)
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
    input.minimumCodeSize = TableBits(highestIndex + 1);
    input.wanted = wanted.data();
    input.keepable = transparent >= 0 ? keepable.data() : nullptr;
    input.transparentIndex = transparent;
    input.acceptable = acceptable.empty() ? nullptr : acceptable.data();
    input.alternatives = alternatives.data();

    result.bytes.clear();
    AppendGraphicControl(result.bytes, 0, transparent);
    AppendImageDescriptor(result.bytes, rect.left, rect.top, rect.width, rect.height,
                          useGlobal ? ColourTable() : result.table);
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
    if (!m_started && m_firstDelay < 0)
    {
        m_first = frame;
        m_firstDelay = delay;
        return;
    }
    if (!m_started)
    {
        OrderGlobalTable(frame);
        Store(m_first, m_firstDelay, out);
        m_first = IndexedFrame();
    }
    Store(frame, delay, out);
}

void AnimationWriter::Store(const IndexedFrame& frame, int delay, Bytes& out)
{
    Rect rect = ChangedRect(frame);
    if (rect.Empty())
    {
        if (!m_pending.empty() && m_pendingDelay + delay <= kMaxDelay)
        {
            m_pendingDelay += delay;
            return;
        }
        // Too long to merge: a pixel that stays as it is carries the delay.
        rect = Rect{0, 0, 1, 1};
    }
    if (!m_started && m_global.empty())
        m_global = frame.palette;

    // Every way of storing the frame is tried where that is cheap: screen
    // content, and small rectangles. Large quantised frames are stored one
    // way only, with transparency and in the global table when it can hold
    // them: their lossy search dominates the time, and on photographs and
    // video the other ways never came out smaller.
    const bool cheap = frame.tolerance == 0 || size_t(rect.width) * rect.height <= kTryEveryWayPixels;
    const bool canBeTransparent = m_started && m_changedOnly;
    Encoded best;
    bool found = false;
    for (const bool useGlobal : {true, false})
        for (const int shortestRun : kShortestRuns)
        {
            const int onlyWay = canBeTransparent ? 1 : 0;
            if ((!m_started && !useGlobal) || (shortestRun > 0 && !canBeTransparent) ||
                (!cheap && (shortestRun != onlyWay || (found && !useGlobal))))
                continue;
            Encoded candidate;
            if (!Encode(frame, rect, useGlobal, shortestRun, candidate))
                continue;
            if (!found || candidate.bytes.size() < best.bytes.size())
                best = std::move(candidate);
            found = true;
        }
    if (!m_started)
        m_shown.assign(size_t(m_width) * size_t(m_height), 0);
    m_started = true;
    Show(rect, best);
    if (best.global)
        m_global = best.table;
    FlushPending(out);
    m_pending = std::move(best.bytes);
    m_pendingDelay = delay;
}

void AnimationWriter::Finish(Bytes& out)
{
    if (!m_started && m_firstDelay >= 0)
        Store(m_first, m_firstDelay, out);
    FlushPending(out);
    if (!m_started)
        return;
    SettleGlobalTable(out);
    AppendTrailer(out);
}
