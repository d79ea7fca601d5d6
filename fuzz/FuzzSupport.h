// What every fuzz target needs: the toolkit's base started once, and the
// input as a file, since the readers take paths.
#pragma once

#include <wx/string.h>

#include <cstddef>
#include <cstdint>

// Starts the toolkit without a display, with the image decoders and with
// logging silenced. Safe to call for every input.
void StartToolkitOnce();

// Writes the input to a file of the given name in this process's own
// scratch folder and returns its path. The same path is reused.
wxString WriteInputFile(const uint8_t* data, size_t size, const wxString& name);
