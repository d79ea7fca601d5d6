#include "window/VideoDecoder.h"

#include "window/ImageDecoding.h"

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/intl.h>
#include <wx/thread.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <climits>
#include <cmath>
#include <mutex>

namespace
{
const char* const kVideoExtensions[] = {"mp4", "webm", "mkv", "mov", "avi", "m4v"};

// Entry times are whole milliseconds: a picture at most half of one away
// from a wanted time is at that time.
const double kTimeTolerance = 0.0005;

// A clip whose stream gives no usable rate is taken at this one.
const double kFallbackFrameRate = 25.0;

bool Fail(wxString* failure, const wxString& reason)
{
    if (failure)
        *failure = reason;
    return false;
}

wxString UnreadableClipText()
{
    return _("The file is not a video clip that can be read.");
}

// The libraries print to the terminal unless told not to.
void SilenceLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// The display matrix maps a picture's points (x to the right, y down) onto the
// screen. One with a negative determinant mirrors: it is a mirror left to right
// followed by a turn, and undoing the mirror (its first row negated) leaves the
// turn alone. Anything between quarter turns goes to the nearest one.
void ReadOrientation(const AVStream* stream, VideoClipInfo& info)
{
    const uint8_t* side = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
    if (!side)
        return;
    int32_t matrix[9];
    std::copy_n(reinterpret_cast<const int32_t*>(side), 9, matrix);
    const double determinant = double(matrix[0]) * matrix[4] - double(matrix[1]) * matrix[3];
    info.mirrored = determinant < 0;
    if (info.mirrored)
        for (int i = 0; i < 3; ++i)
            matrix[i] = -matrix[i];
    // The library counts the turn counter-clockwise.
    const double angle = -av_display_rotation_get(matrix);
    if (std::isnan(angle))
        return;
    const int quarter = int(std::lround(angle / 90.0)) % 4;
    info.rotation = (quarter + 4) % 4 * 90;
}

class VideoReader
{
public:
    VideoReader() = default;
    ~VideoReader();
    VideoReader(const VideoReader&) = delete;
    VideoReader& operator=(const VideoReader&) = delete;

    bool Open(const wxString& path, wxString* failure);
    const VideoClipInfo& Info() const { return m_info; }
    void SeekTo(double seconds);
    // The next decoded picture, left in Picture(), and its time in seconds
    // from the start of the clip. False at the end of the stream.
    bool NextPicture(double& time);
    AVFrame* Picture() { return m_picture; }
    int PicturesDecoded() const { return m_decoded; }
    wxImage ToImage(const AVFrame* picture);

private:
    bool OpenDecoder(const AVCodec* codec, wxString* failure);
    void FeedPacket();
    void MatchColours(const AVFrame* picture);

    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    SwsContext* m_scaler = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_picture = nullptr;
    int m_stream = -1;
    double m_timeBase = 0;
    double m_startTime = 0;
    double m_lastTime = 0;
    bool m_draining = false;
    int m_decoded = 0;
    VideoClipInfo m_info;
};

VideoReader::~VideoReader()
{
    sws_freeContext(m_scaler);
    av_frame_free(&m_picture);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_format);
}

bool VideoReader::Open(const wxString& path, wxString* failure)
{
    SilenceLibraries();
    if (avformat_open_input(&m_format, path.fn_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(m_format, nullptr) < 0)
        return Fail(failure, UnreadableClipText());
    const AVCodec* codec = nullptr;
    m_stream = av_find_best_stream(m_format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    // A cover picture in an audio file is not a clip.
    if (m_stream < 0 || !codec || (m_format->streams[m_stream]->disposition & AV_DISPOSITION_ATTACHED_PIC))
        return Fail(failure, _("The file holds no video that can be read."));
    const AVStream* stream = m_format->streams[m_stream];
    m_timeBase = av_q2d(stream->time_base);
    m_startTime = stream->start_time != AV_NOPTS_VALUE ? stream->start_time * m_timeBase : 0.0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        m_info.duration = stream->duration * m_timeBase;
    else if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0)
        m_info.duration = double(m_format->duration) / AV_TIME_BASE;
    const double rate = av_q2d(av_guess_frame_rate(m_format, const_cast<AVStream*>(stream), nullptr));
    m_info.frameRate = rate > 0 && rate < 1000 ? rate : kFallbackFrameRate;
    ReadOrientation(stream, m_info);
    const int width = stream->codecpar->width;
    const int height = stream->codecpar->height;
    if (width <= 0 || height <= 0)
        return Fail(failure, UnreadableClipText());
    m_info.size = m_info.rotation % 180 ? wxSize(height, width) : wxSize(width, height);
    if (PixelsOf(m_info.size) > kMaxPicturePixels)
        return Fail(failure, TooLargePictureText(m_info.size));
    return OpenDecoder(codec, failure);
}

bool VideoReader::OpenDecoder(const AVCodec* codec, wxString* failure)
{
    m_codec = avcodec_alloc_context3(codec);
    m_packet = av_packet_alloc();
    m_picture = av_frame_alloc();
    if (!m_codec || !m_packet || !m_picture ||
        avcodec_parameters_to_context(m_codec, m_format->streams[m_stream]->codecpar) < 0)
        return Fail(failure, UnreadableClipText());
    // A clip is one entry, decoded on one loading thread: the decoder's own
    // threads use the other cores.
    m_codec->thread_count = std::min(4, std::max(1, wxThread::GetCPUCount()));
    m_codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(m_codec, codec, nullptr) < 0)
        return Fail(failure, _("The clip's video format is not supported."));
    return true;
}

