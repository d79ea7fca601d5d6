#include "model/AnimationCommands.h"

#include <algorithm>

namespace
{
std::vector<int> ValidSortedIndices(std::vector<int> indices, int count)
{
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    indices.erase(std::remove_if(indices.begin(), indices.end(), [count](int i) { return i < 0 || i >= count; }),
                  indices.end());
    return indices;
}

// Copies that enter the animation as frames of their own.
AnimationFrame FreshCopy(const AnimationFrame& frame)
{
    AnimationFrame copy = frame;
    copy.id = 0;
    return copy;
}
} // namespace

AnimationCommand::AnimationCommand(Animation& animation, const wxString& name)
    : wxCommand(true, name), m_animation(animation)
{
}

bool AnimationCommand::Do()
{
    Animation::Batch batch(m_animation);
    const long before = m_animation.GetRevision();
    if (!Apply())
        return false;
    m_before = before;
    if (m_after == 0)
        m_after = m_animation.NewRevision();
    m_animation.SetRevision(m_after);
    return true;
}

bool AnimationCommand::Undo()
{
    Animation::Batch batch(m_animation);
    Revert();
    m_animation.SetRevision(m_before);
    return true;
}

void AnimationCommand::Merged()
{
    m_after = m_animation.NewRevision();
    m_animation.SetRevision(m_after);
}

// ---------------------------------------------------------------------------

InsertFramesCommand::InsertFramesCommand(Animation& animation, int position, AnimationFrames frames,
                                         const wxString& name)
    : AnimationCommand(animation, name), m_position(position), m_frames(std::move(frames))
{
}

bool InsertFramesCommand::Apply()
{
    if (m_frames.empty())
        return false;
    m_position = std::max(0, std::min(m_position, m_animation.GetFrameCount()));
    for (size_t i = 0; i < m_frames.size() && i < m_ids.size(); ++i)
        m_frames[i].id = m_ids[i];
    m_animation.InsertFrames(m_position, m_frames);
    m_ids.clear();
    for (int i = 0; i < GetCount(); ++i)
        m_ids.push_back(m_animation.GetFrame(m_position + i).id);
    return true;
}

void InsertFramesCommand::Revert()
{
    std::vector<int> indices;
    for (int i = 0; i < GetCount(); ++i)
        indices.push_back(m_position + i);
    m_animation.RemoveFrames(indices);
}

// ---------------------------------------------------------------------------

RemoveFramesCommand::RemoveFramesCommand(Animation& animation, std::vector<int> indices, const wxString& name)
    : AnimationCommand(animation, name), m_indices(std::move(indices))
{
}

bool RemoveFramesCommand::Apply()
{
    m_indices = ValidSortedIndices(m_indices, m_animation.GetFrameCount());
    if (m_indices.empty())
        return false;
    m_removed = m_animation.RemoveFrames(m_indices);
    return true;
}

void RemoveFramesCommand::Revert()
{
    // Ascending, so that each frame's index is right when it goes back.
    for (size_t i = 0; i < m_indices.size(); ++i)
        m_animation.InsertFrames(m_indices[i], {m_removed[i]});
    m_removed.clear();
}

// ---------------------------------------------------------------------------

ReorderFramesCommand::ReorderFramesCommand(Animation& animation, std::vector<int> order, const wxString& name)
    : AnimationCommand(animation, name), m_order(std::move(order))
{
}

bool ReorderFramesCommand::Apply()
{
    const int count = m_animation.GetFrameCount();
    if (int(m_order.size()) != count)
        return false;
    bool moves = false;
    for (int i = 0; i < count; ++i)
        moves = moves || m_order[i] != i;
    if (!moves)
        return false;
    m_animation.Reorder(m_order);
    return true;
}

void ReorderFramesCommand::Revert()
{
    std::vector<int> inverse(m_order.size());
    for (size_t i = 0; i < m_order.size(); ++i)
        inverse[m_order[i]] = int(i);
    m_animation.Reorder(inverse);
}

// ---------------------------------------------------------------------------

SetDelayCommand::SetDelayCommand(Animation& animation, std::vector<int> indices, int delay)
    : AnimationCommand(animation, wxTRANSLATE("Frame Delay")), m_everyFrame(false), m_indices(std::move(indices)),
      m_delay(delay)
{
}

