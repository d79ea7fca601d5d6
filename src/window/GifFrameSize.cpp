// Frame delay and output size.
#include "window/GifFrame.h"

void GifFrame::OnSetDelay(wxCommandEvent&)
{
}

void GifFrame::OnSetWidth(wxCommandEvent&)
{
}

void GifFrame::OnSetHeight(wxCommandEvent&)
{
}

void GifFrame::RefreshOutputSize()
{
}