void VideoReader::SeekTo(double seconds)
{
    if (seconds <= 0)
        return;
    const int64_t target = int64_t((seconds + m_startTime) / m_timeBase);
    // Back to the key picture before the time; decoding goes on from there.
    if (av_seek_frame(m_format, m_stream, target, AVSEEK_FLAG_BACKWARD) >= 0)
        avcodec_flush_buffers(m_codec);
}

void VideoReader::FeedPacket()
{
    for (;;)
    {
        if (av_read_frame(m_format, m_packet) < 0)
        {
            avcodec_send_packet(m_codec, nullptr);
            m_draining = true;
            return;
        }
        const bool ours = m_packet->stream_index == m_stream;
        // A damaged packet is skipped, as players skip it.
        if (ours)
            avcodec_send_packet(m_codec, m_packet);
        av_packet_unref(m_packet);
        if (ours)
            return;
    }
}

bool VideoReader::NextPicture(double& time)
{
    for (;;)
    {
        const int received = avcodec_receive_frame(m_codec, m_picture);
        if (received == 0)
        {
            const int64_t stamp = m_picture->best_effort_timestamp;
            time = stamp != AV_NOPTS_VALUE ? stamp * m_timeBase - m_startTime : m_lastTime + 1.0 / m_info.frameRate;
            m_lastTime = time;
            ++m_decoded;
            return true;
        }
        if (received != AVERROR(EAGAIN) || m_draining)
            return false;
        FeedPacket();
    }
}

void VideoReader::MatchColours(const AVFrame* picture)
{
    // Pictures that do not say which colours they use follow the usual
    // practice: high definition in BT.709, smaller ones in BT.601.
    int space = picture->colorspace;
    if (space == AVCOL_SPC_UNSPECIFIED || space == AVCOL_SPC_RESERVED)
        space = picture->height >= 720 ? AVCOL_SPC_BT709 : AVCOL_SPC_BT470BG;
    const int fullRange = picture->color_range == AVCOL_RANGE_JPEG ? 1 : 0;
    // Fails harmlessly for pictures that are not YUV.
    sws_setColorspaceDetails(m_scaler, sws_getCoefficients(space), fullRange, sws_getCoefficients(SWS_CS_DEFAULT),
                             1, 0, 1 << 16, 1 << 16);
}

wxImage VideoReader::ToImage(const AVFrame* picture)
{
    const int width = picture->width;
    const int height = picture->height;
    SwsContext* scaler = sws_getCachedContext(m_scaler, width, height, AVPixelFormat(picture->format), width, height,
                                              AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler)
        return wxImage();
    const bool fresh = scaler != m_scaler;
    m_scaler = scaler;
    if (fresh)
        MatchColours(picture);
    wxImage image(width, height, false);
    uint8_t* planes[4] = {image.GetData(), nullptr, nullptr, nullptr};
    int strides[4] = {3 * width, 0, 0, 0};
    sws_scale(m_scaler, picture->data, picture->linesize, 0, height, planes, strides);
    if (m_info.mirrored)
        image = image.Mirror(true);
    switch (m_info.rotation)
    {
    case 90:
        return image.Rotate90(true);
    case 180:
        return image.Rotate180();
    case 270:
        return image.Rotate90(false);
    default:
        return image;
    }
}

enum class VideoEntryKind
{
    Whole,
    Range,
    Single
};

struct ParsedVideoEntry
{
    wxString path;
    VideoEntryKind kind = VideoEntryKind::Whole;
    VideoChoice choice;     // of a range
    long long milliseconds = 0; // of a single picture
};

bool ReadNumber(const wxString& text, size_t& position, long long& value)
{
    const size_t start = position;
    value = 0;
    while (position < text.length() && wxIsdigit(text[position]))
    {
        value = std::min<long long>(value * 10 + (text[position].GetValue() - '0'), INT_MAX);
        ++position;
    }
    return position > start;
}

