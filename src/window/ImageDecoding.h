// Decoding the pictures of a frame list without any window: plain pictures,
// every frame of an animated GIF, or one frame named by a GIF frame
// reference ("<path>.gif_<frame number>").
#pragma once

#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/string.h>

#include <functional>
#include <vector>

// Pictures larger than this are refused before decoding: they would not fit
// in memory once decoded (3 bytes a pixel, and copies on the way to a GIF).
const long long kMaxPicturePixels = 100000000;
// Frames go to the frame store one by one, so this bounds the work of
// composing a GIF rather than memory: about 4,000 frames of 1920 x 1080. The
// images stored in a GIF are limited to this sum as well.
const long long kMaxGifAnimationPixels = 8000000000LL;

class GifDecoder;

long long PixelsOf(const wxSize& size);
// The reason given for a picture over kMaxPicturePixels.
wxString TooLargePictureText(const wxSize& size);
// Whether composing every frame of an opened GIF stays within
// kMaxGifAnimationPixels.
bool AnimationWithinLimits(const GifDecoder& decoder);

// Splits "<path>.gif_<digits>" into the GIF's path and the frame number.
// False for a plain path. The path may itself contain "_".
bool SplitGifFrameReference(const wxString& entry, wxString& gifPath, int& frameNumber);

// The sizes a picture file declares in its header, read without decoding it.
struct DeclaredPictureSize
{
    wxSize whole;               // a GIF's logical screen; the picture otherwise
    std::vector<wxSize> frames; // each GIF frame's own size; the picture otherwise
};
// For PNG, JPEG, BMP and GIF files (recognised by their content). False for
// other types and for files whose header cannot be read.
bool ReadDeclaredPictureSize(const wxString& path, DeclaredPictureSize& declared);

// Decodes one entry: a PNG, JPEG, BMP or GIF picture, recognised by its
// content (a GIF taken as one picture gives its first frame), every frame of
// a GIF whose name ends in lower-case ".gif", or the one frame of a
// reference. Calls onPicture(image, path,
// frameNumber, isLastOfEntry, delay) for each decoded picture in order; path is
// without the "_N" suffix, frameNumber 0 for a picture that is not a GIF
// frame, delay the hundredths of a second the file gives for the picture (0
// when it gives none). Returns false with a short reason for the user in *failure when the
// entry yields no picture (missing, unreadable, undecodable, too large).
// Video clips and their frames are entries too (see VideoDecoder.h). A clip
// or an animation stops between two pictures when stopRequested, if given,
// says so.
bool DecodePictureEntry(const wxString& entry,
                        const std::function<void(wxImage&&, const wxString&, int, bool, int)>& onPicture,
                        wxString* failure, const std::function<bool()>& stopRequested = {});
