// Asks how a GIF is written: quality, dithering, whether later frames keep
// only what changed, and how often the animation plays.
#pragma once

#include "window/GifOptions.h"

#include <wx/dialog.h>

class wxCheckBox;
class wxRadioButton;
class wxSpinCtrl;

class GifOptionsDialog : public wxDialog
{
public:
    GifOptionsDialog(wxWindow* parent, const GifOptions& options);

    // What the controls show now; the caller reads it after OK.
    GifOptions GetOptions() const;

private:
    void CreateControls();
    void ShowOptions(const GifOptions& options);
    void OnRepeatChoice(wxCommandEvent& event);

    wxSpinCtrl* m_quality = nullptr;
    wxSpinCtrl* m_dithering = nullptr;
    wxCheckBox* m_changedOnly = nullptr;
    wxRadioButton* m_repeatForever = nullptr;
    wxRadioButton* m_repeatTimes = nullptr;
    wxSpinCtrl* m_repeatCount = nullptr;
};
