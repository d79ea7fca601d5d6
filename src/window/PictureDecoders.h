// PNG and JPEG decoders that write straight into the layout a wxImage keeps
// (RGB bytes, alpha apart), several times as fast as the toolkit's handlers
// and giving the same pixels: 16-bit samples keep their high byte, grey and
// palette pictures become RGB, a declared gamma is not applied, and only a
// picture with a pixel that is not opaque gets an alpha channel.
#pragma once

#include <wx/image.h>
#include <wx/string.h>

#include <vector>

// Both refuse pictures of more than maxPixels pixels before allocating them.
// A picture that does not fit in the memory left throws std::bad_alloc;
// the loaders' decoding entry point turns that into a failure message.
// False when the file cannot be decoded; the image is then left invalid.
bool DecodePngFile(const wxString& path, long long maxPixels, wxImage& image);
bool DecodeJpegFile(const wxString& path, long long maxPixels, wxImage& image);

// Reads a file whole when it has at most mostBytes bytes; false when it
// cannot be read, is empty or is larger.
bool ReadPictureFile(const wxString& path, long mostBytes, std::vector<unsigned char>& bytes);

// The same for pictures held in memory.
bool DecodePngBytes(const unsigned char* bytes, size_t size, long long maxPixels, wxImage& image);
bool DecodeJpegBytes(const unsigned char* bytes, size_t size, long long maxPixels, wxImage& image);

// The PNG decoders' quick way for the most common kinds (RGB or RGBA of 8 or
// 16 bits, not interlaced, without a transparent colour). False for any
// other picture and for anything it finds wrong; the PNG decoders then use
// the general way, which decodes every kind and judges damage.
bool DecodePlainPng(const unsigned char* bytes, size_t size, long long maxPixels, wxImage& image);
