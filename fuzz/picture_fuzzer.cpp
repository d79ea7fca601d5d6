// Picture files through the program's one decoding entry point after our
// header screening: PNG by libspng, JPEG by TurboJPEG, BMP by the toolkit's
// decoder, GIF by ours, both as a whole animation and as one frame named by a
// reference.
#include "FuzzSupport.h"

#include "window/ImageDecoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartToolkitOnce();
    const wxString path = WriteInputFile(data, size, "input.gif");
    const auto dropPicture = [](wxImage&&, const wxString&, int, bool, int) {};
    wxString failure;
    DecodePictureEntry(path, dropPicture, &failure);
    DecodePictureEntry(path + "_2", dropPicture, &failure);
    return 0;
}
