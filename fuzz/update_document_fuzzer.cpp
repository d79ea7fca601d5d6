// Feeds arbitrary bytes to the update document reader as if a server had sent
// them, and compares whatever version it finds with the running one.
#include "app/UpdateCheck.h"

#include <wx/mstream.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    wxMemoryInputStream stream(data, size);
    const wxString version = FindProductVersion(stream);
    const std::string key = MakeVersionKey(version);
    if (key.size() > 9 || key.find('\0') != std::string::npos)
        __builtin_trap();
    CompareVersions("2.0.9", version);
    return 0;
}
