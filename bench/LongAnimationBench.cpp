// Drives the real main window, made from the real XRC, through a long
// animation: opens a project of N pictures (as File > Open Project does once
// its file dialog is answered), plays the
// preview for 5 s (Animation > Run), then saves the GIF (as File > Save As
// does).
// Reports the time and the peak memory of the process for each phase, and
// the preview's frames shown against the frames due. Needs an X display.
//
//   long-animation-bench [--delay D] [--load-only | --save-only | --cancel-after S] OUT.gif PICTURE... >/dev/null
//   long-animation-bench --make-set KIND DIR COUNT   (1920 x 1080 pictures)
//
// --save-only leaves the preview out.
// --cancel-after S presses the loading dialog's Cancel S seconds into the
// load and reports how long the window and the loading threads take to stop,
// and how many frames the strip holds then (none: the load added nothing).
//
// KIND: screen (flat 8-bit PNG screenshots), screen16 (the same as 16-bit
// PNGs), photo (photographic 8-bit PNGs) or jpeg (photographic JPEGs).
// --make-screen DIR COUNT is --make-set screen.
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
#include <wx/progdlg.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>

#include <spng.h>

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

    // What the loading dialog's Cancel button does.
    void PressLoadCancel()
    {
        wxCommandEvent event(wxEVT_BUTTON, wxID_CANCEL);
        event.SetEventObject(m_loadProgress);
        m_loadProgress->GetEventHandler()->ProcessEvent(event);
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

long ThreadCount()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.rfind("Threads:", 0) == 0)
            return std::atol(line.c_str() + 8);
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

// Smooth light and colour with fine grain, so that the files compress as
// camera pictures do (about 4 MB as PNG), not as flat areas.
wxImage PhotoLikeFrame(int index)
{
    const int width = 1920, height = 1080;
    wxImage frame(width, height);
    unsigned char* pixel = frame.GetData();
    uint32_t noise = 2463534242u + uint32_t(index);
    const double phase = index * 0.07;
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const double u = x / double(width), v = y / double(height);
            const double light = 0.5 + 0.3 * std::sin(6.0 * u + phase) * std::cos(4.0 * v - phase);
            const int grain = int(noise % 17) - 8;
            *pixel++ = (unsigned char)std::clamp(int(255 * light * (0.8 + 0.2 * u)) + grain, 0, 255);
            *pixel++ = (unsigned char)std::clamp(int(255 * light * (0.6 + 0.4 * v)) + grain, 0, 255);
            *pixel++ = (unsigned char)std::clamp(int(200 * (1.0 - light) + 40 * u) + grain, 0, 255);
        }
    }
    return frame;
}

