#include "window/PaletteReduction.h"

#include "window/ColourIndex.h"

#include <libimagequant.h>
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace
{
uint32_t Pack(int r, int g, int b)
{
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

void ReadRow(liq_color rowOut[], int row, int width, void* user)
{
    const wxImage& picture = *static_cast<const wxImage*>(user);
    const unsigned char* rgb = picture.GetData() + size_t(row) * size_t(width) * 3;
    for (int x = 0; x < width; ++x, rgb += 3)
        rowOut[x] = liq_color{rgb[0], rgb[1], rgb[2], 255};
}

struct LiqDeleter
{
    void operator()(liq_attr* attr) const { liq_attr_destroy(attr); }
    void operator()(liq_histogram* histogram) const { liq_histogram_destroy(histogram); }
    void operator()(liq_image* image) const { liq_image_destroy(image); }
    void operator()(liq_result* result) const { liq_result_destroy(result); }
};
template <typename T> using LiqPointer = std::unique_ptr<T, LiqDeleter>;

// Nearest palette entry, searched in order of green with the search cut off
// once green alone is farther than the best found; answers are remembered
// per cell of 6 bits a channel, which is finer than the error diffusion
// that follows notices.
class NearestColour
{
public:
    explicit NearestColour(const GifBlocks::ColourTable& palette) : m_cache(1 << 18, kUnknown)
    {
        for (size_t i = 0; i < palette.size(); ++i)
            m_entries.push_back(Entry{int(palette[i] >> 16) & 0xFF, int(palette[i] >> 8) & 0xFF,
                                      int(palette[i]) & 0xFF, int(i)});
        std::sort(m_entries.begin(), m_entries.end(),
                  [](const Entry& a, const Entry& b) { return a.g != b.g ? a.g < b.g : a.index < b.index; });
    }

    int Find(int r, int g, int b)
    {
        const size_t cell = (size_t(r >> 2) << 12) | (size_t(g >> 2) << 6) | size_t(b >> 2);
        if (m_cache[cell] == kUnknown)
            m_cache[cell] = uint16_t(Search(r, g, b));
        return m_cache[cell];
    }

private:
    struct Entry
    {
        int r, g, b, index;
    };
    static constexpr uint16_t kUnknown = 0xFFFF;

    int Search(int r, int g, int b) const
    {
        const auto start = std::lower_bound(m_entries.begin(), m_entries.end(), g,
                                            [](const Entry& e, int value) { return e.g < value; });
        int best = -1;
        int bestDistance = 1 << 30;
        const auto consider = [&](const Entry& e) {
            const int d = (e.r - r) * (e.r - r) + (e.g - g) * (e.g - g) + (e.b - b) * (e.b - b);
            if (d < bestDistance || (d == bestDistance && e.index < best))
            {
                bestDistance = d;
                best = e.index;
            }
        };
        for (auto it = start; it != m_entries.end() && (it->g - g) * (it->g - g) <= bestDistance; ++it)
            consider(*it);
        for (auto it = start; it != m_entries.begin();)
        {
            --it;
            if ((it->g - g) * (it->g - g) > bestDistance)
                break;
            consider(*it);
        }
        return best;
    }

    std::vector<Entry> m_entries;
    std::vector<uint16_t> m_cache;
};

int Clamp(int value)
{
    return value < 0 ? 0 : value > 255 ? 255 : value;
}
} // namespace

bool ReduceExactly(const wxImage& picture, IndexedFrame& frame)
{
    const size_t pixels = size_t(picture.GetWidth()) * size_t(picture.GetHeight());
    ColourIndex seen;
    frame.palette.clear();
    frame.indices.resize(pixels);
    frame.tolerance = 0;
    const unsigned char* rgb = picture.GetData();
    uint32_t lastColour = ~0u;
    int lastIndex = 0;
    for (size_t p = 0; p < pixels; ++p, rgb += 3)
    {
        const uint32_t colour = ColourIndex::Pack(rgb);
        if (colour != lastColour)
        {
            lastColour = colour;
            lastIndex = seen.Insert(colour, int(frame.palette.size()));
            if (lastIndex == int(frame.palette.size()))
            {
                if (frame.palette.size() == 256)
                    return false;
                frame.palette.push_back(colour);
            }
        }
        frame.indices[p] = uint8_t(lastIndex);
    }
    return true;
}

GifBlocks::ColourTable SharedPalette(const std::vector<const wxImage*>& pictures, int quality)
{
    // libimagequant would spread its work over OpenMP threads of its own;
    // the frames keep every core busy already.
    omp_set_num_threads(1);
    LiqPointer<liq_attr> attr(liq_attr_create());
    if (!attr)
        return {};
    liq_set_max_colors(attr.get(), 255);
    // The fastest setting: slower ones gain less than half a decibel on
    // photographs at several times the cost.
    liq_set_speed(attr.get(), 10);
    liq_set_quality(attr.get(), 0, std::min(std::max(quality, 1), 100));
    LiqPointer<liq_histogram> histogram(liq_histogram_create(attr.get()));
    for (const wxImage* picture : pictures)
    {
        LiqPointer<liq_image> image(liq_image_create_custom(attr.get(), ReadRow, const_cast<wxImage*>(picture),
                                                            picture->GetWidth(), picture->GetHeight(), 0));
        if (!image || liq_histogram_add_image(histogram.get(), attr.get(), image.get()) != LIQ_OK)
            return {};
    }
    liq_result* quantised = nullptr;
    if (liq_histogram_quantize(histogram.get(), attr.get(), &quantised) != LIQ_OK)
        return {};
    LiqPointer<liq_result> result(quantised);
    const liq_palette* palette = liq_get_palette(result.get());
    GifBlocks::ColourTable table;
    for (unsigned i = 0; i < palette->count; ++i)
        table.push_back(Pack(palette->entries[i].r, palette->entries[i].g, palette->entries[i].b));
    return table;
}

double PaletteError(const wxImage& picture, const GifBlocks::ColourTable& palette)
{
    NearestColour nearest(palette);
    double error = 0;
    size_t count = 0;
    for (int y = 0; y < picture.GetHeight(); y += 4)
    {
        const unsigned char* rgb = picture.GetData() + size_t(y) * size_t(picture.GetWidth()) * 3;
        for (int x = 0; x < picture.GetWidth(); ++x, rgb += 3, ++count)
            error += ColourDistance(palette[size_t(nearest.Find(rgb[0], rgb[1], rgb[2]))], ColourIndex::Pack(rgb));
    }
    return count ? error / (3.0 * double(count)) : 0;
}

// Floyd and Steinberg's error diffusion, in alternate directions row by row
// so that the error does not pile up on one side.
void RemapToPalette(const wxImage& picture, const GifBlocks::ColourTable& palette, int dithering,
                    IndexedFrame& frame)
{
    const int width = picture.GetWidth();
    const int height = picture.GetHeight();
    frame.palette = palette;
    frame.indices.resize(size_t(width) * size_t(height));
    NearestColour nearest(palette);
    // Full dithering passes on half the error, and at most a few levels of
    // it: enough to break the bands of a gradient, while the noise it would
    // add to a detailed picture costs more in bytes and fidelity than it
    // gains in smoothness.
    const int strength = std::min(std::max(dithering, 0), 100) * 8 / 100; // in sixteenths
    const int kErrorCap = 4;
    // Errors in 1/16 units, for this row and the next, with a pixel of margin on each side.
    std::vector<int> current(size_t(width + 2) * 3, 0), next(size_t(width + 2) * 3, 0);
    const unsigned char* data = picture.GetData();
    for (int y = 0; y < height; ++y)
    {
        const bool forward = (y & 1) == 0;
        std::fill(next.begin(), next.end(), 0);
        for (int i = 0; i < width; ++i)
        {
            const int x = forward ? i : width - 1 - i;
            const size_t p = size_t(y) * size_t(width) + size_t(x);
            const unsigned char* rgb = data + p * 3;
            int* diffused = &current[size_t(x + 1) * 3];
            int wanted[3];
            for (int c = 0; c < 3; ++c)
                wanted[c] = Clamp(rgb[c] + (strength ? diffused[c] / 256 : 0));
            const int index = nearest.Find(wanted[0], wanted[1], wanted[2]);
            frame.indices[p] = uint8_t(index);
            if (!strength)
                continue;
            const uint32_t got = palette[index];
            const int gotChannel[3] = {int(got >> 16) & 0xFF, int(got >> 8) & 0xFF, int(got) & 0xFF};
            const int step = forward ? 1 : -1;
            for (int c = 0; c < 3; ++c)
            {
                // Scaled by strength/16 and kept in 1/256 units for the 16ths below.
                const int e = std::min(std::max(wanted[c] - gotChannel[c], -kErrorCap), kErrorCap) * strength;
                current[size_t(x + 1 + step) * 3 + c] += e * 7;
                next[size_t(x + 1 - step) * 3 + c] += e * 3;
                next[size_t(x + 1) * 3 + c] += e * 5;
                next[size_t(x + 1 + step) * 3 + c] += e * 1;
            }
        }
        std::swap(current, next);
    }
}

int ToleranceForQuality(int quality)
{
    // 20 at the default of 90, about 2.6 levels in each channel: invisible
    // even on smooth gradients; 500 at 50.
    const int loss = 100 - std::min(std::max(quality, 1), 100);
    return loss * loss / 5;
}
