// The changes a user makes to an animation, each with its undo, for the
// toolkit's command processor. A command's name is the untranslated English
// word the Edit menu shows after "Undo" and "Redo"; translate it for display.
#pragma once

#include "model/Animation.h"

#include <wx/cmdproc.h>

#include <memory>
#include <vector>

class AnimationCommand : public wxCommand
{
public:
    AnimationCommand(Animation& animation, const wxString& name);

    bool Do() override;
    bool Undo() override;

    // True while the animation is in the state this command left it in.
    bool IsLatest() const { return m_after != 0 && m_animation.GetRevision() == m_after; }

protected:
    // Applies the change; false when there is nothing to change.
    virtual bool Apply() = 0;
    virtual void Revert() = 0;
    // After a command has taken in a later edit of the same control.
    void Merged();

    Animation& m_animation;

private:
    long m_before = 0;
    long m_after = 0;
};

class InsertFramesCommand : public AnimationCommand
{
public:
    InsertFramesCommand(Animation& animation, int position, AnimationFrames frames, const wxString& name);
    int GetPosition() const { return m_position; }
    int GetCount() const { return int(m_frames.size()); }

protected:
    bool Apply() override;
    void Revert() override;

private:
    int m_position;
    AnimationFrames m_frames;
    std::vector<long> m_ids;  // the ids the frames got, so that redo gives them again
};

class RemoveFramesCommand : public AnimationCommand
{
public:
    // Any order; duplicates and invalid indices are ignored.
    RemoveFramesCommand(Animation& animation, std::vector<int> indices, const wxString& name);

protected:
    bool Apply() override;
    void Revert() override;

private:
    std::vector<int> m_indices;
    AnimationFrames m_removed;
};

class ReorderFramesCommand : public AnimationCommand
{
public:
    // Entry i of order is the present index of the frame that goes to i.
    ReorderFramesCommand(Animation& animation, std::vector<int> order, const wxString& name);

protected:
    bool Apply() override;
    void Revert() override;

private:
    std::vector<int> m_order;
};

class SetDelayCommand : public AnimationCommand
{
public:
    // The delay of the frames at these indices.
    SetDelayCommand(Animation& animation, std::vector<int> indices, int delay);
    // The delay of every frame and of new still pictures, as the Delay control sets it.
    SetDelayCommand(Animation& animation, int delay);
    // Takes in a later value of the Delay control.
    bool MergeDelay(int delay);

protected:
    bool Apply() override;
    void Revert() override;

private:
    bool m_everyFrame;
    std::vector<int> m_indices;
    int m_delay;
    std::vector<int> m_oldDelays;
    int m_oldDefault = 0;
};

class SetSizeRuleCommand : public AnimationCommand
{
public:
    SetSizeRuleCommand(Animation& animation, const OutputSizeRule& rule);
    // Takes in a later edit of a size control.
    bool MergeRule(const OutputSizeRule& rule);

protected:
    bool Apply() override;
    void Revert() override;

private:
    OutputSizeRule m_rule;
    OutputSizeRule m_oldRule;
};

// Copies of the selected frames right after the last of them; null when
// nothing is selected.
std::unique_ptr<InsertFramesCommand> MakeDuplicateCommand(Animation& animation, std::vector<int> selected);
// The selected frames in reverse order in their places, or every frame when
// fewer than two are selected; null when there is nothing to reverse.
std::unique_ptr<ReorderFramesCommand> MakeReverseCommand(Animation& animation, std::vector<int> selected);
// Appends the frames backwards without repeating the last and the first, so
// that the loop runs forward and then back; null with fewer than three frames.
std::unique_ptr<InsertFramesCommand> MakeYoyoCommand(Animation& animation);
