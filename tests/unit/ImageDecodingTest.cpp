#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "window/ImageDecoding.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/anidecod.h>
#include <wx/imaggif.h>
#include <wx/wfstream.h>

#include <climits>
#include <tuple>

namespace
{
const ColourList kFrameColours = {0xFF0000, 0x00FF00, 0x0000FF};

// An animated GIF whose frame i is filled with colour i.
wxString WriteThreeFrameGif(const wxString& path)
{
    wxImageArray frames;
    for (int i = 0; i < 3; ++i)
        frames.Add(PalettedImage(6, 4, kFrameColours, std::vector<int>(24, i)));
    wxFileOutputStream out(path);
    wxGIFHandler handler;
    EXPECT_TRUE(handler.SaveAnimation(frames, &out, false, 100)) << path;
    return path;
}
} // namespace

TEST(GifFrameReference, Splits)
{
    // An empty path: not a frame reference.
    const std::tuple<const char*, const char*, int> cases[] = {
        {"/a/anim.gif_12", "/a/anim.gif", 12}, {"/home/my_pictures/x_1.gif_7", "/home/my_pictures/x_1.gif", 7},
        {"b.gif_0012", "b.gif", 12},           {"b.gif_99999999999999999999", "b.gif", INT_MAX},
        {"/a/anim.gif", "", 0},                {"/a/anim.GIF_3", "", 0},
        {"/a/anim.gif_", "", 0},               {"/a/x.png_3", "", 0},
        {"/a/x.gif_3a", "", 0},                {"gif_3", "", 0}};
    for (const auto& [entry, expectedPath, expectedFrame] : cases)
    {
        wxString path;
        int frame = 0;
        EXPECT_EQ(*expectedPath != 0, SplitGifFrameReference(entry, path, frame)) << entry;
        EXPECT_EQ(expectedPath, *expectedPath ? path : wxString()) << entry;
        EXPECT_EQ(expectedFrame, *expectedPath ? frame : 0) << entry;
    }
}

TEST(DecodePictureEntry, PicturesAndFramesInOrder)
{
    const wxString dir = MakeScratchDir("decode");
    const wxString gif = WriteThreeFrameGif(dir + "/anim.gif");
    ASSERT_TRUE(wxCopyFile(gif, dir + "/ANIM.GIF"));
    ASSERT_TRUE(SolidImage(30, 20, 0x123456).SaveFile(dir + "/still.png", wxBITMAP_TYPE_PNG));
    struct Case
    {
        wxString entry, path;
        std::vector<int> frames;
        ColourList colours;
    };
    const Case cases[] = {
        {dir + "/still.png", dir + "/still.png", {0}, {0x123456}},
        {gif, gif, {0, 1, 2}, kFrameColours},
        {gif + "_1", gif, {1}, {kFrameColours[1]}},
        {dir + "/ANIM.GIF", dir + "/ANIM.GIF", {0}, {kFrameColours[0]}}, // upper case: one picture
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.entry);
        const DecodedEntry result = DecodeEntryPictures(c.entry);
        EXPECT_TRUE(result.ok) << result.failure;
        ASSERT_EQ(c.frames.size(), result.pictures.size());
        for (size_t i = 0; i < c.frames.size(); ++i)
        {
            EXPECT_EQ(c.path, result.pictures[i].path);
            EXPECT_EQ(c.frames[i], result.pictures[i].frame);
            EXPECT_EQ(i + 1 == c.frames.size(), result.pictures[i].last);
            EXPECT_EQ(c.colours[i], PixelColour(result.pictures[i].image, 3, 2));
        }
    }
}

TEST(DecodePictureEntry, FailuresSayWhy)
{
    const wxString dir = MakeScratchDir("decode");
    WriteTextFile(dir + "/notes.png", "not a picture");
    const wxString gif = WriteThreeFrameGif(dir + "/anim.gif");
    std::vector<std::pair<wxString, wxString>> entries = {
        {dir + "/missing.png", ""}, {dir + "/notes.png", ""}, {dir + "/missing.gif_2", ""}, {gif + "_3", ""}};
    // Headers that claim 20000 x 20000 pixels, with no picture data after them.
    const std::pair<const char*, std::vector<uint8_t>> hugeHeaders[] = {
        {"huge.png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                      0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20, 8, 2, 0, 0, 0}},
        // A top-down BMP: its height is stored negative.
        {"huge.bmp", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0,
                      0x20, 0x4E, 0, 0, 0xE0, 0xB1, 0xFF, 0xFF, 1, 0, 24, 0}},
        {"huge.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 6, 'J', 'F', 'I', 'F', 0xFF, 0xC0, 0, 11, 8,
                      0x4E, 0x20, 0x4E, 0x20, 3, 1, 0x22, 0}},
        // A small screen with a frame that claims 65535 x 65535.
        {"huge.gif", {'G', 'I', 'F', '8', '9', 'a', 10, 0, 10, 0, 0, 0, 0,
                      0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 8, 0, 0x3B}},
    };
    for (const auto& header : hugeHeaders)
    {
        ASSERT_TRUE(WriteFileBytes(dir + "/" + header.first, header.second));
        entries.emplace_back(dir + "/" + header.first, "too large");
    }
    for (const auto& entry : entries)
    {
        SCOPED_TRACE(entry.first);
        const DecodedEntry result = DecodeEntryPictures(entry.first);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.pictures.empty());
        EXPECT_FALSE(result.failure.empty());
        EXPECT_TRUE(result.failure.Contains(entry.second)) << result.failure;
    }
}