SetDelayCommand::SetDelayCommand(Animation& animation, int delay)
    : AnimationCommand(animation, wxTRANSLATE("Delay")), m_everyFrame(true), m_delay(delay)
{
}

bool SetDelayCommand::Apply()
{
    const int count = m_animation.GetFrameCount();
    if (m_everyFrame)
    {
        m_indices.clear();
        for (int i = 0; i < count; ++i)
            m_indices.push_back(i);
    }
    else
        m_indices = ValidSortedIndices(m_indices, count);
    if (m_indices.empty() && !m_everyFrame)
        return false;
    m_oldDefault = m_animation.GetDelay();
    m_oldDelays.clear();
    for (int index : m_indices)
    {
        m_oldDelays.push_back(m_animation.GetFrame(index).delay);
        m_animation.SetFrameDelay(index, m_delay);
    }
    if (m_everyFrame)
        m_animation.SetDelay(m_delay);
    return true;
}

void SetDelayCommand::Revert()
{
    for (size_t i = 0; i < m_indices.size(); ++i)
        m_animation.SetFrameDelay(m_indices[i], m_oldDelays[i]);
    if (m_everyFrame)
        m_animation.SetDelay(m_oldDefault);
}

bool SetDelayCommand::MergeDelay(int delay)
{
    if (!m_everyFrame || !IsLatest())
        return false;
    Animation::Batch batch(m_animation);
    m_delay = delay;
    for (int index : m_indices)
        m_animation.SetFrameDelay(index, delay);
    m_animation.SetDelay(delay);
    Merged();
    return true;
}

// ---------------------------------------------------------------------------

SetSizeRuleCommand::SetSizeRuleCommand(Animation& animation, const OutputSizeRule& rule)
    : AnimationCommand(animation, wxTRANSLATE("Output Size")), m_rule(rule)
{
}

bool SetSizeRuleCommand::Apply()
{
    m_oldRule = m_animation.GetSizeRule();
    if (m_oldRule == m_rule)
        return false;
    m_animation.SetSizeRule(m_rule);
    return true;
}

void SetSizeRuleCommand::Revert()
{
    m_animation.SetSizeRule(m_oldRule);
}

bool SetSizeRuleCommand::MergeRule(const OutputSizeRule& rule)
{
    if (!IsLatest())
        return false;
    Animation::Batch batch(m_animation);
    m_rule = rule;
    m_animation.SetSizeRule(rule);
    Merged();
    return true;
}

// ---------------------------------------------------------------------------

std::unique_ptr<InsertFramesCommand> MakeDuplicateCommand(Animation& animation, std::vector<int> selected)
{
    selected = ValidSortedIndices(selected, animation.GetFrameCount());
    if (selected.empty())
        return nullptr;
    AnimationFrames copies;
    for (int index : selected)
        copies.push_back(FreshCopy(animation.GetFrame(index)));
    return std::make_unique<InsertFramesCommand>(animation, selected.back() + 1, std::move(copies),
                                                 wxTRANSLATE("Duplicate"));
}

std::unique_ptr<ReorderFramesCommand> MakeReverseCommand(Animation& animation, std::vector<int> selected)
{
    const int count = animation.GetFrameCount();
    selected = ValidSortedIndices(selected, count);
    if (selected.size() < 2)
    {
        selected.clear();
        for (int i = 0; i < count; ++i)
            selected.push_back(i);
    }
    if (selected.size() < 2)
        return nullptr;
    std::vector<int> order(count);
    for (int i = 0; i < count; ++i)
        order[i] = i;
    for (size_t i = 0; i < selected.size(); ++i)
        order[selected[i]] = selected[selected.size() - 1 - i];
    return std::make_unique<ReorderFramesCommand>(animation, std::move(order), wxTRANSLATE("Reverse"));
}

std::unique_ptr<InsertFramesCommand> MakeYoyoCommand(Animation& animation)
{
    const int count = animation.GetFrameCount();
    if (count < 3)
        return nullptr;
    AnimationFrames back;
    for (int i = count - 2; i >= 1; --i)
        back.push_back(FreshCopy(animation.GetFrame(i)));
    return std::make_unique<InsertFramesCommand>(animation, count, std::move(back), wxTRANSLATE("Yo-yo"));
}
