// Decodes a GIF file into the frames a viewer shows: every frame is the
// whole logical screen as it looks at that moment, with the images drawn at
// their offsets, transparency and disposal applied. Pixels that nothing has
// drawn, or that were cleared, are transparent (alpha 0, black).
//
// Opening reads only the file's structure; frames are composed one at a time
// in order, so a long animation need not be held whole in memory.
#pragma once

#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// True when the bytes start as a GIF file does.
bool HasGifSignature(const void* bytes, size_t size);

class GifDecoder
{
public:
    GifDecoder();
    ~GifDecoder();
    GifDecoder(const GifDecoder&) = delete;
    GifDecoder& operator=(const GifDecoder&) = delete;
    GifDecoder& operator=(GifDecoder&&);

    // Reads the structure and checks the declared sizes against the picture
    // limits before anything is allocated for pixels. False with a reason
    // for the user in GetFailure().
    bool Open(const wxString& path);
    // The same for a file held in memory; the bytes must outlive the decoder.
    bool Open(const void* bytes, size_t size);

    const wxString& GetFailure() const { return m_failure; }
    wxSize GetScreenSize() const { return m_screen; }
    int GetFrameCount() const { return int(m_frameEnds.size()); }
    // How long frame `index` is shown, in hundredths of a second: its last
    // image's delay, where 0 becomes 10 as browsers play it; 0 when the file
    // gives the frame no delay at all.
    int GetFrameDelay(int index) const;

    // Composes the next frame. False once every frame has been handed out.
    // Damaged image data does not stop the frames: what could be decoded is
    // drawn and the rest stays as it was.
    bool NextFrame(wxImage& frame);
    // Composes the next frame without handing it out, to reach a later one.
    bool SkipFrame();

    class ByteSource;

private:
    struct ImageRecord
    {
        size_t recordOffset = 0; // where its image separator is
        int left = 0, top = 0, width = 0, height = 0;
        int delay = -1;          // hundredths of a second; -1 without a control block
        int transparentIndex = -1;
        int disposal = 0;
    };

    bool OpenSource(std::unique_ptr<ByteSource> source);
    bool ScanStructure();
    bool CheckSizes();
    void GroupImagesIntoFrames();
    bool ComposeNextFrame();
    void DrawImage(const ImageRecord& image);
    void DrawRow(const ImageRecord& image, const void* colourTable, int row, const uint8_t* indices);
    wxRect VisiblePart(const ImageRecord& image) const;
    void CopyRect(const wxRect& rect, bool save);
    void DisposeOf(const ImageRecord& image);
    wxImage CanvasImage() const;
    bool Fail(const wxString& reason);

    std::unique_ptr<ByteSource> m_source;
    wxString m_failure;
    size_t m_headerEnd = 0; // header, screen descriptor and global table
    wxSize m_screen;
    std::vector<ImageRecord> m_images;
    std::vector<int> m_frameEnds; // index of the last image of each frame
    bool m_looping = false;       // a looping extension was found
    int m_nextFrame = 0;
    int m_nextImage = 0;
    std::vector<uint8_t> m_rgb, m_alpha;           // the screen as composed so far
    std::vector<uint8_t> m_savedRgb, m_savedAlpha; // under an image that restores it
};
