// Small video clips made at test time with the ffmpeg command.
#pragma once

#include <wx/string.h>

// Runs "ffmpeg -v error -y <arguments> <path>"; true when the clip was made.
bool MakeVideoClip(const wxString& path, const wxString& arguments);

// A clip of flat frames whose red is 12 x the frame's number and green 128,
// encoded with the given codec arguments (e.g. "-c:v libx264 -qp 0").
bool MakeNumberedClip(const wxString& path, const wxString& codec, int width, int height, int rate, double seconds);
// The frame number a picture of a numbered clip shows, from its red.
int NumberedClipFrame(unsigned redValue);
