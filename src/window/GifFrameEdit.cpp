// Commands that change which frames the animation has.
#include "window/GifFrame.h"

void GifFrame::OnAddImage(wxCommandEvent&)
{
    StopPreview();
}

void GifFrame::OnInsertImage(wxCommandEvent&)
{
    StopPreview();
}

void GifFrame::OnDeleteImage(wxCommandEvent&)
{
    StopPreview();
}

void GifFrame::OnClearAll(wxCommandEvent&)
{
    StopPreview();
}

void GifFrame::OnThumbnailRightClick(wxThumbnailEvent&)
{
}

void GifFrame::OnThreadUpdate(wxCommandEvent&)
{
}
