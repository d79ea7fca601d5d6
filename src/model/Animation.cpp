#include "model/Animation.h"

#include "window/OutputSize.h"

#include <algorithm>

int Animation::GetStartTime(int index) const
{
    // Summed again after each change: captions ask for every frame in turn.
    if (m_startTimes.size() != m_frames.size() + 1)
    {
        m_startTimes.assign(1, 0);
        for (const AnimationFrame& frame : m_frames)
            m_startTimes.push_back(m_startTimes.back() + frame.delay);
    }
    return m_startTimes[std::max(0, std::min(index, GetFrameCount()))];
}

wxSize Animation::GetReferenceSize() const
{
    std::vector<wxSize> sizes;
    sizes.reserve(m_frames.size());
    for (const AnimationFrame& frame : m_frames)
        sizes.push_back(frame.GetSize());
    return ReferenceSize(sizes);
}

wxSize Animation::GetOutputSize() const
{
    if (m_frames.empty())
        return wxSize(0, 0);
    const wxSize reference = GetReferenceSize();
    switch (m_sizeRule.kind)
    {
    case OutputSizeRule::KeepWidth:
    {
        const int height = HeightForWidth(m_sizeRule.width, reference.x, reference.y);
        return wxSize(m_sizeRule.width, height < 0 ? m_sizeRule.height : height);
    }
    case OutputSizeRule::KeepHeight:
    {
        const int width = WidthForHeight(m_sizeRule.height, reference.x, reference.y);
        return wxSize(width < 0 ? m_sizeRule.width : width, m_sizeRule.height);
    }
    case OutputSizeRule::FollowFrames:
        break;
    }
    return reference;
}

void Animation::SetRevision(long revision)
{
    m_revision = revision;
    Changed();
}

void Animation::AssignIds(AnimationFrames& frames)
{
    for (AnimationFrame& frame : frames)
    {
        if (frame.id == 0)
            frame.id = ++m_lastFrameId;
    }
}

void Animation::InsertFrames(int position, AnimationFrames frames)
{
    position = std::max(0, std::min(position, GetFrameCount()));
    AssignIds(frames);
    m_frames.insert(m_frames.begin() + position, std::make_move_iterator(frames.begin()),
                    std::make_move_iterator(frames.end()));
    m_revision = NewRevision();
    Changed();
}

AnimationFrames Animation::RemoveFrames(const std::vector<int>& indices)
{
    AnimationFrames removed;
    AnimationFrames kept;
    size_t next = 0;
    for (int i = 0; i < GetFrameCount(); ++i)
    {
        if (next < indices.size() && indices[next] == i)
        {
            removed.push_back(std::move(m_frames[i]));
            ++next;
        }
        else
            kept.push_back(std::move(m_frames[i]));
    }
    m_frames = std::move(kept);
    m_revision = NewRevision();
    Changed();
    return removed;
}

void Animation::Reorder(const std::vector<int>& order)
{
    AnimationFrames reordered;
    reordered.reserve(order.size());
    for (int from : order)
        reordered.push_back(m_frames[from]);
    m_frames = std::move(reordered);
    m_revision = NewRevision();
    Changed();
}

void Animation::SetFrameDelay(int index, int delay)
{
    m_frames[index].delay = delay;
    m_revision = NewRevision();
    Changed();
}

void Animation::SetDelay(int delay)
{
    m_delay = delay;
    m_revision = NewRevision();
    Changed();
}

void Animation::SetSizeRule(const OutputSizeRule& rule)
{
    m_sizeRule = rule;
    m_revision = NewRevision();
    Changed();
}

void Animation::SetLoopCount(int loopCount)
{
    m_loopCount = loopCount;
    Changed();
}

void Animation::Reset(AnimationFrames frames, int delay, const OutputSizeRule& rule)
{
    AssignIds(frames);
    m_frames = std::move(frames);
    m_delay = delay;
    m_sizeRule = rule;
    m_revision = NewRevision();
    Changed();
}

void Animation::Changed()
{
    m_startTimes.clear();
    if (m_batchDepth > 0)
    {
        m_changedInBatch = true;
        return;
    }
    // A copy: a listener may subscribe another.
    const std::vector<Listener> listeners = m_listeners;
    for (const Listener& listener : listeners)
        listener();
}

Animation::Batch::Batch(Animation& animation) : m_animation(animation)
{
    ++m_animation.m_batchDepth;
}

Animation::Batch::~Batch()
{
    if (--m_animation.m_batchDepth == 0 && m_animation.m_changedInBatch)
    {
        m_animation.m_changedInBatch = false;
        m_animation.Changed();
    }
}
