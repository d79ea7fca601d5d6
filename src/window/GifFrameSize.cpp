// Frame delay and output size: the controls' edits become steps of the
// animation; their values follow the animation (GifFrameViews.cpp).
#include "window/GifFrame.h"

#include "app/Trace.h"
#include "model/AnimationCommands.h"

#include <wx/spinctrl.h>

wxString GifFrame::OutputSizeText(int width, int height) const
{
    // TRANSLATORS: name of a GIF that has not been saved yet, in the status bar.
    const wxString name = m_gifName.empty() ? _("Untitled.gif") : m_gifName;
    // TRANSLATORS: status bar: the GIF's file name, then the width and height
    // it is saved at, in pixels: "movie.gif (320 * 240)px".
    return wxString::Format(_("%s (%d * %d)px"), name, width, height);
}

void GifFrame::OnSetDelay(wxCommandEvent&)
{
    WriteTraceLine("OnSetDelay");
    StopPreview();
    const int delay = m_spinctrl_delay->GetValue();
    bool same = delay == m_animation.GetDelay();
    for (const AnimationFrame& frame : m_animation.GetFrames())
        same = same && frame.delay == delay;
    if (same)
        return;
    // Typing a number is one step, not one per digit.
    auto* last = dynamic_cast<SetDelayCommand*>(m_history.GetCurrentCommand());
    if (!last || !last->MergeDelay(delay))
        Submit(new SetDelayCommand(m_animation, delay));
    UpdateEditMenu();
}

void GifFrame::OnSetWidth(wxCommandEvent&)
{
    if (m_animation.IsEmpty())
        return;
    const OutputSizeRule rule{OutputSizeRule::KeepWidth, m_spinctrl_width->GetValue(),
                              m_animation.GetOutputSize().y};
    auto* last = dynamic_cast<SetSizeRuleCommand*>(m_history.GetCurrentCommand());
    if (!last || !last->MergeRule(rule))
        Submit(new SetSizeRuleCommand(m_animation, rule));
    UpdateEditMenu();
}

void GifFrame::OnSetHeight(wxCommandEvent&)
{
    if (m_animation.IsEmpty())
        return;
    const OutputSizeRule rule{OutputSizeRule::KeepHeight, m_animation.GetOutputSize().x,
                              m_spinctrl_height->GetValue()};
    auto* last = dynamic_cast<SetSizeRuleCommand*>(m_history.GetCurrentCommand());
    if (!last || !last->MergeRule(rule))
        Submit(new SetSizeRuleCommand(m_animation, rule));
    UpdateEditMenu();
}
