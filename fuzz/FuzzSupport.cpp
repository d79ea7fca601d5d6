#include "FuzzSupport.h"

#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

#include <unistd.h>

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

wxString WriteInputFile(const uint8_t* data, size_t size, const wxString& name)
{
    static const wxString folder = [] {
        const wxString base = wxDirExists("/dev/shm") ? "/dev/shm" : "/tmp";
        const wxString path = wxString::Format("%s/pelagrin-fuzz-%d", base, int(getpid()));
        wxMkdir(path);
        return path;
    }();
    const wxString path = folder + "/" + name;
    wxFFile file(path, "wb");
    if (size > 0)
        file.Write(data, size);
    return path;
}
