#include "window/VideoDialog.h"

#include <wx/button.h>
#include <wx/filename.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>


namespace
{
// A rate below one frame a second makes a slide show, not a clip.
const double kLeastFrameRate = 1.0;

wxSpinCtrlDouble* AddRow(wxWindow* parent, wxFlexGridSizer* grid, const wxString& label, const wxString& unit,
                         double least, double most, double value, double increment)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    auto* spin = new wxSpinCtrlDouble(parent, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, least,
                                      most, value, increment);
    spin->SetDigits(2);
    grid->Add(spin, 0, wxEXPAND);
    grid->Add(new wxStaticText(parent, wxID_ANY, unit), 0, wxALIGN_CENTER_VERTICAL);
    return spin;
}

wxString DescribeClip(const wxString& path, const VideoClipInfo& info)
{
    // TRANSLATORS: the clip's file name, its size in pixels, its length in
    // seconds and its own frame rate.
    return wxString::Format(_("%s: %d x %d pixels, %.2f seconds at %.2f frames a second"),
                            wxFileNameFromPath(path), info.size.x, info.size.y, info.duration, info.frameRate);
}
} // namespace

VideoDialog::VideoDialog(wxWindow* parent, const wxString& path, const VideoClipInfo& info)
    : wxDialog(parent, wxID_ANY, _("Add Video"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE),
      m_info(info)
{
    CreateControls(path);
    SetChoice(DefaultVideoChoice(info));
}

void VideoDialog::CreateControls(const wxString& path)
{
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticText(this, wxID_ANY, DescribeClip(path, m_info)), 0, wxALL, 10);

    auto* grid = new wxFlexGridSizer(3, 8, 8);
    grid->AddGrowableCol(1);
    m_rate = AddRow(this, grid, _("Frame rate:"), _("frames a second"), kLeastFrameRate, kMaxVideoFrameRate,
                    kLeastFrameRate, 1.0);
    m_start = AddRow(this, grid, _("Start:"), _("seconds"), 0.0, m_info.duration, 0.0, 0.5);
    m_end = AddRow(this, grid, _("End:"), _("seconds"), 0.0, m_info.duration, 0.0, 0.5);
    top->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);

    m_frames = new wxStaticText(this, wxID_ANY, "");
    m_memory = new wxStaticText(this, wxID_ANY, "");
    top->Add(m_frames, 0, wxLEFT | wxRIGHT | wxTOP, 10);
    top->Add(m_memory, 0, wxLEFT | wxRIGHT | wxTOP, 10);

    wxSizer* buttons = CreateStdDialogButtonSizer(wxOK | wxCANCEL);
    top->Add(buttons, 0, wxEXPAND | wxALL, 10);
    m_okButton = static_cast<wxButton*>(FindWindow(wxID_OK));
    SetSizerAndFit(top);

    for (wxSpinCtrlDouble* spin : {m_rate, m_start, m_end})
        spin->Bind(wxEVT_SPINCTRLDOUBLE, &VideoDialog::OnChange, this);
}

VideoChoice VideoDialog::GetChoice() const
{
    return {m_rate->GetValue(), m_start->GetValue(), m_end->GetValue()};
}

void VideoDialog::SetChoice(const VideoChoice& choice)
{
    m_rate->SetValue(choice.rate);
    m_start->SetValue(choice.start);
    m_end->SetValue(choice.end);
    UpdateSummary();
}

wxString VideoDialog::GetSummary() const
{
    return m_frames->GetLabel() + "\n" + m_memory->GetLabel();
}

void VideoDialog::OnChange(wxSpinDoubleEvent&)
{
    UpdateSummary();
}

void VideoDialog::UpdateSummary()
{
    const VideoChoice choice = GetChoice();
    const int count = VideoFrameCount(choice);
    const int delay = VideoFrameDelay(choice, 0);
    // TRANSLATORS: how many frames the clip gives, and the delay of each in
    // hundredths of a second.
    m_frames->SetLabel(wxString::Format(wxPLURAL("%d frame, %d hundredths of a second each",
                                                 "%d frames, %d hundredths of a second each", count),
                                        count, delay));
    const bool withinLimits = VideoChoiceWithinLimits(m_info, choice);
    if (withinLimits)
    {
        const wxULongLong bytes(static_cast<wxULongLong_t>(VideoPictureBytes(m_info, choice)));
        // TRANSLATORS: the estimated memory of the frames, e.g. "1.5 GB".
        m_memory->SetLabel(wxString::Format(_("Estimated memory: %s before compression"),
                                            wxFileName::GetHumanReadableSize(bytes)));
    }
    else
        m_memory->SetLabel(_("Too many pixels: choose a shorter span or a lower frame rate."));
    m_okButton->Enable(count > 0 && withinLimits);
    Layout();
    Fit();
}
