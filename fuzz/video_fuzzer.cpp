// Video clips through the decoding entry point: the whole clip, a chosen
// span at another rate, and one frame named by its time.
#include "FuzzSupport.h"

#include "window/ImageDecoding.h"
#include "window/VideoDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartToolkitOnce();
    const wxString path = WriteInputFile(data, size, "input.mkv");
    const auto dropPicture = [](wxImage&&, const wxString&, int, bool, int) {};
    wxString failure;
    DecodePictureEntry(path, dropPicture, &failure);
    DecodePictureEntry(VideoRangeEntry(path, {7.5, 0.1, 0.9}), dropPicture, &failure);
    DecodePictureEntry(path + "_40", dropPicture, &failure);
    return 0;
}
