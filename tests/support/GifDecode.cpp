#include "support/GifDecode.h"

#include <gif_lib.h>

#include <cstring>

namespace
{
void ReadLoopExtension(const SavedImage& image, DecodedGif& result)
{
    for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e)
    {
        const ExtensionBlock& block = image.ExtensionBlocks[e];
        const ExtensionBlock& next = image.ExtensionBlocks[e + 1];
        if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
            std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && next.ByteCount >= 3 &&
            next.Bytes[0] == 1)
        {
            result.hasLoopExtension = true;
            result.loopCount = next.Bytes[1] | (next.Bytes[2] << 8);
        }
    }
}

DecodedGifFrame DecodeFrame(GifFileType* gif, int index)
{
    const SavedImage& image = gif->SavedImages[index];
    DecodedGifFrame frame;
    frame.left = image.ImageDesc.Left;
    frame.top = image.ImageDesc.Top;
    frame.width = image.ImageDesc.Width;
    frame.height = image.ImageDesc.Height;
    GraphicsControlBlock control;
    if (DGifSavedExtensionToGCB(gif, index, &control) == GIF_OK)
    {
        frame.delay = control.DelayTime;
        frame.transparentIndex = control.TransparentColor;
    }
    const ColorMapObject* map = image.ImageDesc.ColorMap;
    if (map)
        frame.localColourCount = map->ColorCount;
    else
        map = gif->SColorMap;
    const size_t pixels = size_t(frame.width) * size_t(frame.height);
    frame.rgb.resize(pixels * 3);
    frame.indices.assign(image.RasterBits, image.RasterBits + pixels);
    for (size_t p = 0; p < pixels; ++p)
    {
        const int index = image.RasterBits[p];
        if (map && index < map->ColorCount)
        {
            frame.rgb[p * 3] = map->Colors[index].Red;
            frame.rgb[p * 3 + 1] = map->Colors[index].Green;
            frame.rgb[p * 3 + 2] = map->Colors[index].Blue;
        }
    }
    return frame;
}
} // namespace

DecodedGif DecodeGifFile(const wxString& path)
{
    DecodedGif result;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.utf8_str(), &error);
    if (!gif)
    {
        result.error = GifErrorString(error);
        return result;
    }
    if (DGifSlurp(gif) != GIF_OK)
    {
        result.error = GifErrorString(gif->Error);
        DGifCloseFile(gif, &error);
        return result;
    }
    result.screenWidth = gif->SWidth;
    result.screenHeight = gif->SHeight;
    result.globalColourCount = gif->SColorMap ? gif->SColorMap->ColorCount : 0;
    for (int i = 0; i < gif->ImageCount; ++i)
    {
        ReadLoopExtension(gif->SavedImages[i], result);
        result.frames.push_back(DecodeFrame(gif, i));
    }
    result.ok = true;
    DGifCloseFile(gif, &error);
    return result;
}
