// The GIF options as XML: an element of the project file and the user's
// defaults in a file of their own, both laid out as
//
// <gif_options><quality>90</quality><dithering>100</dithering>
//   <changed_only>1</changed_only><repeat>0</repeat></gif_options>
#pragma once

#include "window/GifOptions.h"

#include <wx/string.h>

class wxXmlNode;

// The largest finite repeat: the looping extension counts in 16 bits.
const int kMaxGifRepeat = 65535;

// The options with every value brought into its range.
GifOptions ValidGifOptions(const GifOptions& options);

// A new <gif_options> element; the caller owns it.
wxXmlNode* MakeGifOptionsElement(const GifOptions& options);
// Reads a <gif_options> element. A missing or unreadable value keeps its
// default and values out of range are brought into it, so options written by
// a later version still open. False when the element is not <gif_options>.
bool ReadGifOptionsElement(const wxXmlNode* element, GifOptions& options);

// The user's defaults. A missing or unreadable file gives the program's
// defaults.
GifOptions ReadGifOptionsFile(const wxString& path);
// Replaces the file only when it was written completely; on failure *error
// says why.
bool WriteGifOptionsFile(const wxString& path, const GifOptions& options, wxString* error);
