// Video clips as frames, without any window: what a clip holds, which of its
// pictures a chosen frame rate and time span take, and decoding them with
// FFmpeg's libraries. The clip's audio is never read.
//
// A clip reaches the loaders as an entry, as pictures do:
//   "<clip>"                        every frame at the clip's own rate (at most 50)
//   "<clip>_<from>-<to>@<rate>"     from and to in milliseconds, rate in
//                                   thousandths of a frame a second
//   "<clip>_<ms>"                   the one picture shown at that time; the
//                                   strip and projects name a video frame so
// where <clip> ends in a video extension (any case).
#pragma once

#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/string.h>

#include <functional>

// GIF delays count hundredths of a second, and players stretch delays below
// two hundredths: 50 frames a second is the most a GIF can play.
const double kMaxVideoFrameRate = 50.0;

struct VideoClipInfo
{
    wxSize size;            // as shown, mirror and rotation applied
    double duration = 0;    // seconds
    double frameRate = 0;   // the clip's own, frames a second
    bool mirrored = false;  // shown mirrored left to right, before the rotation
    int rotation = 0;       // clockwise degrees to show it upright: 0, 90, 180 or 270
};

// Which pictures to take: one every 1/rate seconds from start (inclusive) to
// end (exclusive), times in seconds from the start of the clip.
struct VideoChoice
{
    double rate = 0;
    double start = 0;
    double end = 0;
};

// Whether the name ends in one of the video extensions, in any case.
bool IsVideoPath(const wxString& path);
// The file dialog pattern of the video extensions, lower and upper case.
wxString VideoFilePattern();

// Reads the clip's container and video stream headers. False with a reason
// for the user when the file is not a clip that can be read.
bool ProbeVideoClip(const wxString& path, VideoClipInfo& info, wxString* failure);

// The whole clip at its own rate, at most kMaxVideoFrameRate.
VideoChoice DefaultVideoChoice(const VideoClipInfo& info);
int VideoFrameCount(const VideoChoice& choice);
// When output frame `index` is taken, in seconds from the start of the clip.
double VideoFrameTime(const VideoChoice& choice, int index);
// Hundredths of a second that frame `index` shows for. The rounding is
// spread over the frames so that the animation keeps the clip's pace: at 30
// frames a second the delays run 3, 4, 3, 3, 4, 3...
int VideoFrameDelay(const VideoChoice& choice, int index);
// The pictures' size before compression, in bytes (3 a pixel).
long long VideoPictureBytes(const VideoClipInfo& info, const VideoChoice& choice);
// Whether the frames stay within the limits pictures and animations have.
bool VideoChoiceWithinLimits(const VideoClipInfo& info, const VideoChoice& choice);

// The entry that loads this choice of the clip.
wxString VideoRangeEntry(const wxString& path, const VideoChoice& choice);
// Whether the entry names a clip, a part of one or one of its frames.
bool IsVideoEntry(const wxString& entry);
// How many pictures the entry will give, for progress; 0 when unknown.
int ExpectedVideoPictures(const wxString& entry);

// Decodes a video entry as DecodePictureEntry decodes pictures: onPicture
// gets each picture with the clip's path, the picture's time in milliseconds
// as its frame number and its delay. Stops early, returning true, when
// stopRequested (if given) says so.
bool DecodeVideoEntry(const wxString& entry,
                      const std::function<void(wxImage&&, const wxString&, int, bool, int)>& onPicture,
                      wxString* failure, const std::function<bool()>& stopRequested = {});
