// Times the strip's costly steps: taking pictures in (full bitmap and
// thumbnail per item), painting everything, painting one cell as a
// selection change does, and hit tests. Needs an X display. The report goes
// to standard error; standard output gets the strip's trace lines.
// Usage: strip_bench [item count] >/dev/null
#include "window/thumbnailctrl.h"

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/stopwatch.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace
{
class BenchApp : public wxApp
{
public:
    bool OnInit() override { return true; }
};

wxString WritePicture(const wxString& dir)
{
    wxImage picture(640, 480);
    picture.SetRGB(wxRect(0, 0, 640, 480), 200, 120, 40);
    const wxString path = dir + "/picture.png";
    picture.SaveFile(path, wxBITMAP_TYPE_PNG);
    return path;
}

void Report(const char* what, long milliseconds, int repetitions)
{
    std::fprintf(stderr, "%-44s %8.3f ms\n", what, double(milliseconds) / repetitions);
}

void TimeAppend(wxThumbnailCtrl* strip, const wxString& path, int count)
{
    wxImage picture(640, 480);
    picture.SetRGB(wxRect(0, 0, 640, 480), 200, 120, 40);
    strip->SuspendUpdates();
    wxStopWatch watch;
    for (int i = 0; i < count; ++i)
        strip->Append(new wxImageThumbnailItem(ScaleImageToFit(picture, 80, 80), path));
    Report("Append of one 640 x 480 picture", watch.Time(), count);
    strip->ResumeUpdates();
}

void TimePaint(wxThumbnailCtrl* strip, const wxRegion& region, const char* what)
{
    const wxSize client = strip->GetClientSize();
    wxBitmap target(client);
    wxMemoryDC dc(target);
    strip->PrepareDC(dc);
    const int repetitions = 50;
    wxStopWatch watch;
    for (int i = 0; i < repetitions; ++i)
        strip->PaintStrip(dc, region, true);
    Report(what, watch.Time(), repetitions);
}

void TimeHitTests(wxThumbnailCtrl* strip)
{
    const int repetitions = 100000;
    int found = 0, index = 0;
    wxStopWatch watch;
    for (int i = 0; i < repetitions; ++i)
        found += strip->ItemAtPoint(wxPoint(i % 800, i % 600), index);
    Report("ItemAtPoint (per 1000 calls)", watch.Time() * 1000, repetitions);
    if (found < 0)
        std::fprintf(stderr, "%d\n", index);
}
} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 500;
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
    {
        std::fprintf(stderr, "cannot start the toolkit: is there an X display?\n");
        return 1;
    }
    wxLog::SetActiveTarget(nullptr);
    wxInitAllImageHandlers();
    char dirTemplate[] = "/tmp/strip-bench-XXXXXX";
    const wxString dir = mkdtemp(dirTemplate);
    const wxString path = WritePicture(dir);

    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "strip bench", wxPoint(0, 0), wxSize(820, 640));
    wxThumbnailCtrl* strip = new wxThumbnailCtrl(new wxPanel(frame), wxDefaultPosition, wxSize(800, 600));
    frame->Show();
    std::fprintf(stderr, "%d items, client %d x %d\n", count, strip->GetClientSize().x, strip->GetClientSize().y);

    TimeAppend(strip, path, count);
    const wxSize client = strip->GetClientSize();
    TimePaint(strip, wxRegion(0, 0, client.x, client.y), "paint of the whole client area");
    wxRect cell;
    strip->GetItemRect(0, cell);
    TimePaint(strip, wxRegion(cell), "paint of one cell (selection change)");
    TimeHitTests(strip);

    frame->Destroy();
    wxRemoveFile(path);
    wxRmdir(dir);
    wxEntryCleanup();
    return 0;
}
