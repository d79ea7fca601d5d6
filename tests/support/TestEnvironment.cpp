#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{
wxString g_home;
}

void UseTemporaryHome()
{
    char pattern[] = "/tmp/pelagrin-test-home-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir)
        std::abort();
    g_home = wxString::FromUTF8(dir);
    setenv("HOME", dir, 1);
    const std::string config = std::string(dir) + "/.config";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    unsetenv("XDG_DOCUMENTS_DIR");
}

wxString TemporaryHome()
{
    return g_home;
}

wxString MakeScratchDir(const wxString& name)
{
    static int counter = 0;
    const wxString dir = wxString::Format("%s/%s-%d", g_home, name, ++counter);
    wxFileName::Mkdir(dir, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    return dir;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    wxStopWatch watch;
    while (!condition())
    {
        if (watch.Time() > timeoutMs)
            return false;
        if (wxTheApp)
        {
            wxTheApp->ProcessPendingEvents();
            wxYield();
        }
        wxMilliSleep(5);
    }
    return true;
}

bool WriteTextFile(const wxString& path, const wxString& text)
{
    wxFFile file(path, "wb");
    return file.IsOpened() && file.Write(text);
}

wxString ReadTextFile(const wxString& path)
{
    wxFFile file(path, "rb");
    wxString text;
    if (file.IsOpened())
        file.ReadAll(&text);
    return text;
}

namespace
{
void TestAssertHandler(const wxString& file, int line, const wxString& func, const wxString& cond,
                       const wxString& msg)
{
    ADD_FAILURE() << "toolkit assertion \"" << cond << "\" (" << msg << ") in " << func << " at "
                  << file << ":" << line;
}
} // namespace

void InstallAssertHandler()
{
    wxSetAssertHandler(TestAssertHandler);
}