// The toolkit writes 8-bit PNGs only; each sample is widened to 16 bits as
// a screenshot tool that saves 16-bit files does.
bool SavePng16(const wxImage& image, const wxString& path)
{
    const size_t samples = size_t(image.GetWidth()) * image.GetHeight() * 3;
    std::vector<uint16_t> wide(samples);
    for (size_t i = 0; i < samples; ++i)
        wide[i] = uint16_t(image.GetData()[i] * 257);
    std::FILE* file = std::fopen(path.fn_str(), "wb");
    if (!file)
        return false;
    spng_ctx* png = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_ihdr header{uint32_t(image.GetWidth()), uint32_t(image.GetHeight()), 16, SPNG_COLOR_TYPE_TRUECOLOR, 0, 0, 0};
    bool ok = spng_set_png_file(png, file) == 0 && spng_set_ihdr(png, &header) == 0 &&
              spng_encode_image(png, wide.data(), wide.size() * 2, SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) == 0;
    spng_ctx_free(png);
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

bool MakePicture(const std::string& kind, int index, int count, const wxString& path)
{
    if (kind == "screen")
        return ScreenLikeFrame(index, count).SaveFile(path, wxBITMAP_TYPE_PNG);
    if (kind == "screen16")
        return SavePng16(ScreenLikeFrame(index, count), path);
    wxImage photo = PhotoLikeFrame(index);
    if (kind == "photo")
        return photo.SaveFile(path, wxBITMAP_TYPE_PNG);
    photo.SetOption(wxIMAGE_OPTION_QUALITY, 90);
    return photo.SaveFile(path, wxBITMAP_TYPE_JPEG);
}

int MakePictureSet(const std::string& kind, const wxString& dir, int count)
{
    if (kind != "screen" && kind != "screen16" && kind != "photo" && kind != "jpeg")
        return 2;
    wxFileName::Mkdir(dir, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    const wxString extension = kind == "jpeg" ? "jpg" : "png";
    for (int i = 0; i < count; ++i)
    {
        const wxString path = wxString::Format("%s/%s%04d.%s", dir, kind, i + 1, extension);
        if (!wxFileExists(path) && !MakePicture(kind, i, count, path))
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

// Animation > Run for 5 s, counting the frames shown against those due.
// The count outlives the run: the frame keeps the handler that updates it.
void RunPreview(GifFrame* frame, int delay, PreviewCount& preview)
{
    const double interval = delay * 0.01;
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
}

// Cancels the load once it has run for `after` seconds, then waits for the
// threads the load started to end.
int CancelBench(BenchFrame* frame, const wxString& projectPath, double after)
{
    const long threadsBefore = ThreadCount();
    if (!frame->OpenProjectFile(projectPath))
        return 1;
    RunLoopUntil([] { return false; }, after);
    if (!frame->IsLoading())
    {
        std::fprintf(stderr, "cancel  the load ended before %.1f s\n", after);
        return 1;
    }
    const Clock::time_point pressed = Clock::now();
    frame->PressLoadCancel();
    RunLoopUntil([&] { return !frame->IsLoading(); }, 60);
    const double windowFree = SecondsSince(pressed);
    const bool stopped = RunLoopUntil([&] { return ThreadCount() <= threadsBefore; }, 60);
    const int frames = frame->GetFrameCount();
    std::fprintf(stderr, "cancel  after %.1f s: window free in %.3f s, loading threads ended in %.3f s%s, %d frames\n",
                 after, windowFree, SecondsSince(pressed), stopped ? "" : " (did not end)", frames);
    frame->Destroy();
    RunLoopUntil([] { return false; }, 0.2);
    return stopped && frames == 0 ? 0 : 1;
}

int RunBench(int delay, bool loadOnly, bool saveOnly, double cancelAfter, const wxString& gifPath, const std::vector<wxString>& pictures)
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
    if (cancelAfter > 0)
        return CancelBench(frame, projectPath, cancelAfter);

    ResetPeakResident();
    Clock::time_point start = Clock::now();
    double cpuStart = ProcessCpuSeconds();
    const bool loaded = frame->OpenProjectFile(projectPath) && RunLoopUntil([&] { return !frame->IsLoading() && frame->GetFrameCount() > 0; }, 900);
    std::fprintf(stderr, "load    %4d pictures  %8.2f s  cpu %7.2f s  peak %5ld MB%s\n", frame->GetFrameCount(),
                 SecondsSince(start), ProcessCpuSeconds() - cpuStart, PeakResidentMegabytes(),
                 loaded ? "" : "  (did not finish)");
    if (loadOnly)
    {
        frame->Destroy();
        RunLoopUntil([] { return false; }, 0.2);
        return loaded ? 0 : 1;
    }

    PreviewCount preview;
    if (!saveOnly)
        RunPreview(frame, delay, preview);

    ResetPeakResident();
    start = Clock::now();
    cpuStart = ProcessCpuSeconds();
    if (frame->SaveGifAs(gifPath))
        RunLoopUntil([&] { return !frame->IsSaving(); }, 900);
    std::fprintf(stderr, "save    %4d frames    %8.2f s  cpu %7.2f s  peak %5ld MB\n", frame->GetFrameCount(),
                 SecondsSince(start),
                 ProcessCpuSeconds() - cpuStart, PeakResidentMegabytes());
    frame->Destroy();
    RunLoopUntil([] { return false; }, 0.2);
    return loaded ? 0 : 1;
}

int Usage()
{
    std::fprintf(stderr, "usage: long-animation-bench [--delay D] [--load-only | --save-only | --cancel-after S] OUT.gif\n"
                         "                            PICTURE...\n"
                         "       long-animation-bench --make-set screen|screen16|photo|jpeg DIR COUNT\n");
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--make-screen") == 0)
    {
        wxInitializer initializer;
        wxInitAllImageHandlers();
        return MakePictureSet("screen", wxString::FromUTF8(argv[2]), std::atoi(argv[3]));
    }
    if (argc == 5 && std::strcmp(argv[1], "--make-set") == 0)
    {
        wxInitializer initializer;
        wxInitAllImageHandlers();
        const int made = MakePictureSet(argv[2], wxString::FromUTF8(argv[3]), std::atoi(argv[4]));
        return made == 2 ? Usage() : made;
    }
    int delay = 4;
    bool loadOnly = false;
    bool saveOnly = false;
    double cancelAfter = 0;
    int first = 1;
    for (;;)
    {
        if (argc > first + 1 && std::strcmp(argv[first], "--delay") == 0)
        {
            delay = std::max(1, std::atoi(argv[first + 1]));
            first += 2;
        }
        else if (argc > first + 1 && std::strcmp(argv[first], "--cancel-after") == 0)
        {
            cancelAfter = std::max(0.1, std::atof(argv[first + 1]));
            first += 2;
        }
        else if (argc > first && std::strcmp(argv[first], "--save-only") == 0)
        {
            saveOnly = true;
            ++first;
        }
        else if (argc > first && std::strcmp(argv[first], "--load-only") == 0)
        {
            loadOnly = true;
            ++first;
        }
        else
        {
            break;
        }
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
        result = RunBench(delay, loadOnly, saveOnly, cancelAfter, wxFileName(wxString::FromUTF8(argv[first])).GetAbsolutePath(), pictures);
    }
    wxEntryCleanup();
    return result;
}
