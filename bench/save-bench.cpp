// save-bench [--width W] [--height H] [--delay D] [--threads N] [--quality Q]
//            [--dither PERCENT] [--no-diff] [--repeat N] OUT.gif PICTURE...
//
// Saves the pictures as an animated GIF with the program's own code: the
// loader's decoding (every frame of a ".gif", "<path>.gif_N" frame
// references), the output size rule, and the fit, reduce and write of a
// save. Prints the time of each phase and the total. Without --width and
// --height the output size comes from the frames as the program derives it;
// with one of them the other keeps the proportion. The GIF options default to
// the program's own, so that without them it writes the bytes the program
// writes; --no-diff stores every frame whole, --repeat 0 plays forever.
#include "window/GifDecoder.h"
#include "window/GifSave.h"
#include "window/ImageDecoding.h"
#include "window/OutputSize.h"

#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace
{
struct Options
{
    int width = 0;
    int height = 0;
    int delay = 10;
    int threads = 0;
    GifOptions gif;
    wxString output;
    std::vector<wxString> entries;
};

void PrintUsage()
{
    std::fprintf(stderr, "usage: save-bench [--width W] [--height H] [--delay D] [--threads N] [--quality Q]\n"
                         "                  [--dither PERCENT] [--no-diff] [--repeat N] OUT.gif PICTURE...\n");
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    std::vector<std::string> rest;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--no-diff")
        {
            options.gif.storeChangedOnly = false;
            continue;
        }
        int* target = arg == "--width" ? &options.width
                      : arg == "--height" ? &options.height
                      : arg == "--delay" ? &options.delay
                      : arg == "--threads" ? &options.threads
                      : arg == "--quality" ? &options.gif.quality
                      : arg == "--dither" ? &options.gif.dithering
                      : arg == "--repeat" ? &options.gif.repeat
                                           : nullptr;
        if (!target)
        {
            rest.push_back(arg);
            continue;
        }
        if (++i == argc)
            return false;
        *target = std::atoi(argv[i]);
    }
    if (rest.size() < 2)
        return false;
    options.output = wxString::FromUTF8(rest[0]);
    for (size_t i = 1; i < rest.size(); ++i)
        options.entries.push_back(wxString::FromUTF8(rest[i]));
    return true;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One frame of the animation: a picture, or frame `frame` of an entry that
// yields several.
struct PlannedFrame
{
    size_t entry = 0;
    int frame = 0;
    wxSize size;
};

// The frames of an entry, and their sizes, read from the file headers where
// the type allows and by decoding otherwise.
void PlanEntry(const wxString& entry, size_t index, std::vector<PlannedFrame>& plan)
{
    wxString gifPath;
    int frameNumber = 0;
    const bool reference = SplitGifFrameReference(entry, gifPath, frameNumber);
    DeclaredPictureSize declared;
    if (ReadDeclaredPictureSize(reference ? gifPath : entry, declared) && !declared.frames.empty())
    {
        if (reference)
        {
            const size_t n = size_t(frameNumber);
            plan.push_back({index, 0, n < declared.frames.size() ? declared.frames[n] : wxSize()});
        }
        else if (entry.EndsWith(".gif"))
            for (size_t f = 0; f < declared.frames.size(); ++f)
                plan.push_back({index, int(f), declared.frames[f]});
        else
            plan.push_back({index, 0, declared.whole});
        return;
    }
    int frames = 0;
    DecodePictureEntry(
        entry,
        [&](wxImage&& image, const wxString&, int, bool, int) { plan.push_back({index, frames++, image.GetSize()}); },
        nullptr);
}

// Decodes on demand, so that only the frames of one entry are held at a time.
class EntryFrameSource : public GifFrameSource
{
public:
    EntryFrameSource(const std::vector<wxString>& entries, const std::vector<PlannedFrame>& plan)
        : m_entries(entries), m_plan(plan)
    {
    }

    int GetFrameCount() const override { return int(m_plan.size()); }

    wxImage GetFrame(int index) override
    {
        const PlannedFrame& planned = m_plan[index];
        if (planned.entry != m_decodedEntry)
            DecodeEntry(planned.entry);
        wxImage image;
        if (m_animation)
        {
            // A frame that cannot be composed comes back empty, as a picture
            // that cannot be decoded does.
            if (!m_animation->NextFrame(image))
                image.Destroy();
            return image;
        }
        if (m_decoded.empty())
            return wxImage();
        image = m_decoded.front();
        m_decoded.pop_front();
        return image;
    }

private:
    void DecodeEntry(size_t entry)
    {
        m_decoded.clear();
        m_animation.reset();
        m_decodedEntry = entry;
        // An animation's frames are composed one at a time, as the program
        // loads them, rather than all held at once.
        const wxString& path = m_entries[entry];
        auto animation = std::make_unique<GifDecoder>();
        if (path.EndsWith(".gif") && animation->Open(path) && AnimationWithinLimits(*animation))
        {
            m_animation = std::move(animation);
            return;
        }
        DecodePictureEntry(
            m_entries[entry], [this](wxImage&& image, const wxString&, int, bool, int) { m_decoded.push_back(image); },
            nullptr);
    }

    const std::vector<wxString>& m_entries;
    const std::vector<PlannedFrame>& m_plan;
    std::deque<wxImage> m_decoded;
    std::unique_ptr<GifDecoder> m_animation;
    size_t m_decodedEntry = size_t(-1);
};

// The program's rule: the reference size from the frames; a side that is
// given alone sets the other in proportion.
wxSize OutputSize(const Options& options, const std::vector<PlannedFrame>& plan)
{
    std::vector<wxSize> sizes;
    for (const PlannedFrame& frame : plan)
        sizes.push_back(frame.size);
    const wxSize reference = ReferenceSize(sizes);
    if (options.width > 0 && options.height > 0)
        return wxSize(options.width, options.height);
    if (options.width > 0)
        return wxSize(options.width, HeightForWidth(options.width, reference.x, reference.y));
    if (options.height > 0)
        return wxSize(WidthForHeight(options.height, reference.x, reference.y), options.height);
    return reference;
}

void PrintTimings(const GifSaveTimings& timings, double scanSeconds, double totalSeconds)
{
    std::printf("decode  %8.3f s\n", scanSeconds + timings.decodeSeconds);
    std::printf("fit     %8.3f s\n", timings.fitSeconds);
    std::printf("reduce  %8.3f s\n", timings.reduceSeconds);
    std::printf("write   %8.3f s\n", timings.writeSeconds);
    std::printf("total   %8.3f s  (wall; fit and reduce are summed over the threads)\n", totalSeconds);
}
} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options))
    {
        PrintUsage();
        return 2;
    }
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 1;
    wxInitAllImageHandlers();
    wxLog::SetActiveTarget(nullptr);

    const auto start = std::chrono::steady_clock::now();
    std::vector<PlannedFrame> plan;
    for (size_t i = 0; i < options.entries.size(); ++i)
        PlanEntry(options.entries[i], i, plan);
    const double scanSeconds = SecondsSince(start);
    if (plan.empty())
    {
        std::fprintf(stderr, "save-bench: none of the pictures can be read\n");
        return 1;
    }

    const wxSize size = OutputSize(options, plan);
    GifSaveSettings settings;
    settings.path = options.output;
    settings.width = size.x;
    settings.height = size.y;
    settings.delay = options.delay;
    settings.threads = options.threads;
    settings.options = options.gif;
    EntryFrameSource source(options.entries, plan);
    GifSaveTimings timings;
    const GifSaveResult result = SaveGifAnimation(settings, source, {}, &timings);
    const double totalSeconds = SecondsSince(start);
    if (!result.ok)
    {
        std::fprintf(stderr, "save-bench: %s\n", static_cast<const char*>(result.error.utf8_str()));
        return 1;
    }
    std::printf("%d of %d frames written, %d x %d, delay %d\n", result.framesWritten, int(plan.size()),
                size.x, size.y, options.delay);
    PrintTimings(timings, scanSeconds, totalSeconds);
    return 0;
}