bool ParseRange(const wxString& suffix, VideoChoice& choice)
{
    size_t position = 0;
    long long from = 0;
    long long to = 0;
    long long rate = 0;
    if (!ReadNumber(suffix, position, from) || position >= suffix.length() || suffix[position++] != '-' ||
        !ReadNumber(suffix, position, to) || position >= suffix.length() || suffix[position++] != '@' ||
        !ReadNumber(suffix, position, rate) || position != suffix.length())
        return false;
    choice = {rate / 1000.0, from / 1000.0, to / 1000.0};
    return true;
}

bool ParseVideoEntry(const wxString& entry, ParsedVideoEntry& parsed)
{
    if (IsVideoPath(entry))
    {
        parsed.path = entry;
        parsed.kind = VideoEntryKind::Whole;
        return true;
    }
    const size_t underscore = entry.rfind('_');
    if (underscore == wxString::npos || !IsVideoPath(entry.substr(0, underscore)))
        return false;
    parsed.path = entry.substr(0, underscore);
    const wxString suffix = entry.substr(underscore + 1);
    size_t position = 0;
    if (ReadNumber(suffix, position, parsed.milliseconds) && position == suffix.length())
    {
        parsed.kind = VideoEntryKind::Single;
        return true;
    }
    parsed.kind = VideoEntryKind::Range;
    return ParseRange(suffix, parsed.choice);
}

int Milliseconds(double seconds)
{
    return int(std::min<double>(std::lround(seconds * 1000.0), INT_MAX));
}

using PictureCallback = std::function<void(wxImage&&, const wxString&, int, bool, int)>;

// Hands each output frame on one behind, so that the last can be marked so.
class PictureSequence
{
public:
    PictureSequence(const wxString& path, const VideoChoice& choice, bool withDelays, const PictureCallback& onPicture)
        : m_path(path), m_choice(choice), m_withDelays(withDelays), m_onPicture(onPicture)
    {
    }

    void Add(wxImage&& image, int index)
    {
        HandOn(false);
        m_image = std::move(image);
        m_index = index;
        m_pending = true;
        ++m_count;
    }
    void Finish() { HandOn(true); }
    int Count() const { return m_count; }

private:
    void HandOn(bool last)
    {
        if (!m_pending)
            return;
        m_pending = false;
        const int delay = m_withDelays ? VideoFrameDelay(m_choice, m_index) : 0;
        m_onPicture(std::move(m_image), m_path, Milliseconds(VideoFrameTime(m_choice, m_index)), last, delay);
        m_image = wxImage();
    }

    const wxString m_path;
    const VideoChoice m_choice;
    const bool m_withDelays;
    const PictureCallback& m_onPicture;
    wxImage m_image;
    int m_index = 0;
    bool m_pending = false;
    int m_count = 0;
};

// Output frame k shows the last picture whose time is at or before the
// frame's time; a clip whose first picture comes late shows that one before.
bool DecodeChoice(VideoReader& reader, const ParsedVideoEntry& parsed, const VideoChoice& choice,
                  const PictureCallback& onPicture, wxString* failure, const std::function<bool()>& stopRequested)
{
    const int count = VideoFrameCount(choice);
    PictureSequence sequence(parsed.path, choice, parsed.kind != VideoEntryKind::Single, onPicture);
    AVFrame* held = av_frame_alloc();
    bool holding = false;
    double heldTime = 0;
    int next = 0;
    bool stopped = false;
    auto emitUntil = [&](double limit) {
        while (next < count && VideoFrameTime(choice, next) < limit - kTimeTolerance)
        {
            wxImage image = reader.ToImage(held);
            if (image.IsOk())
                sequence.Add(std::move(image), next);
            ++next;
        }
    };
    reader.SeekTo(choice.start);
    double time = 0;
    while (next < count && reader.NextPicture(time))
    {
        if (stopRequested && stopRequested())
        {
            stopped = true;
            break;
        }
        if (holding)
            emitUntil(time);
        av_frame_unref(held);
        av_frame_move_ref(held, reader.Picture());
        holding = true;
        heldTime = time;
    }
    // The last picture lasts one frame of the clip.
    if (holding && !stopped)
        emitUntil(heldTime + 1.0 / reader.Info().frameRate);
    av_frame_free(&held);
    if (stopped)
        return true;
    sequence.Finish();
    if (reader.PicturesDecoded() == 0)
        return Fail(failure, _("The video could not be decoded."));
    if (sequence.Count() == 0)
        return Fail(failure, _("The clip has no pictures in the chosen time span."));
    return true;
}
} // namespace

