// Frame delay and output size.
#include "window/GifFrame.h"

#include "app/Trace.h"
#include "window/OutputSize.h"
#include "window/thumbnailctrl.h"

#include <wx/spinctrl.h>
#include <wx/statusbr.h>


wxString GifFrame::OutputSizeText(int width, int height) const
{
    // TRANSLATORS: name of a GIF that has not been saved yet, in the status bar.
    const wxString name = m_gifName.empty() ? _("Untitled.gif") : m_gifName;
    // TRANSLATORS: status bar: the GIF's file name, then the width and height
    // it is saved at, in pixels: "movie.gif (320 * 240)px".
    return wxString::Format(_("%s (%d * %d)px"), name, width, height);
}

void GifFrame::OnSetDelay(wxCommandEvent&)
{
    WriteTraceLine("OnSetDelay");
    StopPreview();
    // The captions show each frame's start time at this delay.
    m_thumbnailCtrl->m_frameDelay = m_spinctrl_delay->GetValue();
    m_thumbnailCtrl->Refresh();
}

void GifFrame::OnSetWidth(wxCommandEvent&)
{
    if (GetFrameCount() == 0)
        return;
    const int width = m_spinctrl_width->GetValue();
    m_outWidth = width;
    const int height = HeightForWidth(width, m_refWidth, m_refHeight);
    if (height < 0)
        return; // no reference size to keep in proportion with
    m_outHeight = height;
    m_spinctrl_height->SetValue(height);
    m_statusBar1->SetStatusText(OutputSizeText(width, height), 0);
}

void GifFrame::OnSetHeight(wxCommandEvent&)
{
    if (GetFrameCount() == 0)
        return;
    const int height = m_spinctrl_height->GetValue();
    const int width = WidthForHeight(height, m_refWidth, m_refHeight);
    if (width < 0)
    {
        m_outHeight = height;
        return;
    }
    m_outWidth = width;
    m_outHeight = height;
    m_spinctrl_width->SetValue(width);
    m_statusBar1->SetStatusText(OutputSizeText(width, height), 0);
}

void GifFrame::RefreshOutputSize()
{
    if (GetFrameCount() == 0)
    {
        m_statusBar1->SetStatusText("", 0);
        m_spinctrl_width->SetValue(0);
        m_spinctrl_height->SetValue(0);
        return;
    }
    std::vector<wxSize> sizes;
    for (int i = 0; i < GetFrameCount(); ++i)
    {
        const wxImageThumbnailItem* item = dynamic_cast<wxImageThumbnailItem*>(m_thumbnailCtrl->GetItem(i));
        sizes.push_back(item ? item->GetPictureSize() : wxSize(0, 0));
    }
    const wxSize reference = ReferenceSize(sizes);
    m_refWidth = m_outWidth = reference.x;
    m_refHeight = m_outHeight = reference.y;
    m_spinctrl_width->SetValue(reference.x);
    m_spinctrl_height->SetValue(reference.y);

    const int width = m_spinctrl_width->GetValue();
    const int height = m_spinctrl_height->GetValue();
    m_statusBar1->SetStatusText(OutputSizeText(width, height), 0);
}
