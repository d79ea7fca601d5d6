#include "support/Pictures.h"

#include <wx/anidecod.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/imaggif.h>
#include <wx/quantize.h>
#include <wx/wfstream.h>

namespace
{
wxImage FilledImage(int width, int height, const wxColour& colour)
{
    wxImage image(width, height);
    image.SetRGB(wxRect(0, 0, width, height), colour.Red(), colour.Green(), colour.Blue());
    image.SetRGB(wxRect(0, 0, std::min(2, width), std::min(2, height)), 255, 255, 255);
    return image;
}

wxImage Paletted(const wxImage& image)
{
    wxImage paletted;
    wxQuantize::Quantize(image, paletted, 256);
    return paletted;
}
} // namespace

wxString WritePicture(const wxString& folder, const wxString& name, int width, int height, const wxColour& colour)
{
    const wxString path = folder + "/" + name;
    wxImage image = FilledImage(width, height, colour);
    const wxString extension = wxFileName(name).GetExt().Lower();
    if (extension == "gif")
        image = Paletted(image);
    wxBitmapType type = wxBITMAP_TYPE_PNG;
    if (extension == "jpg" || extension == "jpeg")
        type = wxBITMAP_TYPE_JPEG;
    else if (extension == "bmp")
        type = wxBITMAP_TYPE_BMP;
    else if (extension == "gif")
        type = wxBITMAP_TYPE_GIF;
    EXPECT_TRUE(image.SaveFile(path, type)) << path;
    return path;
}

wxString WriteAnimatedGif(const wxString& folder, const wxString& name, int frames, int width, int height)
{
    const wxString path = folder + "/" + name;
    wxImageArray images;
    for (int i = 0; i < frames; ++i)
        images.Add(Paletted(FilledImage(width, height, wxColour(40 * i % 256, 255 - 30 * i % 256, 90))));
    wxFileOutputStream out(path);
    wxGIFHandler handler;
    EXPECT_TRUE(handler.SaveAnimation(images, &out, false, 100)) << path;
    return path;
}
