#include "app/Trace.h"

#include <cstdio>

void WriteTraceLine(const wxString& line)
{
    // Flushed at once: the output is usually a pipe, read while the program runs.
    std::fputs(line.utf8_string().c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
