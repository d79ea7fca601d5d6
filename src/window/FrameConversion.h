// Turning a frame's picture into what the GIF writer takes: an image of the
// output size whose pixels all come from a palette of at most 256 colours.
// Works on wxImage alone, so it may run on any thread.
#pragma once

#include <wx/image.h>

// Where a picture lands on a canvas: shrunk with its proportions kept when it
// is larger than the canvas in either direction, never enlarged, centred.
struct FrameFit
{
    int width = 0;  // the picture's size on the canvas
    int height = 0;
    int left = 0;
    int top = 0;
};
FrameFit ComputeFrameFit(int pictureWidth, int pictureHeight, int canvasWidth, int canvasHeight);

// The picture fitted as above (nearest-neighbour shrink) on a black canvas of
// width x height; masked and transparent pixels are black too, partly
// transparent ones are blended onto black. Invalid for an invalid picture or
// an empty canvas.
wxImage FitFrameImage(const wxImage& picture, int width, int height);

// A paletted copy of the fitted image, opaque. A picture of at most 256
// colours keeps them exactly, in a palette in the order they first appear
// row by row; a picture of more is quantised (and dithered) by the toolkit's
// quantiser exactly as its 8-bit BMP writer does it, to 236 colours in a
// palette of 256 entries. Either way every pixel's colour is in the palette.
// Invalid when the conversion failed.
wxImage ReducePalette(wxImage& fitted);
