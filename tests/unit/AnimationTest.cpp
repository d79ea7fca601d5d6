// The animation document and its commands, through the toolkit's command
// processor as the window uses them.
#include "model/AnimationCommands.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

namespace
{
// Frames as "source:delay" words, e.g. "a:10 b:200".
std::string Describe(const Animation& animation)
{
    std::string text;
    for (const AnimationFrame& frame : animation.GetFrames())
        text += (text.empty() ? "" : " ") + frame.source.ToStdString() + ":" + std::to_string(frame.delay);
    return text;
}

AnimationFrames Frames(const std::string& sources, int delay = 10)
{
    AnimationFrames frames;
    for (char source : sources)
    {
        AnimationFrame frame;
        frame.source = wxString(source);
        frame.delay = delay;
        frames.push_back(frame);
    }
    return frames;
}

using MakeCommand = std::function<wxCommand*(Animation&)>;
} // namespace

TEST(AnimationTest, EachCommandDoesUndoesAndRedoes)
{
    const struct
    {
        const char* name;
        MakeCommand make;
        std::string after;
    } cases[] = {
        {"insert", [](Animation& a) { return new InsertFramesCommand(a, 1, Frames("xy", 7), "Add"); },
         "a:10 x:7 y:7 b:200 c:10 d:10"},
        {"delete", [](Animation& a) { return new RemoveFramesCommand(a, {3, 0, 3}, "Delete"); }, "b:200 c:10"},
        {"move", [](Animation& a) { return new ReorderFramesCommand(a, {1, 2, 0, 3}, "Move"); },
         "b:200 c:10 a:10 d:10"},
        {"delay of some", [](Animation& a) { return new SetDelayCommand(a, {2, 3}, 50); }, "a:10 b:200 c:50 d:50"},
        {"delay of all", [](Animation& a) { return new SetDelayCommand(a, 30); }, "a:30 b:30 c:30 d:30"},
        {"duplicate", [](Animation& a) { return MakeDuplicateCommand(a, {2, 0}).release(); },
         "a:10 b:200 c:10 a:10 c:10 d:10"},
        {"reverse some", [](Animation& a) { return MakeReverseCommand(a, {0, 1, 3}).release(); },
         "d:10 b:200 c:10 a:10"},
        {"reverse all", [](Animation& a) { return MakeReverseCommand(a, {1}).release(); }, "d:10 c:10 b:200 a:10"},
        {"yo-yo", [](Animation& a) { return MakeYoyoCommand(a).release(); },
         "a:10 b:200 c:10 d:10 c:10 b:200"},
    };
    for (const auto& step : cases)
    {
        SCOPED_TRACE(step.name);
        Animation animation;
        animation.InsertFrames(0, Frames("abcd"));
        animation.SetFrameDelay(1, 200);
        const long saved = animation.GetRevision();
        wxCommandProcessor history;
        ASSERT_TRUE(history.Submit(step.make(animation)));
        EXPECT_EQ(step.after, Describe(animation));
        EXPECT_NE(saved, animation.GetRevision());
        const long changed = animation.GetRevision();
        history.Undo();
        EXPECT_EQ("a:10 b:200 c:10 d:10", Describe(animation));
        EXPECT_EQ(saved, animation.GetRevision()) << "back at the saved state";
        history.Redo();
        EXPECT_EQ(step.after, Describe(animation));
        EXPECT_EQ(changed, animation.GetRevision());
    }
}

TEST(AnimationTest, OutputSizeFollowsItsRuleAndTheReferenceFrame)
{
    Animation animation;
    EXPECT_EQ(wxSize(0, 0), animation.GetOutputSize());
    // Pictures need the store; a rule alone is checked on an empty reference.
    wxCommandProcessor history;
    history.Submit(new InsertFramesCommand(animation, 0, Frames("a"), "Add"));
    history.Submit(new SetSizeRuleCommand(animation, {OutputSizeRule::KeepHeight, 33, 44}));
    EXPECT_EQ(wxSize(33, 44), animation.GetOutputSize()) << "no reference: the chosen size stays";
    history.Undo();
    EXPECT_EQ(OutputSizeRule::FollowFrames, animation.GetSizeRule().kind);
}

