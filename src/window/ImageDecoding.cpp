#include "window/ImageDecoding.h"

#include "window/GifDecoder.h"
#include "window/PictureDecoders.h"
#include "window/VideoDecoder.h"

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/intl.h>
#include <wx/log.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
// Sequential reads from a picture file's header; any short read makes the
// whole header unreadable.
class HeaderReader
{
public:
    explicit HeaderReader(const wxString& path) : m_file(std::fopen(path.fn_str(), "rb")) {}
    ~HeaderReader()
    {
        if (m_file)
            std::fclose(m_file);
    }
    HeaderReader(const HeaderReader&) = delete;
    HeaderReader& operator=(const HeaderReader&) = delete;

    bool IsOpen() const { return m_file != nullptr; }
    bool Good() const { return m_good; }

    bool Read(unsigned char* bytes, size_t count)
    {
        m_good = m_good && std::fread(bytes, 1, count, m_file) == count;
        return m_good;
    }
    int Byte()
    {
        unsigned char byte = 0;
        Read(&byte, 1);
        return byte;
    }
    int Little16()
    {
        const int low = Byte();
        return low | (Byte() << 8);
    }
    long Little32()
    {
        const long low = Little16();
        return long(int32_t(uint32_t(low) | (uint32_t(Little16()) << 16)));
    }
    int Big16()
    {
        const int high = Byte();
        return (high << 8) | Byte();
    }
    long long Big32()
    {
        const long long high = Big16();
        return (high << 16) | Big16();
    }
    void Skip(long count)
    {
        m_good = m_good && std::fseek(m_file, count, SEEK_CUR) == 0;
    }

private:
    std::FILE* m_file;
    bool m_good = true;
};

// Sizes past what an int holds are clamped: they are refused anyway.
wxSize ClampedSize(long long width, long long height)
{
    return wxSize(int(std::min<long long>(std::llabs(width), INT_MAX)),
                  int(std::min<long long>(std::llabs(height), INT_MAX)));
}

bool ReadPngSize(HeaderReader& reader, DeclaredPictureSize& declared)
{
    unsigned char chunk[8];
    reader.Read(chunk, 8); // length and type of the first chunk
    if (!reader.Good() || std::memcmp(chunk + 4, "IHDR", 4) != 0)
        return false;
    const long long width = reader.Big32();
    const long long height = reader.Big32();
    declared.whole = ClampedSize(width, height);
    return reader.Good();
}

