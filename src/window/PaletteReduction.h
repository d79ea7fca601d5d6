// Reducing fitted pictures to indexed frames: exactly when a picture has at
// most 256 colours, otherwise through a palette that several consecutive
// frames share, so that what does not move keeps its colours from frame to
// frame and the writer can leave it out.
#pragma once

#include "window/AnimationWriter.h"

#include <wx/image.h>

#include <vector>

// The picture with its own colours in the order they first appear, row by
// row. False when it has more than 256.
bool ReduceExactly(const wxImage& picture, IndexedFrame& frame);

// At most 255 colours for all the pictures together (one index stays free
// for transparency), by libimagequant at the given quality (1 to 100).
// Empty when the quantiser fails.
GifBlocks::ColourTable SharedPalette(const std::vector<const wxImage*>& pictures, int quality);

// The mean squared error of a channel between the picture and the nearest
// palette colours, estimated from every fourth row.
double PaletteError(const wxImage& picture, const GifBlocks::ColourTable& palette);

// Maps every pixel to the palette, diffusing the error to its neighbours at
// dithering percent (0 maps to the nearest colour).
void RemapToPalette(const wxImage& picture, const GifBlocks::ColourTable& palette, int dithering,
                    IndexedFrame& frame);

// The squared colour distance a shown pixel may be off at this quality.
int ToleranceForQuality(int quality);