TEST(AnimationTest, ControlEditsMergeIntoOneStepUntilSomethingElseHappens)
{
    Animation animation;
    wxCommandProcessor history;
    history.Submit(new InsertFramesCommand(animation, 0, Frames("ab"), "Add"));
    history.Submit(new SetDelayCommand(animation, 2));
    auto* typing = static_cast<SetDelayCommand*>(history.GetCurrentCommand());
    EXPECT_TRUE(typing->MergeDelay(25));
    EXPECT_EQ("a:25 b:25", Describe(animation));
    history.Undo();
    EXPECT_EQ("a:10 b:10", Describe(animation));
    history.Redo();
    history.Submit(MakeReverseCommand(animation, {}).release());
    EXPECT_FALSE(typing->MergeDelay(30));
}

// Thousands of random steps, each done to the document and to a plain list.
TEST(AnimationTest, RandomCommandsUndoAndRedoMatchAPlainList)
{
    using Plain = std::vector<std::pair<char, int>>;
    const auto describe = [](const Plain& plain) {
        std::string text;
        for (const auto& frame : plain)
            text += (text.empty() ? "" : " ") + std::string(1, frame.first) + ":" + std::to_string(frame.second);
        return text;
    };
    std::mt19937 random(19);
    Animation animation;
    wxCommandProcessor history(40);
    std::vector<Plain> states{Plain()};  // one per step; the undone ones stay for redo
    size_t position = 0;
    int undoable = 0;
    char nextName = 'a';
    for (int step = 0; step < 5000; ++step)
    {
        const int count = animation.GetFrameCount();
        std::vector<int> chosen;
        for (int i = 0; i < count; ++i)
            if (random() % 3 == 0)
                chosen.push_back(i);
        // Yo-yo doubles the frames: keep the animation small by deleting instead.
        int action = int(random() % 9);
        if (count > 24 && (action == 8 || action <= 3))
            action = 4;
        Plain plain = states[position];
        wxCommand* command = nullptr;
        if (action == 0 && undoable > 0)
        {
            ASSERT_TRUE(history.Undo());
            --position;
            --undoable;
        }
        else if (action == 1 && position + 1 < states.size())
        {
            ASSERT_TRUE(history.Redo());
            ++position;
            ++undoable;
        }
        else if (action <= 3 || count == 0)
        {
            nextName = nextName == 'z' ? 'a' : char(nextName + 1);
            const int at = int(random() % (count + 1));
            const int added = 1 + int(random() % 3);
            command = new InsertFramesCommand(animation, at, Frames(std::string(added, nextName)), "Add");
            plain.insert(plain.begin() + at, size_t(added), {nextName, 10});
        }
        else if (action == 4)
        {
            command = new RemoveFramesCommand(animation, chosen, "Delete");
            for (auto index = chosen.rbegin(); index != chosen.rend(); ++index)
                plain.erase(plain.begin() + *index);
        }
        else if (action == 5)
        {
            command = MakeReverseCommand(animation, chosen).release();
            if (chosen.size() < 2)
                std::reverse(plain.begin(), plain.end());
            else
                for (size_t i = 0; i < chosen.size() / 2; ++i)
                    std::swap(plain[chosen[i]], plain[chosen[chosen.size() - 1 - i]]);
        }
        else if (action == 6)
        {
            command = MakeDuplicateCommand(animation, chosen).release();
            Plain copies;
            for (int index : chosen)
                copies.push_back(plain[index]);
            if (!chosen.empty())
                plain.insert(plain.begin() + chosen.back() + 1, copies.begin(), copies.end());
        }
        else if (action == 7)
        {
            const int delay = 1 + int(random() % 300);
            command = new SetDelayCommand(animation, chosen, delay);
            for (int index : chosen)
                plain[index].second = delay;
        }
        else
        {
            command = MakeYoyoCommand(animation).release();
            for (int i = count - 2; i >= 1; --i)
                plain.push_back(plain[i]);
        }
        if (command && history.Submit(command))
        {
            states.resize(position + 1);
            states.push_back(plain);
            ++position;
            undoable = std::min(undoable + 1, 40);
        }
        ASSERT_EQ(describe(states[position]), Describe(animation)) << "step " << step;
    }
}