bool IsJpegFrameMarker(int marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the segments up to the first start-of-frame, which holds the size.
bool ReadJpegSize(HeaderReader& reader, DeclaredPictureSize& declared)
{
    while (reader.Good())
    {
        if (reader.Byte() != 0xFF)
            return false;
        int marker = reader.Byte();
        while (marker == 0xFF && reader.Good())
            marker = reader.Byte();
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue; // markers without a segment
        const int length = reader.Big16();
        if (length < 2 || marker == 0xD9 || marker == 0xDA)
            return false;
        if (IsJpegFrameMarker(marker))
        {
            reader.Byte(); // sample precision
            const int height = reader.Big16();
            const int width = reader.Big16();
            declared.whole = wxSize(width, height);
            return reader.Good();
        }
        reader.Skip(length - 2);
    }
    return false;
}

// The old OS/2 header stores 16-bit sides; later ones 32-bit, with a
// negative height for rows stored top down.
bool ReadBmpSize(HeaderReader& reader, DeclaredPictureSize& declared)
{
    reader.Skip(12);
    const long headerSize = reader.Little32();
    if (headerSize == 12)
    {
        const int width = reader.Little16();
        declared.whole = wxSize(width, reader.Little16());
    }
    else
    {
        // Only the height may be negative; the toolkit's decoder does not
        // expect a negative width.
        const long width = reader.Little32();
        if (width <= 0)
            return false;
        declared.whole = ClampedSize(width, reader.Little32());
    }
    return reader.Good() && declared.whole.x > 0 && declared.whole.y > 0;
}

// Why the declared size is too large to decode, or nothing.
wxString TooLargeReason(const DeclaredPictureSize& declared)
{
    return PixelsOf(declared.whole) > kMaxPicturePixels ? TooLargePictureText(declared.whole) : wxString();
}

bool Fail(wxString* failure, const wxString& reason)
{
    if (failure)
        *failure = reason;
    return false;
}

using PictureCallback = std::function<void(wxImage&&, const wxString&, int, bool, int)>;

// A GIF whose frames are all wanted, or one frame of it: the frame a
// reference names, or the first when the file is taken as one picture.
bool DecodeGifFrames(const wxString& path, bool wholeAnimation, int onlyFrame, const PictureCallback& onPicture,
                     wxString* failure, const std::function<bool()>& stopRequested)
{
    GifDecoder decoder;
    if (!decoder.Open(path))
        return Fail(failure, decoder.GetFailure());
    const int count = decoder.GetFrameCount();
    if (!wholeAnimation)
    {
        wxImage frame;
        for (int skipped = 0; skipped < onlyFrame && decoder.SkipFrame(); ++skipped)
            ;
        if (onlyFrame >= count || !decoder.NextFrame(frame))
            return Fail(failure, wxString::Format(_("The GIF file has no frame %d."), onlyFrame));
        onPicture(std::move(frame), path, onlyFrame, true, decoder.GetFrameDelay(onlyFrame));
        return true;
    }
    // Every frame is composed at the size of the whole screen.
    if (!AnimationWithinLimits(decoder))
        return Fail(failure, _("The animation has too many pixels to load."));
    wxImage frame;
    for (int index = 0; decoder.NextFrame(frame); ++index)
    {
        // A stopped load leaves a long animation between two frames.
        if (stopRequested && stopRequested())
            return true;
        onPicture(std::move(frame), path, index, index == count - 1, decoder.GetFrameDelay(index));
    }
    return true;
}

// The type the file's first bytes show, among those the program reads.
// Other types are not offered to any decoder.
wxBitmapType PictureTypeOf(const wxString& path)
{
    unsigned char signature[8] = {};
    std::FILE* file = std::fopen(path.fn_str(), "rb");
    if (!file)
        return wxBITMAP_TYPE_INVALID;
    const size_t length = std::fread(signature, 1, sizeof signature, file);
    std::fclose(file);
    if (length >= 2 && signature[0] == 0xFF && signature[1] == 0xD8)
        return wxBITMAP_TYPE_JPEG;
    if (length >= 2 && signature[0] == 'B' && signature[1] == 'M')
        return wxBITMAP_TYPE_BMP;
    if (HasGifSignature(signature, length))
        return wxBITMAP_TYPE_GIF;
    if (length == 8 && std::memcmp(signature, "\x89PNG\r\n\x1a\n", 8) == 0)
        return wxBITMAP_TYPE_PNG;
    return wxBITMAP_TYPE_INVALID;
}

bool DecodeSinglePicture(const wxString& path, const PictureCallback& onPicture, wxString* failure)
{
    const wxBitmapType type = PictureTypeOf(path);
    if (type == wxBITMAP_TYPE_INVALID)
        return Fail(failure, _("The file is not a picture that can be read."));
    DeclaredPictureSize declared;
    const bool screened = ReadDeclaredPictureSize(path, declared);
    // PNG and BMP headers have one fixed layout: one the screening cannot
    // read is not given to a decoder.
    if (!screened && type != wxBITMAP_TYPE_JPEG)
        return Fail(failure, _("The file is not a picture that can be read."));
    if (screened && !TooLargeReason(declared).empty())
        return Fail(failure, TooLargeReason(declared));
    wxImage image;
    // The limit is checked by the decoders themselves once they have the
    // real size, before they allocate the picture.
    bool decoded = type == wxBITMAP_TYPE_PNG    ? DecodePngFile(path, kMaxPicturePixels, image)
                   : type == wxBITMAP_TYPE_JPEG ? DecodeJpegFile(path, kMaxPicturePixels, image)
                                                : image.LoadFile(path, type, -1);
    // TurboJPEG refuses a few rare layouts (such as 4:1:0 sampling) that the
    // toolkit's reader takes; a JPEG whose header was read and is within
    // the limits gets that reader too, so nothing that came in before is
    // refused now.
    if (!decoded && type == wxBITMAP_TYPE_JPEG && screened)
        decoded = image.LoadFile(path, type, -1);
    if (!decoded || !image.IsOk())
        return Fail(failure, _("The file is not a picture that can be read."));
    // A header the screening could not follow is checked once decoded.
    if (PixelsOf(image.GetSize()) > kMaxPicturePixels)
        return Fail(failure, TooLargePictureText(image.GetSize()));
    onPicture(std::move(image), path, 0, true, 0);
    return true;
}
} // namespace

