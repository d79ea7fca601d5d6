// The output size arithmetic: the reference size taken from the frames, and
// the partner side that keeps the reference proportion.
#pragma once

#include <wx/gdicmn.h>

#include <vector>

// Goes through the frames in order and keeps the size of the last frame that
// was larger than the size kept so far in at least one direction: 100 x 50
// then 60 x 80 give 60 x 80. (0, 0) without frames.
wxSize ReferenceSize(const std::vector<wxSize>& frameSizes);

// width x refHeight / refWidth, truncated. -1 when refWidth is 0, so the
// caller leaves the height as it is.
int HeightForWidth(int width, int refWidth, int refHeight);
// refWidth x height / refHeight, truncated. -1 when refHeight is 0.
int WidthForHeight(int height, int refWidth, int refHeight);
