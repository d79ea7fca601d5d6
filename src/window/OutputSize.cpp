#include "window/OutputSize.h"

#include <algorithm>
#include <climits>

namespace
{
// Sides reach 65535, so the products need more than 32 bits.
int ClampToInt(long long value)
{
    return int(std::max<long long>(std::min<long long>(value, INT_MAX), INT_MIN));
}
} // namespace

wxSize ReferenceSize(const std::vector<wxSize>& frameSizes)
{
    wxSize reference(0, 0);
    for (const wxSize& size : frameSizes)
        if (reference.x < size.x || reference.y < size.y)
            reference = size;
    return reference;
}

int HeightForWidth(int width, int refWidth, int refHeight)
{
    if (refWidth == 0)
        return -1;
    return ClampToInt((long long)width * refHeight / refWidth);
}

int WidthForHeight(int height, int refWidth, int refHeight)
{
    if (refHeight == 0)
        return -1;
    return ClampToInt((long long)refWidth * height / refHeight);
}
