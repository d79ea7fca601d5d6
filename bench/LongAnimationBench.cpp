// Drives the real main window, made from the real XRC, through a long
// animation: opens a project of N pictures (as File > Open Project does once
// its file dialog is answered), plays the
// preview for 5 s (Animation > Run), then saves the GIF (as File > Save As
// does).
// Reports the time and the peak memory of the process for each phase, and
// the preview's frames shown against the frames due. Needs an X display.
//
//   long-animation-bench [--delay D] OUT.gif PICTURE... >/dev/null
//   long-animation-bench --make-screen DIR COUNT   (screen-like 1920 x 1080 frames)
//
// The pictures are listed in the project in the order given (repeat a path
// to use a picture several times). The report goes to standard error;
// standard output gets the program's trace lines.
#include "app/GifApp.h"
#include "app/Paths.h"
#include "window/GifFrame.h"
#include "window/ProjectFile.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>

namespace
{
using Clock = std::chrono::steady_clock;

class BenchApp : public wxApp
{
public:
    bool OnInit() override { return true; }
};

class BenchFrame : public GifFrame
{
public:
    using GifFrame::IsSaving;

    // What File > Open Project does once its file dialog has given the path.
    bool OpenProjectFile(const wxString& path)
    {
        LoadProject(path);
        return IsLoading();
    }

    // What File > Save As does once its file dialog has given the path.
    bool SaveGifAs(const wxString& path)
    {
        StopPreview();
        m_gifPath = path;
        return StartGifSave("Save As GIF Progress Dialog");
    }
};

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The kernel's high-water mark of resident memory, which writing "5" to
// clear_refs starts afresh, so that each phase gets its own peak.
long PeakResidentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6) / 1024;
    }
    return -1;
}

// User and system time of all the process's threads: on a shared machine
// the wall time depends on what else runs, this much less.
double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void ResetPeakResident()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

bool RunLoopUntil(const std::function<bool()>& done, double timeoutSeconds)
{
    const Clock::time_point start = Clock::now();
    while (!done())
    {
        if (SecondsSince(start) > timeoutSeconds)
            return false;
        wxEventLoopBase::GetActive()->DispatchTimeout(10);
        wxTheApp->ProcessIdle();
    }
    return true;
}

void SendCommand(GifFrame* frame, int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->ProcessWindowEvent(event);
}

// Flat window chrome with a changing progress bar, list rows and a moving
// pointer: what a screen recording turned into frames looks like.
wxImage ScreenLikeFrame(int index, int count)
{
    wxImage frame(1920, 1080);
    frame.SetRGB(wxRect(0, 0, 1920, 1080), 243, 243, 243);
    frame.SetRGB(wxRect(0, 0, 1920, 36), 43, 87, 151);
    frame.SetRGB(wxRect(24, 60, 1872, 980), 221, 221, 221);
    frame.SetRGB(wxRect(48, 90, 1 + 1800 * index / count, 24), 16, 124, 16);
    for (int row = 0; row < 40; ++row)
    {
        const int length = 200 + (row * 7919 + index / 10 * 31) % 1400;
        frame.SetRGB(wxRect(48, 140 + row * 22, length, 12), 60 + row % 5 * 20, 60, 60);
    }
    frame.SetRGB(wxRect(300 + index % 1200, 500 + index % 300, 16, 24), 232, 17, 35);
    return frame;
}

