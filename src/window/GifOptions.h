// The choices of the "GIF Options" dialog. They are kept as the user's
// defaults and in each project, and the save and save-bench take them.
#pragma once

struct GifOptions
{
    int quality = 90;             // 1 to 100; 100 keeps as much as a GIF can hold
    int dithering = 100;          // percent, 0 to 100
    bool storeChangedOnly = true; // later frames keep only what changed
    int repeat = 0;               // times the animation plays; 0 plays it forever
};

inline bool operator==(const GifOptions& a, const GifOptions& b)
{
    return a.quality == b.quality && a.dithering == b.dithering &&
           a.storeChangedOnly == b.storeChangedOnly && a.repeat == b.repeat;
}
inline bool operator!=(const GifOptions& a, const GifOptions& b) { return !(a == b); }
