// Save and Save As: writing the animation as a GIF file.
#include "window/GifFrame.h"

void GifFrame::OnSaveAnimator(wxCommandEvent&)
{
    StopPreview();
}

void GifFrame::OnSaveAsAnimator(wxCommandEvent&)
{
    StopPreview();
}

void GifFrame::OnWorkSaveAsGifThreadUpdate(wxCommandEvent&)
{
}
