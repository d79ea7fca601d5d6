// Where the time of bringing a clip in goes: decoding and converting its
// pictures alone, then also keeping them in a frame store, then also making
// their thumbnails, as the loader does on one of its threads.
//
//   video-bench CLIP
//
// Prints the wall and CPU time of each pass and the pictures it gave.
#include "window/FrameStore.h"
#include "window/ImageDecoding.h"
#include "strip/thumbnaillogic.h"

#include <wx/filename.h>
#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace
{
double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

enum class Pass
{
    Decode,
    Store,
    Thumbnail
};

void RunPass(const wxString& clip, Pass pass, const char* name)
{
    FrameStoreSettings settings;
    settings.directory = wxFileName::GetTempDir();
    FrameStore store(settings);
    std::vector<FrameRef> kept;
    int pictures = 0;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    wxString failure;
    const bool ok = DecodePictureEntry(
        clip,
        [&](wxImage&& image, const wxString&, int, bool, int) {
            ++pictures;
            if (pass != Pass::Decode)
                kept.push_back(store.Put(image, nullptr));
            if (pass == Pass::Thumbnail)
                ScaleImageToFit(image, 80, 80);
        },
        &failure);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "%-28s %4d pictures  %7.2f s  cpu %7.2f s%s\n", name, pictures, wall,
                 ProcessCpuSeconds() - cpuStart, ok ? "" : "  (failed)");
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: video-bench CLIP\n");
        return 2;
    }
    wxInitializer initializer;
    const wxString clip = wxFileName(wxString::FromUTF8(argv[1])).GetAbsolutePath();
    RunPass(clip, Pass::Decode, "decode and convert");
    RunPass(clip, Pass::Store, "  + frame store");
    RunPass(clip, Pass::Thumbnail, "  + thumbnail");
    return 0;
}
