// Asks how many passes the preview plays: a number, or until stopped.
#pragma once

#include <wx/dialog.h>

class wxButton;
class wxRadioButton;
class wxSpinCtrl;
class wxStaticBox;
class wxStaticText;

class LoopCountDialog : public wxDialog
{
public:
    explicit LoopCountDialog(wxWindow* parent);

    // The answer after OK: 0 plays until stopped, N >= 1 plays N passes.
    int m_chosenLoopCount = 0;

    // The value chosen at the last OK in any dialog; it pre-sets the next one.
    static int s_lastLoopCount;

    wxButton* m_okButton = nullptr;
    wxButton* m_cancelButton = nullptr;
    wxRadioButton* m_radioFinite = nullptr;
    wxRadioButton* m_radioInfinite = nullptr;
    wxStaticBox* m_staticBox = nullptr;
    wxStaticText* m_staticTimes = nullptr;
    wxSpinCtrl* m_spinLoops = nullptr;

private:
    void CreateControls();
    void OnRadioFinite(wxCommandEvent& event);
    void OnRadioInfinite(wxCommandEvent& event);
    void OnButton(wxCommandEvent& event);

    wxDECLARE_CLASS(LoopCountDialog);
    wxDECLARE_EVENT_TABLE();
};
