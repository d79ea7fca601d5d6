#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "window/ImageDecoding.h"
#include "window/gif_gifhandler.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/wfstream.h>

namespace
{
struct Decoded
{
    wxImage image;
    wxString path;
    int frame = -1;
    bool last = false;
};

std::vector<Decoded> Decode(const wxString& entry, bool* ok = nullptr, wxString* failure = nullptr)
{
    std::vector<Decoded> pictures;
    wxString reason;
    const bool decoded = DecodePictureEntry(
        entry,
        [&](wxImage&& image, const wxString& path, int frame, bool last) {
            pictures.push_back({image, path, frame, last});
        },
        &reason);
    if (ok)
        *ok = decoded;
    if (failure)
        *failure = reason;
    return pictures;
}

const ColourList kFrameColours = {0xFF0000, 0x00FF00, 0x0000FF};

// An animated GIF whose frame i is filled with colour i.
wxString WriteThreeFrameGif(const wxString& path)
{
    wxFileOutputStream out(path);
    SetGifOutputStream(&out);
    for (int i = 0; i < 3; ++i)
    {
        MyGifHandler handler;
        WriteAnimationFrame(PalettedImage(6, 4, kFrameColours, std::vector<int>(24, i)), handler, 100, 3, i);
    }
    SetGifOutputStream(nullptr);
    return path;
}

std::vector<uint8_t> Little32(long value)
{
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> bytes;
    for (const auto& part : parts)
        bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

// Headers that claim 20000 x 20000 pixels, with no picture data after them.
std::vector<std::pair<wxString, std::vector<uint8_t>>> HugeHeaders()
{
    return {
        {"huge.png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                      0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20, 8, 2, 0, 0, 0}},
        {"huge.bmp", Concat({{'B', 'M'}, std::vector<uint8_t>(12, 0), Little32(40), Little32(20000),
                             Little32(-20000), {1, 0, 24, 0}})},
        {"huge.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 6, 'J', 'F', 'I', 'F', 0xFF, 0xC0, 0, 11, 8,
                      0x4E, 0x20, 0x4E, 0x20, 3, 1, 0x22, 0}},
        // A small screen with a frame that claims 65535 x 65535.
        {"huge.gif", {'G', 'I', 'F', '8', '9', 'a', 10, 0, 10, 0, 0, 0, 0,
                      0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 8, 0, 0x3B}},
    };
}
} // namespace

TEST(GifFrameReference, Splits)
{
    wxString path;
    int frame = -1;
    ASSERT_TRUE(SplitGifFrameReference("/a/anim.gif_12", path, frame));
    EXPECT_EQ("/a/anim.gif", path);
    EXPECT_EQ(12, frame);
    ASSERT_TRUE(SplitGifFrameReference("/home/my_pictures/x_1.gif_7", path, frame));
    EXPECT_EQ("/home/my_pictures/x_1.gif", path);
    EXPECT_EQ(7, frame);
    ASSERT_TRUE(SplitGifFrameReference("b.gif_0012", path, frame));
    EXPECT_EQ(12, frame);
    ASSERT_TRUE(SplitGifFrameReference("b.gif_99999999999999999999", path, frame));
    EXPECT_EQ(INT_MAX, frame);

    for (const char* plain : {"/a/anim.gif", "/a/anim.GIF_3", "/a/anim.gif_", "/a/x.png_3", "/a/x.gif_3a", "gif_3"})
        EXPECT_FALSE(SplitGifFrameReference(plain, path, frame)) << plain;
}

TEST(DecodePictureEntry, PlainPicture)
{
    const wxString path = MakeScratchDir("decode") + "/still.png";
    ASSERT_TRUE(ColourfulImage(30, 20).SaveFile(path, wxBITMAP_TYPE_PNG));
    const std::vector<Decoded> pictures = Decode(path);
    ASSERT_EQ(1u, pictures.size());
    EXPECT_TRUE(SamePixels(ColourfulImage(30, 20), pictures[0].image));
    EXPECT_EQ(path, pictures[0].path);
    EXPECT_EQ(0, pictures[0].frame);
    EXPECT_TRUE(pictures[0].last);
}

TEST(DecodePictureEntry, EveryFrameOfAnAnimatedGif)
{
    const wxString path = WriteThreeFrameGif(MakeScratchDir("decode") + "/anim.gif");
    const std::vector<Decoded> pictures = Decode(path);
    ASSERT_EQ(3u, pictures.size());
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(path, pictures[i].path);
        EXPECT_EQ(i, pictures[i].frame);
        EXPECT_EQ(i == 2, pictures[i].last);
        EXPECT_EQ(kFrameColours[i], PixelColour(pictures[i].image, 3, 2));
    }
}

