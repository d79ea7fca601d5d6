#include "window/thumbnaillogic.h"

#include "window/VideoDecoder.h"

#include <wx/defs.h>
#include <wx/intl.h>

#include <algorithm>
#include <vector>

int ThumbnailGrid::Columns(int clientWidth) const
{
    return std::max(1, clientWidth / ColumnPitch());
}

int ThumbnailGrid::VisibleRows(int clientHeight) const
{
    return std::max(1, clientHeight / RowPitch());
}

int ThumbnailGrid::RowOf(int index, int clientWidth) const
{
    return index / Columns(clientWidth);
}

int ThumbnailGrid::ColumnOf(int index, int clientWidth) const
{
    return index % Columns(clientWidth);
}

wxRect ThumbnailGrid::CellRect(int index, int clientWidth) const
{
    return wxRect(spacing + ColumnOf(index, clientWidth) * ColumnPitch(),
                  spacing + RowOf(index, clientWidth) * RowPitch(), itemWidth, itemHeight);
}

int ThumbnailGrid::ItemAt(const wxPoint& point, int clientWidth, int count) const
{
    if (point.x < 0 || point.y < 0)
        return -1;
    const int columns = Columns(clientWidth);
    const int column = point.x / ColumnPitch();
    if (column >= columns)
        return -1;
    const int index = (point.y / RowPitch()) * columns + column;
    return index < count ? index : -1;
}

int ThumbnailGrid::TotalHeight(int count, int clientWidth) const
{
    if (count <= 0)
        return 0;
    return spacing + (RowOf(count - 1, clientWidth) + 1) * RowPitch();
}

int ThumbnailGrid::GapAt(const wxPoint& point, int clientWidth, int count) const
{
    const int columns = Columns(clientWidth);
    const int row = std::max(0, point.y) / RowPitch();
    const int column = std::min(columns - 1, std::max(0, point.x) / ColumnPitch());
    const int index = row * columns + column;
    if (index >= count)
        return count;
    const int intoCell = point.x - column * ColumnPitch() - spacing;
    return intoCell > itemWidth / 2 ? index + 1 : index;
}

wxRect ThumbnailGrid::GapMarkRect(int gap, int clientWidth, int count) const
{
    if (count <= 0 || gap < 0 || gap > count)
        return wxRect();
    if (gap < count)
    {
        const wxRect cell = CellRect(gap, clientWidth);
        return wxRect(cell.x - spacing, cell.y, spacing, cell.height);
    }
    const wxRect last = CellRect(count - 1, clientWidth);
    return wxRect(last.GetRight() + 1, last.y, spacing, last.height);
}

std::vector<int> OrderAfterMove(int count, std::vector<int> selected, int gap)
{
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    selected.erase(std::remove_if(selected.begin(), selected.end(), [count](int i) { return i < 0 || i >= count; }),
                   selected.end());
    gap = std::max(0, std::min(gap, count));
    std::vector<int> order;
    for (int i = 0; i <= count; ++i)
    {
        if (i == gap)
            order.insert(order.end(), selected.begin(), selected.end());
        if (i < count && !std::binary_search(selected.begin(), selected.end(), i))
            order.push_back(i);
    }
    return order;
}

int StepGap(int count, const std::vector<int>& selected, int step)
{
    if (selected.empty())
        return -1;
    const auto [first, last] = std::minmax_element(selected.begin(), selected.end());
    if (step < 0)
        return *first > 0 ? *first - 1 : -1;
    return *last < count - 1 ? *last + 2 : -1;
}

int NavigationTarget(int keyCode, int current, int count, int columns, int rows)
{
    const int last = count - 1;
    switch (keyCode)
    {
    case WXK_RIGHT:
        return current + 1 <= last ? current + 1 : -1;
    case WXK_DOWN:
        return current + columns <= last ? current + columns : -1;
    case WXK_LEFT:
        return current - 1;
    case WXK_UP:
        return current - columns >= 0 ? current - columns : -1;
    case WXK_PAGEDOWN:
        return std::min(current + rows * columns, last);
    case WXK_PAGEUP:
        return std::max(current - rows * columns, 0);
    case WXK_HOME:
        return 0;
    case WXK_END:
        return last;
    default:
        return -1;
    }
}

wxSize FitThumbnailSize(const wxSize& picture, int maxWidth, int maxHeight)
{
    const double scaleX = double(maxWidth) / picture.x;
    const double scaleY = double(maxHeight) / picture.y;
    if (scaleX >= 1 && scaleY >= 1)
        return picture;
    const double scale = std::min(scaleX, scaleY);
    return wxSize(int(picture.x * scale), int(picture.y * scale));
}

