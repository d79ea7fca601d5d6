#include "window/GifDecoder.h"

#include "window/GifLzw.h"
#include "window/ImageDecoding.h"

#include <gif_lib.h>
#include <wx/intl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

// Where the file's bytes come from: the file itself, or memory.
class GifDecoder::ByteSource
{
public:
    virtual ~ByteSource() = default;
    virtual size_t Read(uint8_t* bytes, size_t count) = 0;
    virtual bool Seek(size_t offset) = 0;
};

namespace
{
class FileSource : public GifDecoder::ByteSource
{
public:
    explicit FileSource(std::FILE* file) : m_file(file) {}
    ~FileSource() override { std::fclose(m_file); }
    size_t Read(uint8_t* bytes, size_t count) override { return std::fread(bytes, 1, count, m_file); }
    bool Seek(size_t offset) override { return std::fseek(m_file, long(offset), SEEK_SET) == 0; }

private:
    std::FILE* m_file;
};

class MemorySource : public GifDecoder::ByteSource
{
public:
    MemorySource(const void* bytes, size_t size) : m_bytes(static_cast<const uint8_t*>(bytes)), m_size(size) {}
    size_t Read(uint8_t* bytes, size_t count) override
    {
        count = std::min(count, m_size - m_position);
        if (count > 0)
            std::memcpy(bytes, m_bytes + m_position, count);
        m_position += count;
        return count;
    }
    bool Seek(size_t offset) override
    {
        m_position = std::min(offset, m_size);
        return offset <= m_size;
    }

private:
    const uint8_t* m_bytes;
    size_t m_size;
    size_t m_position = 0;
};

// Feeds giflib. Each image is decoded by a handle of its own, which reads
// the header and global table and then jumps to that image's separator, so
// that damage in one image cannot carry into the next.
struct SourceReader
{
    GifDecoder::ByteSource* source;
    size_t offset = 0; // in the file
    size_t jumpAt = SIZE_MAX;
    size_t jumpTo = 0;
};

int ReadForGiflib(GifFileType* gif, GifByteType* bytes, int count)
{
    SourceReader& reader = *static_cast<SourceReader*>(gif->UserData);
    int done = 0;
    while (done < count)
    {
        if (reader.offset == reader.jumpAt)
        {
            reader.jumpAt = SIZE_MAX;
            if (!reader.source->Seek(reader.jumpTo))
                break;
            reader.offset = reader.jumpTo;
        }
        size_t wanted = size_t(count - done);
        if (reader.jumpAt > reader.offset)
            wanted = std::min(wanted, reader.jumpAt - reader.offset);
        const size_t got = reader.source->Read(bytes + done, wanted);
        reader.offset += got;
        done += int(got);
        if (got < wanted)
            break;
    }
    return done;
}

struct GifCloser
{
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

GifHandle OpenGiflib(SourceReader& reader)
{
    if (!reader.source->Seek(0))
        return nullptr;
    int error = 0;
    return GifHandle(DGifOpen(&reader, ReadForGiflib, &error));
}

// What the extensions before an image say about it and about the file.
struct ExtensionState
{
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, -1, NO_TRANSPARENT_COLOR};
    bool hasControl = false;
    bool looping = false;
};

bool IsLoopingExtension(const GifByteType* block)
{
    return block[0] == 11 &&
           (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0);
}

bool ReadExtension(GifFileType* gif, ExtensionState& state)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        return false;
    if (block && code == GRAPHICS_EXT_FUNC_CODE &&
        DGifExtensionToGCB(block[0], block + 1, &state.control) == GIF_OK)
        state.hasControl = true;
    if (block && code == APPLICATION_EXT_FUNC_CODE && IsLoopingExtension(block))
        state.looping = true;
    while (block)
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            return false;
    return true;
}

bool SkipImageData(GifFileType* gif)
{
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
        return false;
    while (block)
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
            return false;
    return true;
}

