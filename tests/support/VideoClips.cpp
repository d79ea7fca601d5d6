#include "support/VideoClips.h"

#include <cmath>
#include <cstdlib>

bool MakeVideoClip(const wxString& path, const wxString& arguments)
{
    const wxString command = "ffmpeg -nostdin -v error -y " + arguments + " '" + path + "'";
    return std::system(command.utf8_str()) == 0;
}

bool MakeNumberedClip(const wxString& path, const wxString& codec, int width, int height, int rate, double seconds)
{
    const wxString source = wxString::Format(
        "-f lavfi -i \"color=c=black:s=%dx%d:r=%d:d=%g,format=rgb24,geq=r='N*12':g=128:b=0\" ", width, height, rate,
        seconds);
    return MakeVideoClip(path, source + codec);
}

int NumberedClipFrame(unsigned redValue)
{
    return int(std::lround(redValue / 12.0));
}