namespace
{
// The source rows or columns that output position i of count covers.
struct Span
{
    int begin;
    int end;
};

Span SourceSpan(int i, int count, int sourceCount)
{
    const int begin = int((long long)i * sourceCount / count);
    const int end = int((long long)(i + 1) * sourceCount / count);
    return {begin, std::max(end, begin + 1)};
}

// At most this many samples a side are averaged for one output pixel: a
// 1080p picture shrinks to a thumbnail in a fraction of a millisecond, and
// fine patterns (text, dithering) still come out as their average colour
// instead of as one of their pixels.
const int kMostSamplesASide = 8;

// Each output pixel is the mean of the source pixels it covers, sampled on
// an even grid when there are many. Alpha is averaged the same way.
wxImage AreaAverage(const wxImage& image, const wxSize& size)
{
    const int sourceWidth = image.GetWidth();
    const unsigned char* rgb = image.GetData();
    const unsigned char* alpha = image.HasAlpha() ? image.GetAlpha() : nullptr;
    wxImage scaled(size.x, size.y, false);
    if (alpha)
        scaled.SetAlpha();
    unsigned char* out = scaled.GetData();
    unsigned char* outAlpha = alpha ? scaled.GetAlpha() : nullptr;
    std::vector<Span> columns(size_t(size.x));
    for (int x = 0; x < size.x; ++x)
        columns[size_t(x)] = SourceSpan(x, size.x, sourceWidth);
    for (int y = 0; y < size.y; ++y)
    {
        const Span rows = SourceSpan(y, size.y, image.GetHeight());
        const int rowStep = std::max(1, (rows.end - rows.begin) / kMostSamplesASide);
        for (int x = 0; x < size.x; ++x)
        {
            const Span span = columns[size_t(x)];
            const int columnStep = std::max(1, (span.end - span.begin) / kMostSamplesASide);
            unsigned sum[4] = {0, 0, 0, 0};
            unsigned samples = 0;
            for (int sy = rows.begin; sy < rows.end; sy += rowStep)
                for (int sx = span.begin; sx < span.end; sx += columnStep)
                {
                    const size_t pixel = size_t(sy) * sourceWidth + sx;
                    sum[0] += rgb[pixel * 3];
                    sum[1] += rgb[pixel * 3 + 1];
                    sum[2] += rgb[pixel * 3 + 2];
                    sum[3] += alpha ? alpha[pixel] : 0;
                    ++samples;
                }
            for (int channel = 0; channel < 3; ++channel)
                *out++ = (unsigned char)((sum[channel] + samples / 2) / samples);
            if (outAlpha)
                *outAlpha++ = (unsigned char)((sum[3] + samples / 2) / samples);
        }
    }
    return scaled;
}
} // namespace

wxImage ScaleImageToFit(const wxImage& image, int maxWidth, int maxHeight)
{
    if (!image.IsOk())
        return wxImage();
    const wxSize size = FitThumbnailSize(image.GetSize(), maxWidth, maxHeight);
    if (size == image.GetSize())
        return image;
    // The toolkit refuses to scale to an empty size; such a picture simply
    // gets no thumbnail.
    if (size.x < 1 || size.y < 1)
        return wxImage();
    // Averaging would blend the mask colour into its neighbours, so masked
    // pictures keep nearest-neighbour sampling, which keeps the mask exact.
    if (image.HasMask())
        return image.Scale(size.x, size.y, wxIMAGE_QUALITY_NORMAL);
    return AreaAverage(image, size);
}

wxString ThumbnailItemPath(const wxString& sourcePath, int frameIndex)
{
    if (!sourcePath.EndsWith(".gif") && !IsVideoPath(sourcePath))
        return sourcePath;
    return wxString::Format("%s_%d", sourcePath, frameIndex);
}

namespace
{
wxString FormatFrameCaption(int number, double startSeconds)
{
    // TRANSLATORS: caption under a frame: its number and its start time in
    // seconds, e.g. "#4  0.30sec". It must stay short: "#9999  9999.99sec"
    // has to fit under an 80-pixel thumbnail.
    return wxString::Format(_("#%d  %.2fsec"), number, startSeconds);
}
} // namespace

wxString FrameCaption(int index, int startTime)
{
    return FormatFrameCaption(index + 1, startTime / 100.0);
}

wxString CaptionWidthPattern(int count, int lastStartTime)
{
    wxString pattern = FrameCaption(std::max(count - 1, 0), lastStartTime);
    for (wxUniCharRef c : pattern)
    {
        if (c >= '0' && c <= '9')
            c = '9';
    }
    return pattern;
}
