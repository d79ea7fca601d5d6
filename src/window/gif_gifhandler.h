// The animated GIF writer: one paletted frame at a time into the current
// output stream, with the toolkit's LZW compressor doing the pixel data.
#pragma once

#include <wx/imaggif.h>

class wxOutputStream;

// The stream every frame of the running save goes to; the caller owns it.
// Setting it starts a new file: the next frame written brings the header.
// The slot belongs to the calling thread: set it and write the frames on the
// same thread.
void SetGifOutputStream(wxOutputStream* stream);
wxOutputStream* GetGifOutputStream();

// Ends the file started in the current stream: writes the trailer after the
// last frame written, unless it is there already. False when no frame has
// been written to the stream or the trailer could not be written.
bool FinishGifAnimation();

// GIF cannot store a side longer than this.
const int kMaxGifSide = 65535;

// Derives from the toolkit's handler only to reach its protected LZW
// compressor. Make a fresh one for every frame: no compressor state may
// survive from one frame to the next.
class MyGifHandler : public wxGIFHandler
{
public:
    MyGifHandler() = default;
    ~MyGifHandler() override;

    // Writes one frame to the current output stream; with first set, the
    // header (screen descriptor, global colour table, looping extension)
    // goes before it. paletteRGB holds entryCount colours (at most 256) as
    // red, green, blue bytes; maskIndex is the transparent entry or -1.
    // Nothing is written when the frame cannot be stored (no pixels, a side
    // over 65535, a pixel whose colour is not in the palette); otherwise
    // false means a write failed part way.
    bool DoSaveFile(const wxImage& image, bool first, int delayMilliSecs,
                    const unsigned char* paletteRGB, int entryCount, int maskIndex);

private:
    bool CompressPixels(wxOutputStream& out, const unsigned char* indices, int width, int height);
    void FreeHashTable();
};

// Fills table (room for 256 colours) from the image's palette, adding the
// mask colour when the palette lacks it and there is room. maskIndex is -1
// when the frame has no transparent colour. False when the image has no
// palette.
bool ExtractFramePalette(const wxImage& image, unsigned char* table, int& entryCount, int& maskIndex);

// Writes one frame of an animation of frameCount frames into the current
// output stream; the frame with index frameCount - 1 also ends the file.
// The first frame actually written brings the header, so a frame that
// cannot be stored leaves no gap. False when the frame was not written or a
// write failed; the stream's error state tells the two apart.
bool WriteAnimationFrame(const wxImage& image, MyGifHandler& handler, int delayMilliSecs,
                         int frameCount, int frameIndex);
