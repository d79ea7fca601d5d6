// Saves an X window's contents as a PNG file, for the README's pictures.
// Usage: window-shot WINDOW_ID OUT.png
#include <wx/image.h>
#include <wx/init.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: window-shot WINDOW_ID OUT.png\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
    {
        std::fprintf(stderr, "window-shot: no X display\n");
        return 1;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return 1;
    XImage* shot = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!shot)
        return 1;
    wxInitializer toolkit;
    wxImage image(attributes.width, attributes.height);
    unsigned char* rgb = image.GetData();
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x)
        {
            // A 24-bit TrueColor visual, as Xvfb gives: red, green, blue in the masks.
            const unsigned long pixel = XGetPixel(shot, x, y);
            *rgb++ = (pixel & shot->red_mask) >> 16;
            *rgb++ = (pixel & shot->green_mask) >> 8;
            *rgb++ = pixel & shot->blue_mask;
        }
    XDestroyImage(shot);
    XCloseDisplay(display);
    wxImage::AddHandler(new wxPNGHandler);
    return image.SaveFile(wxString::FromUTF8(argv[2]), wxBITMAP_TYPE_PNG) ? 0 : 1;
}
