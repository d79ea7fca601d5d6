// The lines the program writes to standard output on purpose. Nothing else
// goes there: the start-up test reads the resource paths from these lines,
// and a stray print would be mistaken for one of them.
#pragma once

#include <wx/string.h>

// Writes `line` and a line end to standard output at once.
void WriteTraceLine(const wxString& line);
