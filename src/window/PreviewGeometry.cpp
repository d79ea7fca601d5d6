#include "window/PreviewGeometry.h"

#include <algorithm>

wxRect PreviewPlacement(const wxSize& panel, const wxSize& picture)
{
    const double widthRatio = double(panel.x) / picture.x;
    const double heightRatio = double(panel.y) / picture.y;
    wxSize shown = picture;
    if (widthRatio < 1 || heightRatio < 1)
    {
        const double scale = std::min(widthRatio, heightRatio);
        shown = wxSize(int(scale * picture.x), int(scale * picture.y));
    }
    return wxRect(wxPoint((panel.x - shown.x) / 2, (panel.y - shown.y) / 2 + 30), shown);
}