// The low-level reader still keeps a copy of every image descriptor; the
// structure is recorded here instead, so those copies are dropped at once.
void DropSavedImages(GifFileType* gif)
{
    GifFreeSavedImages(gif);
    gif->SavedImages = nullptr;
    gif->ImageCount = 0;
}

// Interlaced images store every 8th row from 0, every 8th from 4, every 4th
// from 2, then the odd rows.
template <typename RowAction>
bool ForEachStoredRow(int height, bool interlaced, RowAction action)
{
    static const int kPasses[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    if (!interlaced)
    {
        for (int row = 0; row < height; ++row)
            if (!action(row))
                return false;
        return true;
    }
    for (const auto& pass : kPasses)
        for (int row = pass[0]; row < height; row += pass[1])
            if (!action(row))
                return false;
    return true;
}
} // namespace

bool HasGifSignature(const void* bytes, size_t size)
{
    return size >= 4 && std::memcmp(bytes, "GIF8", 4) == 0;
}

GifDecoder::GifDecoder() = default;
GifDecoder::~GifDecoder() = default;
GifDecoder& GifDecoder::operator=(GifDecoder&&) = default;

bool GifDecoder::Open(const wxString& path)
{
    std::FILE* file = std::fopen(path.fn_str(), "rb");
    if (!file)
        return Fail(_("The file cannot be read."));
    return OpenSource(std::make_unique<FileSource>(file));
}

bool GifDecoder::Open(const void* bytes, size_t size)
{
    return OpenSource(std::make_unique<MemorySource>(bytes, size));
}

bool GifDecoder::OpenSource(std::unique_ptr<ByteSource> source)
{
    *this = GifDecoder();
    m_source = std::move(source);
    if (!ScanStructure() || !CheckSizes())
        return false;
    GroupImagesIntoFrames();
    return true;
}

bool GifDecoder::Fail(const wxString& reason)
{
    m_failure = reason;
    m_frameEnds.clear();
    return false;
}

// Walks the blocks without decoding pixels. A file cut short keeps the
// images found up to the cut; the last one is drawn as far as it goes.
bool GifDecoder::ScanStructure()
{
    SourceReader reader{m_source.get()};
    GifHandle gif = OpenGiflib(reader);
    if (!gif)
        return Fail(_("The file is not a picture that can be read."));
    m_headerEnd = reader.offset;
    m_screen = wxSize(gif->SWidth, gif->SHeight);
    ExtensionState state;
    for (;;)
    {
        const size_t recordOffset = reader.offset;
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR || type == TERMINATE_RECORD_TYPE)
            break;
        if (type == EXTENSION_RECORD_TYPE)
        {
            if (!ReadExtension(gif.get(), state))
                break;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif.get()) == GIF_ERROR)
            break;
        DropSavedImages(gif.get());
        const GifImageDesc& desc = gif->Image;
        ImageRecord image{recordOffset, desc.Left, desc.Top, desc.Width, desc.Height};
        if (state.hasControl)
        {
            image.delay = state.control.DelayTime;
            image.transparentIndex = state.control.TransparentColor;
            image.disposal = state.control.DisposalMode;
        }
        state.hasControl = false;
        m_images.push_back(image);
        if (!SkipImageData(gif.get()))
            break;
    }
    if (m_images.empty())
        return Fail(_("The file is not a picture that can be read."));
    m_looping = state.looping;
    return true;
}

// A screen declared with no width or height takes the extent of the images,
// as viewers show such files.
bool GifDecoder::CheckSizes()
{
    long long imagePixels = 0;
    wxSize extent;
    for (const ImageRecord& image : m_images)
    {
        const wxSize size(image.width, image.height);
        if (PixelsOf(size) > kMaxPicturePixels)
            return Fail(TooLargePictureText(size));
        imagePixels += PixelsOf(size);
        extent.IncTo(wxSize(image.left + image.width, image.top + image.height));
    }
    if (m_screen.x == 0 || m_screen.y == 0)
        m_screen = wxSize(m_screen.x ? m_screen.x : extent.x, m_screen.y ? m_screen.y : extent.y);
    if (PixelsOf(m_screen) > kMaxPicturePixels)
        return Fail(TooLargePictureText(m_screen));
    if (imagePixels > kMaxGifAnimationPixels)
        return Fail(_("The animation has too many pixels to load."));
    if (PixelsOf(m_screen) == 0)
        return Fail(_("The file is not a picture that can be read."));
    return true;
}

