// Picture files and dialog expectations for the window tests.
#pragma once

#include <gtest/gtest.h>
#include <wx/colour.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/string.h>
#include <wx/testing.h>

#include <vector>

// A picture of one colour with a mark in its top-left corner, saved in the
// type its extension names (png, jpg, bmp, gif).
wxString WritePicture(const wxString& folder, const wxString& name, int width, int height,
                      const wxColour& colour = *wxRED);

// An animated GIF written by the toolkit's own encoder, frame i filled with
// a colour of its own.
wxString WriteAnimatedGif(const wxString& folder, const wxString& name, int frames, int width, int height);

// Answers a file dialog as a user would: the dialog is shown, the files are
// chosen in it, and OK pressed. GTK's chooser reports a choice only once it
// is on screen, so a hidden dialog cannot stand in. An empty list with
// wxID_CANCEL cancels.
class ExpectFiles : public wxExpectModalBase<wxFileDialog, ExpectFiles>
{
public:
    explicit ExpectFiles(const std::vector<wxString>& paths, int answer = wxID_OK) : m_paths(paths), m_answer(answer) {}

protected:
    int OnInvoked(wxFileDialog* dialog) const override;

private:
    std::vector<wxString> m_paths;
    int m_answer;
};

// Answers a message box with the given button and keeps its text.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage>
{
public:
    ExpectMessage(int answer, wxString* message = nullptr, wxString* caption = nullptr)
        : m_answer(answer), m_message(message), m_caption(caption) {}

protected:
    int OnInvoked(wxMessageDialog* dialog) const override
    {
        if (m_message)
            *m_message = dialog->GetMessage();
        if (m_caption)
            *m_caption = dialog->GetTitle();
        return m_answer;
    }

private:
    int m_answer;
    wxString* m_message;
    wxString* m_caption;
};
