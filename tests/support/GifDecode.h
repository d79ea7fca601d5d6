// GIF files decoded by giflib, an decoder independent of ours.
#pragma once

#include <wx/string.h>

#include <cstdint>
#include <vector>

struct DecodedGifFrame
{
    int left = 0, top = 0, width = 0, height = 0;
    int delay = -1;             // hundredths of a second, -1 without a control block
    int transparentIndex = -1;  // -1 without a transparent colour
    int localColourCount = 0;   // 0 without a local colour table
    std::vector<uint8_t> rgb;   // width * height * 3, through the frame's colour table
    std::vector<uint8_t> indices; // width * height colour-table indices, as stored
};

struct DecodedGif
{
    bool ok = false;
    wxString error;
    int screenWidth = 0, screenHeight = 0;
    int globalColourCount = 0;
    bool hasLoopExtension = false;
    int loopCount = -1;
    std::vector<DecodedGifFrame> frames;
};

DecodedGif DecodeGifFile(const wxString& path);
