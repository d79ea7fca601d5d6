// Project files and the unsaved-project questions.
#include "window/GifFrame.h"

void GifFrame::OnOpenProject(wxCommandEvent&)
{
    StopPreview();
}

void GifFrame::OnSaveProject(wxCommandEvent&)
{
}

void GifFrame::SaveProject()
{
}

void GifFrame::LoadProject()
{
}

void GifFrame::CloseWithSavePrompt()
{
    Destroy();
}
