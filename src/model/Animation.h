// The animation being edited: its frames in order, each with its picture in
// the frame store, where it came from and how long it shows; the output size
// and the rule it follows; the preview's loop count; a revision that names
// the state. It knows no window: the strip, the preview and the controls
// observe it, and the loaders, the save and the project file take copies of
// its frames. The window changes it only through the commands of
// AnimationCommands.h, so that every change can be undone.
#pragma once

#include "window/FrameStore.h"

#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/string.h>

#include <functional>
#include <vector>

// GIF viewers and browsers show a frame without a delay for a tenth of a
// second; imported frames keep that.
const int kDefaultFrameDelay = 10;

struct AnimationFrame
{
    FrameRef picture;
    // The picture file, or "<gif path>_<n>" for frame n of an animated GIF.
    wxString source;
    int delay = kDefaultFrameDelay;  // hundredths of a second
    // The picture scaled down for the strip; invalid when a side would be 0.
    wxImage thumbnail;
    // Given by the animation when the frame enters it; tells apart frames
    // that show the same picture, so that views can keep what they made.
    long id = 0;

    wxSize GetSize() const { return picture ? picture->GetSize() : wxSize(0, 0); }
};

using AnimationFrames = std::vector<AnimationFrame>;

// How the output size follows the frames. The reference size is that of the
// last frame larger than the ones before it in some direction.
struct OutputSizeRule
{
    enum Kind
    {
        FollowFrames, // the reference size itself
        KeepWidth,    // `width`, the height in the reference proportion
        KeepHeight    // `height`, the width in the reference proportion
    };
    Kind kind = FollowFrames;
    // The size when the rule was chosen; the partner side falls back to it
    // while the frames have no reference to keep in proportion with.
    int width = 0;
    int height = 0;

    bool operator==(const OutputSizeRule& other) const
    {
        return kind == other.kind && width == other.width && height == other.height;
    }
};

class Animation
{
public:
    // Called after every change, once per batch.
    using Listener = std::function<void()>;

    int GetFrameCount() const { return int(m_frames.size()); }
    bool IsEmpty() const { return m_frames.empty(); }
    const AnimationFrame& GetFrame(int index) const { return m_frames[index]; }
    const AnimationFrames& GetFrames() const { return m_frames; }
    // Where the frame starts, in hundredths of a second from the first.
    int GetStartTime(int index) const;
    int GetTotalTime() const { return GetStartTime(GetFrameCount()); }

    // The delay new still pictures get and the Delay control shows.
    int GetDelay() const { return m_delay; }
    wxSize GetReferenceSize() const;
    // (0, 0) without frames.
    wxSize GetOutputSize() const;
    const OutputSizeRule& GetSizeRule() const { return m_sizeRule; }
    int GetLoopCount() const { return m_loopCount; }

    // Every state has its own revision: undoing a step returns to the
    // revision before it, so comparing revisions tells whether anything
    // differs from a saved state.
    long GetRevision() const { return m_revision; }
    long NewRevision() { return ++m_lastRevision; }
    void SetRevision(long revision);

    // Changes. Each notifies the listeners, at the end of the outermost batch.
    // Frames with id 0 get a new id.
    void InsertFrames(int position, AnimationFrames frames);
    // Indices in ascending order; returns the removed frames in that order.
    AnimationFrames RemoveFrames(const std::vector<int>& indices);
    // Entry i of order is the present index of the frame that goes to i.
    void Reorder(const std::vector<int>& order);
    void SetFrameDelay(int index, int delay);
    void SetDelay(int delay);
    void SetSizeRule(const OutputSizeRule& rule);
    // The loop count is a preview setting: no revision of its own.
    void SetLoopCount(int loopCount);
    // Replaces everything, as opening a project does.
    void Reset(AnimationFrames frames, int delay, const OutputSizeRule& rule);

    void Subscribe(const Listener& listener) { m_listeners.push_back(listener); }

    // Holds the notifications back until the outermost batch ends.
    class Batch
    {
    public:
        explicit Batch(Animation& animation);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        Animation& m_animation;
    };

private:
    void Changed();
    void AssignIds(AnimationFrames& frames);

    AnimationFrames m_frames;
    int m_delay = kDefaultFrameDelay;
    OutputSizeRule m_sizeRule;
    int m_loopCount = 0;
    long m_revision = 0;
    long m_lastRevision = 0;
    long m_lastFrameId = 0;
    int m_batchDepth = 0;
    bool m_changedInBatch = false;
    std::vector<Listener> m_listeners;
    mutable std::vector<int> m_startTimes;  // of every frame and the end; empty after a change
};
