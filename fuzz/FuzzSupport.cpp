#include "FuzzSupport.h"

#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

void StartToolkitOnce()
{
    static wxInitializer* initializer = nullptr;
    if (initializer)
        return;
    initializer = new wxInitializer;
    wxInitAllImageHandlers();
    wxLog::SetActiveTarget(nullptr);
    // The readers assert on nothing they get from a file; a toolkit
    // assertion would be a finding, so it aborts.
    wxSetAssertHandler([](const wxString& file, int line, const wxString&, const wxString& condition,
                          const wxString&) {
        std::fprintf(stderr, "toolkit assertion %s at %s:%d\n", static_cast<const char*>(condition.utf8_str()),
                     static_cast<const char*>(file.utf8_str()), line);
        std::abort();
    });
}

namespace
{
std::string g_scratchFolder;

void RemoveScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(g_scratchFolder, ignored);
}

// fuzz.sh names a folder of its own, which it removes afterwards; fork mode
// ends workers without running exit handlers.
wxString MakeScratchFolder()
{
    const char* parent = std::getenv("PELAGRIN_FUZZ_SCRATCH");
    const std::string base = parent ? parent : (wxDirExists("/dev/shm") ? "/dev/shm" : "/tmp");
    g_scratchFolder = base + "/pelagrin-fuzz-" + std::to_string(getpid());
    wxMkdir(g_scratchFolder);
    std::atexit(RemoveScratchFolder);
    return wxString::FromUTF8(g_scratchFolder);
}
} // namespace

wxString WriteInputFile(const uint8_t* data, size_t size, const wxString& name)
{
    static const wxString folder = MakeScratchFolder();
    const wxString path = folder + "/" + name;
    wxFFile file(path, "wb");
    if (size > 0)
        file.Write(data, size);
    return path;
}