// Images shown for no time are drawn together with those that follow, when
// the file has delays at all. Without any delay, a looping file is an
// animation written carelessly (one frame per image), and any other file is
// one picture stored as several tiles; but an image that covers the whole
// screen cannot be a tile, so it starts a frame of its own (old files of
// several full pictures are shown one after another).
void GifDecoder::GroupImagesIntoFrames()
{
    const int count = int(m_images.size());
    const bool anyDelay =
        std::any_of(m_images.begin(), m_images.end(), [](const ImageRecord& image) { return image.delay > 0; });
    const auto coversScreen = [this](const ImageRecord& image) {
        return image.left == 0 && image.top == 0 && image.width >= m_screen.x && image.height >= m_screen.y;
    };
    for (int i = 0; i < count; ++i)
    {
        const bool last = i == count - 1;
        if (last || (anyDelay ? m_images[i].delay > 0 : m_looping || coversScreen(m_images[i + 1])))
            m_frameEnds.push_back(i);
    }
}

int GifDecoder::GetFrameDelay(int index) const
{
    if (index < 0 || index >= GetFrameCount())
        return 0;
    const int delay = m_images[m_frameEnds[index]].delay;
    return delay < 0 ? 0 : delay == 0 ? 10 : delay;
}

bool GifDecoder::NextFrame(wxImage& frame)
{
    if (!ComposeNextFrame())
        return false;
    frame = CanvasImage();
    return true;
}

bool GifDecoder::SkipFrame()
{
    return ComposeNextFrame();
}

bool GifDecoder::ComposeNextFrame()
{
    if (m_nextFrame >= GetFrameCount())
        return false;
    if (m_rgb.empty())
    {
        m_rgb.assign(size_t(PixelsOf(m_screen)) * 3, 0);
        m_alpha.assign(size_t(PixelsOf(m_screen)), 0);
    }
    for (const int last = m_frameEnds[m_nextFrame]; m_nextImage <= last; ++m_nextImage)
    {
        if (m_nextImage > 0)
            DisposeOf(m_images[m_nextImage - 1]);
        const ImageRecord& image = m_images[m_nextImage];
        if (image.disposal == DISPOSE_PREVIOUS)
            CopyRect(VisiblePart(image), true);
        DrawImage(image);
    }
    ++m_nextFrame;
    return true;
}

void GifDecoder::DrawImage(const ImageRecord& image)
{
    if (image.width <= 0 || image.height <= 0)
        return;
    SourceReader reader{m_source.get(), 0, m_headerEnd, image.recordOffset};
    GifHandle gif = OpenGiflib(reader);
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (!gif || DGifGetRecordType(gif.get(), &type) == GIF_ERROR || type != IMAGE_DESC_RECORD_TYPE ||
        DGifGetImageDesc(gif.get()) == GIF_ERROR)
        return;
    const ColorMapObject* table = gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap;
    // giflib reads the blocks; the indices come from our own decompressor,
    // which also takes images whose table fills up without a clear code.
    int codeSize = 0;
    GifByteType* block = nullptr;
    GifLzwDecoder lzw;
    if (DGifGetCode(gif.get(), &codeSize, &block) == GIF_ERROR || !lzw.Start(codeSize))
        return;
    const size_t pixels = size_t(image.width) * image.height;
    std::vector<uint8_t> indices;
    indices.reserve(pixels);
    while (block && indices.size() < pixels && lzw.Feed(block + 1, block[0], indices, pixels))
        if (DGifGetCodeNext(gif.get(), &block) == GIF_ERROR)
            break;
    // Damaged data keeps the rows decoded before it.
    const int rowsDecoded = int(indices.size() / size_t(image.width));
    int stored = 0;
    ForEachStoredRow(image.height, gif->Image.Interlace, [&](int row) {
        if (stored >= rowsDecoded)
            return false;
        DrawRow(image, table, row, &indices[size_t(stored++) * image.width]);
        return true;
    });
}

