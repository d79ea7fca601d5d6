#include "window/GifOptionsDialog.h"

#include "window/GifOptionsFile.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

namespace
{
// Control names, by which the tests find the controls too.
const char kQualityName[] = "quality";
const char kDitheringName[] = "dithering";
const char kChangedOnlyName[] = "changed_only";
const char kRepeatForeverName[] = "repeat_forever";
const char kRepeatTimesName[] = "repeat_times";
const char kRepeatCountName[] = "repeat_count";

wxSpinCtrl* MakeSpin(wxWindow* parent, const char* name, int minimum, int maximum)
{
    return new wxSpinCtrl(parent, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, minimum,
                          maximum, minimum, name);
}
} // namespace

GifOptionsDialog::GifOptionsDialog(wxWindow* parent, const GifOptions& options)
    : wxDialog(parent, wxID_ANY, _("GIF Options"))
{
    CreateControls();
    ShowOptions(ValidGifOptions(options));
}

void GifOptionsDialog::CreateControls()
{
    const int gap = FromDIP(8);
    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);

    wxFlexGridSizer* numbers = new wxFlexGridSizer(2, gap, gap);
    m_quality = MakeSpin(this, kQualityName, 1, 100);
    m_quality->SetToolTip(_("100 keeps as much as a GIF can hold; lower values make smaller files with "
                            "differences that are hard to see"));
    numbers->Add(new wxStaticText(this, wxID_ANY, _("Quality (1-100):")), 0, wxALIGN_CENTER_VERTICAL);
    numbers->Add(m_quality);
    m_dithering = MakeSpin(this, kDitheringName, 0, 100);
    m_dithering->SetToolTip(_("How much colours that a palette lacks are mixed from the colours it has"));
    numbers->Add(new wxStaticText(this, wxID_ANY, _("Dithering (%):")), 0, wxALIGN_CENTER_VERTICAL);
    numbers->Add(m_dithering);
    top->Add(numbers, 0, wxALL, gap);

    m_changedOnly = new wxCheckBox(this, wxID_ANY, _("Store only changed pixels"), wxDefaultPosition,
                                   wxDefaultSize, 0, wxDefaultValidator, kChangedOnlyName);
    m_changedOnly->SetToolTip(_("Later frames keep only what differs from the frame before; the animation "
                                "looks the same"));
    top->Add(m_changedOnly, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);

    wxStaticBoxSizer* repeat = new wxStaticBoxSizer(wxVERTICAL, this, _("Repeat"));
    m_repeatForever = new wxRadioButton(repeat->GetStaticBox(), wxID_ANY, _("Forever"), wxDefaultPosition,
                                        wxDefaultSize, wxRB_GROUP, wxDefaultValidator, kRepeatForeverName);
    repeat->Add(m_repeatForever, 0, wxALL, gap / 2);
    wxBoxSizer* times = new wxBoxSizer(wxHORIZONTAL);
    m_repeatTimes = new wxRadioButton(repeat->GetStaticBox(), wxID_ANY, _("This many times:"), wxDefaultPosition,
                                      wxDefaultSize, 0, wxDefaultValidator, kRepeatTimesName);
    m_repeatCount = MakeSpin(repeat->GetStaticBox(), kRepeatCountName, 1, kMaxGifRepeat);
    m_repeatCount->SetToolTip(_("How many times the animation plays, the first time included"));
    times->Add(m_repeatTimes, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    times->Add(m_repeatCount, 0, wxALIGN_CENTER_VERTICAL);
    repeat->Add(times, 0, wxALL, gap / 2);
    top->Add(repeat, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, gap);
    m_repeatForever->Bind(wxEVT_RADIOBUTTON, &GifOptionsDialog::OnRepeatChoice, this);
    m_repeatTimes->Bind(wxEVT_RADIOBUTTON, &GifOptionsDialog::OnRepeatChoice, this);

    wxStdDialogButtonSizer* buttons = new wxStdDialogButtonSizer;
    wxButton* ok = new wxButton(this, wxID_OK, _("OK"));
    ok->SetDefault();
    buttons->AddButton(ok);
    buttons->AddButton(new wxButton(this, wxID_CANCEL, _("Cancel")));
    buttons->Realize();
    top->Add(buttons, 0, wxEXPAND | wxALL, gap);

    SetSizerAndFit(top);
    CentreOnParent();
}

void GifOptionsDialog::ShowOptions(const GifOptions& options)
{
    m_quality->SetValue(options.quality);
    m_dithering->SetValue(options.dithering);
    m_changedOnly->SetValue(options.storeChangedOnly);
    const bool forever = options.repeat == 0;
    m_repeatForever->SetValue(forever);
    m_repeatTimes->SetValue(!forever);
    m_repeatCount->SetValue(forever ? 1 : options.repeat);
    m_repeatCount->Enable(!forever);
}

GifOptions GifOptionsDialog::GetOptions() const
{
    GifOptions options;
    options.quality = m_quality->GetValue();
    options.dithering = m_dithering->GetValue();
    options.storeChangedOnly = m_changedOnly->GetValue();
    options.repeat = m_repeatTimes->GetValue() ? m_repeatCount->GetValue() : 0;
    return ValidGifOptions(options);
}

void GifOptionsDialog::OnRepeatChoice(wxCommandEvent&)
{
    m_repeatCount->Enable(m_repeatTimes->GetValue());
}