int MakeScreenFrames(const wxString& dir, int count)
{
    wxFileName::Mkdir(dir, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    for (int i = 0; i < count; ++i)
    {
        const wxString path = wxString::Format("%s/s%04d.png", dir, i + 1);
        if (!wxFileExists(path) && !ScreenLikeFrame(i, count).SaveFile(path, wxBITMAP_TYPE_PNG))
            return 1;
    }
    return 0;
}

struct PreviewCount
{
    int shown = 0;
    int late = 0;
    Clock::time_point last;
};

int RunBench(int delay, const wxString& gifPath, const std::vector<wxString>& pictures)
{
    const wxString projectPath = gifPath + ".xml";
    ProjectData project;
    project.delay = delay;
    project.framePaths = pictures;
    wxString error;
    if (!WriteProjectFile(projectPath, project, &error))
    {
        std::fprintf(stderr, "cannot write %s: %s\n", projectPath.utf8_str().data(), error.utf8_str().data());
        return 1;
    }
    BenchFrame* frame = new BenchFrame;
    if (!InitMainWindow(frame))
        return 1;
    frame->SetSize(1280, 1000);
    frame->Show();
    RunLoopUntil([] { return false; }, 0.5);
    const int count = int(pictures.size());

    ResetPeakResident();
    Clock::time_point start = Clock::now();
    double cpuStart = ProcessCpuSeconds();
    const bool loaded = frame->OpenProjectFile(projectPath) && RunLoopUntil([&] { return !frame->IsLoading() && frame->GetFrameCount() > 0; }, 900);
    std::fprintf(stderr, "load    %4d pictures  %8.2f s  cpu %7.2f s  peak %5ld MB%s\n", frame->GetFrameCount(),
                 SecondsSince(start), ProcessCpuSeconds() - cpuStart, PeakResidentMegabytes(),
                 loaded ? "" : "  (did not finish)");

    const double interval = delay * 0.01;
    PreviewCount preview;
    frame->Bind(wxEVT_TIMER, [&preview, interval](wxTimerEvent& event) {
        const Clock::time_point now = Clock::now();
        if (preview.shown > 0 && std::chrono::duration<double>(now - preview.last).count() > 1.5 * interval)
            ++preview.late;
        preview.last = now;
        ++preview.shown;
        event.Skip();
    });
    ResetPeakResident();
    SendCommand(frame, ID_MENU_RUN);
    RunLoopUntil([] { return false; }, 5.0);
    SendCommand(frame, ID_MENU_RUN);
    const int due = int(5.0 / interval);
    std::fprintf(stderr, "preview %4d of %d frames shown in 5 s (%.1f %%), %d after a gap  peak %5ld MB\n",
                 preview.shown, due, 100.0 * preview.shown / due, preview.late, PeakResidentMegabytes());

    ResetPeakResident();
    start = Clock::now();
    cpuStart = ProcessCpuSeconds();
    if (frame->SaveGifAs(gifPath))
        RunLoopUntil([&] { return !frame->IsSaving(); }, 900);
    std::fprintf(stderr, "save    %4d frames    %8.2f s  cpu %7.2f s  peak %5ld MB\n", count, SecondsSince(start),
                 ProcessCpuSeconds() - cpuStart, PeakResidentMegabytes());
    frame->Destroy();
    RunLoopUntil([] { return false; }, 0.2);
    return loaded ? 0 : 1;
}

int Usage()
{
    std::fprintf(stderr, "usage: long-animation-bench [--delay D] OUT.gif PICTURE...\n"
                         "       long-animation-bench --make-screen DIR COUNT\n");
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--make-screen") == 0)
    {
        wxInitializer initializer;
        wxInitAllImageHandlers();
        return MakeScreenFrames(wxString::FromUTF8(argv[2]), std::atoi(argv[3]));
    }
    int delay = 4;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--delay") == 0)
    {
        delay = std::max(1, std::atoi(argv[2]));
        first = 3;
    }
    if (argc - first < 2)
        return Usage();
    std::vector<wxString> pictures;
    for (int i = first + 1; i < argc; ++i)
        pictures.push_back(wxFileName(wxString::FromUTF8(argv[i])).GetAbsolutePath());

    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
    {
        std::fprintf(stderr, "cannot start the toolkit: is there an X display?\n");
        return 1;
    }
    wxLog::SetActiveTarget(nullptr);
    wxSetAssertHandler(nullptr);
    LoadToolkitResources(GetThemesDir());
    int result = 0;
    {
        wxEventLoop loop;
        wxEventLoopActivator activate(&loop);
        result = RunBench(delay, wxFileName(wxString::FromUTF8(argv[first])).GetAbsolutePath(), pictures);
    }
    wxEntryCleanup();
    return result;
}