bool SplitGifFrameReference(const wxString& entry, wxString& gifPath, int& frameNumber)
{
    size_t digitsStart = entry.length();
    while (digitsStart > 0 && wxIsdigit(entry[digitsStart - 1]))
        --digitsStart;
    if (digitsStart == entry.length() || !entry.substr(0, digitsStart).EndsWith(".gif_"))
        return false;
    long long number = 0;
    for (size_t i = digitsStart; i < entry.length(); ++i)
        number = std::min<long long>(number * 10 + (entry[i].GetValue() - '0'), INT_MAX);
    gifPath = entry.substr(0, digitsStart - 1);
    frameNumber = int(number);
    return true;
}

namespace
{
// A GIF's frames are each as large as its screen.
bool ReadGifSize(const wxString& path, DeclaredPictureSize& declared)
{
    GifDecoder decoder;
    if (!decoder.Open(path))
        return false;
    declared.whole = decoder.GetScreenSize();
    declared.frames.assign(size_t(decoder.GetFrameCount()), declared.whole);
    return true;
}
} // namespace

bool ReadDeclaredPictureSize(const wxString& path, DeclaredPictureSize& declared)
{
    declared = DeclaredPictureSize();
    HeaderReader reader(path);
    if (!reader.IsOpen())
        return false;
    unsigned char signature[8] = {};
    reader.Read(signature, 2);
    bool ok = false;
    if (signature[0] == 0xFF && signature[1] == 0xD8)
        ok = ReadJpegSize(reader, declared);
    else if (signature[0] == 'B' && signature[1] == 'M')
        ok = ReadBmpSize(reader, declared);
    else if (reader.Read(signature + 2, 4) && HasGifSignature(signature, 6))
        return ReadGifSize(path, declared);
    else if (reader.Read(signature + 6, 2) && std::memcmp(signature, "\x89PNG\r\n\x1a\n", 8) == 0)
        ok = ReadPngSize(reader, declared);
    if (ok)
        declared.frames.push_back(declared.whole);
    return ok;
}

namespace
{
bool DecodeEntry(const wxString& entry, const PictureCallback& onPicture, wxString* failure,
                 const std::function<bool()>& stopRequested)
{
    if (IsVideoEntry(entry))
        return DecodeVideoEntry(entry, onPicture, failure, stopRequested);
    wxString path = entry;
    int frame = -1;
    if (!SplitGifFrameReference(entry, path, frame))
        frame = -1;
    if (!wxFileExists(path))
        return Fail(failure, _("The file does not exist."));
    if (!wxFile::Access(path, wxFile::read))
        return Fail(failure, _("The file cannot be read."));
    if (frame >= 0 || PictureTypeOf(path) == wxBITMAP_TYPE_GIF)
    {
        // Only the lower-case extension marks an animation; ".GIF" is one picture.
        const bool wholeAnimation = frame < 0 && path.EndsWith(".gif");
        return DecodeGifFrames(path, wholeAnimation, std::max(frame, 0), onPicture, failure, stopRequested);
    }
    return DecodeSinglePicture(path, onPicture, failure);
}
} // namespace

bool DecodePictureEntry(const wxString& entry, const PictureCallback& onPicture, wxString* failure,
                        const std::function<bool()>& stopRequested)
{
    wxLogNull noLogBoxes;
    // A picture within the limits may still not fit in the memory left; it
    // fails like any other instead of ending the loading thread.
    try
    {
        return DecodeEntry(entry, onPicture, failure, stopRequested);
    }
    catch (const std::bad_alloc&)
    {
        return Fail(failure, _("There is not enough memory for this picture."));
    }
}

long long PixelsOf(const wxSize& size)
{
    return (long long)size.x * size.y;
}

wxString TooLargePictureText(const wxSize& size)
{
    return wxString::Format(_("The picture is too large (%d x %d pixels)."), size.x, size.y);
}

bool AnimationWithinLimits(const GifDecoder& decoder)
{
    return decoder.GetFrameCount() * PixelsOf(decoder.GetScreenSize()) <= kMaxGifAnimationPixels;
}