bool IsVideoPath(const wxString& path)
{
    const size_t dot = path.rfind('.');
    if (dot == wxString::npos || path.find('/', dot) != wxString::npos)
        return false;
    const wxString extension = path.substr(dot + 1).Lower();
    return std::any_of(std::begin(kVideoExtensions), std::end(kVideoExtensions),
                       [&extension](const char* known) { return extension == known; });
}

wxString VideoFilePattern()
{
    wxString lower;
    wxString upper;
    for (const char* extension : kVideoExtensions)
    {
        lower += wxString::Format("*.%s;", extension);
        upper += wxString::Format("*.%s;", wxString(extension).Upper());
    }
    return lower + upper.RemoveLast();
}

bool ProbeVideoClip(const wxString& path, VideoClipInfo& info, wxString* failure)
{
    VideoReader reader;
    if (!reader.Open(path, failure))
        return false;
    info = reader.Info();
    return true;
}

VideoChoice DefaultVideoChoice(const VideoClipInfo& info)
{
    // Entries carry the rate in thousandths.
    const double rate = std::round(std::min(info.frameRate, kMaxVideoFrameRate) * 1000.0) / 1000.0;
    return {rate, 0.0, info.duration};
}

int VideoFrameCount(const VideoChoice& choice)
{
    if (!(choice.rate > 0) || !(choice.end > choice.start))
        return 0;
    // A twentieth of a frame more than a whole number is the container's
    // rounding, not another frame.
    const double frames = std::ceil((choice.end - choice.start) * choice.rate - 0.05);
    return int(std::clamp(frames, 0.0, double(INT_MAX / 2)));
}

double VideoFrameTime(const VideoChoice& choice, int index)
{
    return choice.rate > 0 ? choice.start + index / choice.rate : choice.start;
}

int VideoFrameDelay(const VideoChoice& choice, int index)
{
    if (!(choice.rate > 0))
        return 0;
    return int(std::llround(100.0 * (index + 1) / choice.rate) - std::llround(100.0 * index / choice.rate));
}

long long VideoPictureBytes(const VideoClipInfo& info, const VideoChoice& choice)
{
    return 3 * PixelsOf(info.size) * VideoFrameCount(choice);
}

bool VideoChoiceWithinLimits(const VideoClipInfo& info, const VideoChoice& choice)
{
    return PixelsOf(info.size) <= kMaxPicturePixels &&
           PixelsOf(info.size) * VideoFrameCount(choice) <= kMaxGifAnimationPixels;
}

wxString VideoRangeEntry(const wxString& path, const VideoChoice& choice)
{
    return wxString::Format("%s_%d-%d@%d", path, Milliseconds(choice.start), Milliseconds(choice.end),
                            Milliseconds(choice.rate));
}

bool IsVideoEntry(const wxString& entry)
{
    ParsedVideoEntry parsed;
    return ParseVideoEntry(entry, parsed);
}

int ExpectedVideoPictures(const wxString& entry)
{
    ParsedVideoEntry parsed;
    if (!ParseVideoEntry(entry, parsed))
        return 0;
    if (parsed.kind == VideoEntryKind::Single)
        return 1;
    if (parsed.kind == VideoEntryKind::Range)
        return VideoFrameCount(parsed.choice);
    VideoClipInfo info;
    return ProbeVideoClip(parsed.path, info, nullptr) ? VideoFrameCount(DefaultVideoChoice(info)) : 0;
}

bool DecodeVideoEntry(const wxString& entry, const PictureCallback& onPicture, wxString* failure,
                      const std::function<bool()>& stopRequested)
{
    ParsedVideoEntry parsed;
    if (!ParseVideoEntry(entry, parsed))
        return Fail(failure, UnreadableClipText());
    if (!wxFileExists(parsed.path))
        return Fail(failure, _("The file does not exist."));
    if (!wxFile::Access(parsed.path, wxFile::read))
        return Fail(failure, _("The file cannot be read."));
    VideoReader reader;
    if (!reader.Open(parsed.path, failure))
        return false;
    VideoChoice choice = parsed.choice;
    if (parsed.kind == VideoEntryKind::Whole)
        choice = DefaultVideoChoice(reader.Info());
    // A recording written to a pipe, or cut off before its end was written,
    // has no duration: it is read to its end, as far as the animation limit
    // allows.
    if (parsed.kind == VideoEntryKind::Whole && !(reader.Info().duration > 0))
        choice.end = double(kMaxGifAnimationPixels / PixelsOf(reader.Info().size)) / choice.rate;
    else if (parsed.kind == VideoEntryKind::Single)
        choice = {1000.0, parsed.milliseconds / 1000.0, (parsed.milliseconds + 1) / 1000.0};
    if (!VideoChoiceWithinLimits(reader.Info(), choice))
        return Fail(failure, _("The animation has too many pixels to load."));
    return DecodeChoice(reader, parsed, choice, onPicture, failure, stopRequested);
}