// Indices past the colour table, or with no table at all, are drawn black.
void GifDecoder::DrawRow(const ImageRecord& image, const void* colourTable, int row, const uint8_t* indices)
{
    const ColorMapObject* table = static_cast<const ColorMapObject*>(colourTable);
    const int y = image.top + row;
    if (y >= m_screen.y)
        return;
    const int xEnd = std::min(m_screen.x, image.left + image.width);
    for (int x = image.left; x < xEnd; ++x)
    {
        const int index = indices[x - image.left];
        if (index == image.transparentIndex)
            continue;
        const size_t pixel = size_t(y) * m_screen.x + x;
        const bool inTable = table && index < table->ColorCount;
        m_rgb[pixel * 3] = inTable ? table->Colors[index].Red : 0;
        m_rgb[pixel * 3 + 1] = inTable ? table->Colors[index].Green : 0;
        m_rgb[pixel * 3 + 2] = inTable ? table->Colors[index].Blue : 0;
        m_alpha[pixel] = 255;
    }
}

wxRect GifDecoder::VisiblePart(const ImageRecord& image) const
{
    return wxRect(image.left, image.top, image.width, image.height).Intersect(wxRect(m_screen));
}

// Only the part an image covers is kept and given back, so that restoring
// costs what drawing the image costs, not a whole screen.
void GifDecoder::CopyRect(const wxRect& rect, bool save)
{
    if (rect.IsEmpty())
        return;
    if (save)
    {
        m_savedRgb.resize(size_t(rect.width) * rect.height * 3);
        m_savedAlpha.resize(size_t(rect.width) * rect.height);
    }
    for (int row = 0; row < rect.height; ++row)
    {
        const size_t pixel = size_t(rect.y + row) * m_screen.x + rect.x;
        uint8_t* rgb = &m_rgb[pixel * 3];
        uint8_t* alpha = &m_alpha[pixel];
        uint8_t* savedRgb = &m_savedRgb[size_t(row) * rect.width * 3];
        uint8_t* savedAlpha = &m_savedAlpha[size_t(row) * rect.width];
        if (save)
        {
            std::copy_n(rgb, rect.width * 3, savedRgb);
            std::copy_n(alpha, rect.width, savedAlpha);
        }
        else
        {
            std::copy_n(savedRgb, rect.width * 3, rgb);
            std::copy_n(savedAlpha, rect.width, alpha);
        }
    }
}

void GifDecoder::DisposeOf(const ImageRecord& image)
{
    const wxRect rect = VisiblePart(image);
    if (image.disposal == DISPOSE_PREVIOUS)
        CopyRect(rect, false);
    if (image.disposal != DISPOSE_BACKGROUND || rect.IsEmpty())
        return;
    for (int row = 0; row < rect.height; ++row)
    {
        const size_t pixel = size_t(rect.y + row) * m_screen.x + rect.x;
        std::fill_n(&m_rgb[pixel * 3], rect.width * 3, 0);
        std::fill_n(&m_alpha[pixel], rect.width, 0);
    }
}

// Frames with nothing transparent carry no alpha channel, like the other
// pictures without transparency.
wxImage GifDecoder::CanvasImage() const
{
    wxImage image(m_screen.x, m_screen.y, false);
    std::memcpy(image.GetData(), m_rgb.data(), m_rgb.size());
    if (std::find(m_alpha.begin(), m_alpha.end(), 0) != m_alpha.end())
    {
        image.SetAlpha();
        std::memcpy(image.GetAlpha(), m_alpha.data(), m_alpha.size());
    }
    return image;
}
