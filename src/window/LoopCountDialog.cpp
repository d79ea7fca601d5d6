#include "window/LoopCountDialog.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

namespace
{
enum
{
    ID_RADIO_FINITE = 0,
    ID_RADIO_INFINITE = 1,
    ID_SPIN_LOOPS = 2
};
} // namespace

int LoopCountDialog::s_lastLoopCount = 0;

wxIMPLEMENT_CLASS(LoopCountDialog, wxDialog);

// clang-format off
wxBEGIN_EVENT_TABLE(LoopCountDialog, wxDialog)
    EVT_RADIOBUTTON(ID_RADIO_FINITE, LoopCountDialog::OnRadioFinite)
    EVT_RADIOBUTTON(ID_RADIO_INFINITE, LoopCountDialog::OnRadioInfinite)
    EVT_BUTTON(wxID_OK, LoopCountDialog::OnButton)
    EVT_BUTTON(wxID_CANCEL, LoopCountDialog::OnButton)
wxEND_EVENT_TABLE()
// clang-format on

LoopCountDialog::LoopCountDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, _("Loop Counter"), wxDefaultPosition, wxSize(300, 150),
               wxDEFAULT_DIALOG_STYLE)
{
    CreateControls();
    if (s_lastLoopCount != 0)
    {
        m_radioFinite->SetValue(true);
        m_spinLoops->SetValue(s_lastLoopCount);
        m_spinLoops->Enable();
    }
    else
    {
        m_spinLoops->Disable();
        m_radioInfinite->SetValue(true);
    }
    m_chosenLoopCount = 0;
}

void LoopCountDialog::CreateControls()
{
    m_staticBox = new wxStaticBox(this, wxID_STATIC, _("Animation Loop Count"), wxPoint(10, 10), wxSize(275, 70));
    // TRANSLATORS: with the number box and "time(s)" after it, this reads as
    // one phrase: "Play animation [3] time(s)". Translate the phrase.
    m_radioFinite = new wxRadioButton(this, ID_RADIO_FINITE, _("Play animation"), wxPoint(20, 30),
                                      wxDefaultSize, wxRB_GROUP);
    m_spinLoops = new wxSpinCtrl(this, ID_SPIN_LOOPS, "", wxPoint(150, 30), wxSize(50, 20), wxSP_ARROW_KEYS, 0,
                                 100, 1, "wxSpinCtrl");
    // TRANSLATORS: after the number box; see "Play animation".
    m_staticTimes = new wxStaticText(this, wxID_ANY, _("time(s)"), wxPoint(200, 30));
    m_radioInfinite = new wxRadioButton(this, ID_RADIO_INFINITE, _("Play animation infinitely"), wxPoint(20, 55));
    m_okButton = new wxButton(this, wxID_OK, _("OK"), wxPoint(60, 85), wxSize(70, 25));
    m_cancelButton = new wxButton(this, wxID_CANCEL, _("Cancel"), wxPoint(170, 85), wxSize(70, 25));
    // Translated labels can be wider than the 70 pixels the dialog was laid out for.
    for (wxButton* button : {m_okButton, m_cancelButton})
        button->SetSize(wxSize(std::max(70, button->GetBestSize().x), 25));
}

void LoopCountDialog::OnRadioFinite(wxCommandEvent&)
{
    if (m_radioFinite->GetValue())
        m_spinLoops->Enable();
}

void LoopCountDialog::OnRadioInfinite(wxCommandEvent&)
{
    if (m_radioInfinite->GetValue())
        m_spinLoops->Disable();
}

void LoopCountDialog::OnButton(wxCommandEvent& event)
{
    if (event.GetId() == wxID_OK)
    {
        const int value = m_radioFinite->GetValue() ? m_spinLoops->GetValue() : 0;
        s_lastLoopCount = value;
        m_chosenLoopCount = value;
    }
    EndModal(event.GetId());
}
