// Asks which part of a video clip becomes frames, and how many a second,
// showing how many frames and how much memory that makes.
#pragma once

#include "window/VideoDecoder.h"

#include <wx/dialog.h>

class wxButton;
class wxSpinCtrlDouble;
class wxSpinDoubleEvent;
class wxStaticText;

class VideoDialog : public wxDialog
{
public:
    VideoDialog(wxWindow* parent, const wxString& path, const VideoClipInfo& info);

    VideoChoice GetChoice() const;
    // Sets the controls as the user would, and the summary with them.
    void SetChoice(const VideoChoice& choice);
    wxString GetSummary() const;

private:
    void CreateControls(const wxString& path);
    void OnChange(wxSpinDoubleEvent& event);
    void UpdateSummary();

    VideoClipInfo m_info;
    wxSpinCtrlDouble* m_rate = nullptr;
    wxSpinCtrlDouble* m_start = nullptr;
    wxSpinCtrlDouble* m_end = nullptr;
    wxStaticText* m_frames = nullptr;
    wxStaticText* m_memory = nullptr;
    wxButton* m_okButton = nullptr;
};