TEST(DecodePictureEntry, OneFrameByReference)
{
    const wxString path = WriteThreeFrameGif(MakeScratchDir("decode") + "/anim.gif");
    const std::vector<Decoded> pictures = Decode(path + "_1");
    ASSERT_EQ(1u, pictures.size());
    EXPECT_EQ(path, pictures[0].path);
    EXPECT_EQ(1, pictures[0].frame);
    EXPECT_TRUE(pictures[0].last);
    EXPECT_EQ(kFrameColours[1], PixelColour(pictures[0].image, 0, 0));

    bool ok = true;
    wxString failure;
    EXPECT_TRUE(Decode(path + "_3", &ok, &failure).empty());
    EXPECT_FALSE(ok);
    EXPECT_FALSE(failure.empty());
}

TEST(DecodePictureEntry, UpperCaseGifIsOnePicture)
{
    const wxString dir = MakeScratchDir("decode");
    const wxString path = dir + "/ANIM.GIF";
    ASSERT_TRUE(wxCopyFile(WriteThreeFrameGif(dir + "/anim.gif"), path));
    const std::vector<Decoded> pictures = Decode(path);
    ASSERT_EQ(1u, pictures.size());
    EXPECT_EQ(0, pictures[0].frame);
    EXPECT_TRUE(pictures[0].last);
}

TEST(DecodePictureEntry, FailuresSayWhy)
{
    const wxString dir = MakeScratchDir("decode");
    WriteTextFile(dir + "/notes.png", "not a picture");
    for (const wxString& entry : {dir + "/missing.png", dir + "/notes.png", dir + "/missing.gif_2"})
    {
        SCOPED_TRACE(entry);
        bool ok = true;
        wxString failure;
        EXPECT_TRUE(Decode(entry, &ok, &failure).empty());
        EXPECT_FALSE(ok);
        EXPECT_FALSE(failure.empty());
    }
}

TEST(DecodePictureEntry, HugePicturesAreRefusedFromTheirHeader)
{
    const wxString dir = MakeScratchDir("decode");
    for (const auto& header : HugeHeaders())
    {
        SCOPED_TRACE(header.first);
        const wxString path = dir + "/" + header.first;
        ASSERT_TRUE(WriteFileBytes(path, header.second));
        DeclaredPictureSize declared;
        ASSERT_TRUE(ReadDeclaredPictureSize(path, declared));
        EXPECT_GT((long long)declared.frames.back().x * declared.frames.back().y, kMaxPicturePixels);
        bool ok = true;
        wxString failure;
        EXPECT_TRUE(Decode(path, &ok, &failure).empty());
        EXPECT_FALSE(ok);
        EXPECT_TRUE(failure.Contains("too large")) << failure;
    }
}

TEST(DeclaredPictureSize, ReadFromRealFiles)
{
    const wxString dir = MakeScratchDir("declared");
    const wxImage picture = ColourfulImage(37, 21);
    for (auto type : {wxBITMAP_TYPE_PNG, wxBITMAP_TYPE_JPEG, wxBITMAP_TYPE_BMP})
    {
        SCOPED_TRACE(int(type));
        const wxString path = wxString::Format("%s/picture-%d", dir, int(type));
        ASSERT_TRUE(picture.SaveFile(path, type));
        DeclaredPictureSize declared;
        ASSERT_TRUE(ReadDeclaredPictureSize(path, declared));
        EXPECT_EQ(wxSize(37, 21), declared.whole);
        EXPECT_EQ(std::vector<wxSize>{wxSize(37, 21)}, declared.frames);
    }
    DeclaredPictureSize gif;
    ASSERT_TRUE(ReadDeclaredPictureSize(WriteThreeFrameGif(dir + "/anim.gif"), gif));
    EXPECT_EQ(wxSize(6, 4), gif.whole);
    EXPECT_EQ(std::vector<wxSize>(3, wxSize(6, 4)), gif.frames);

    WriteTextFile(dir + "/notes.txt", "hello");
    DeclaredPictureSize none;
    EXPECT_FALSE(ReadDeclaredPictureSize(dir + "/notes.txt", none));
}
