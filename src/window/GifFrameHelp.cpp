// The Help menu: web pages, update check and About.
#include "window/GifFrame.h"

#include "app/DomainOption.h"
#include "app/Paths.h"
#include "app/UpdateCheck.h"

#include <wx/dialog.h>
#include <wx/hyperlink.h>
#include <wx/log.h>
#include <wx/stattext.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

namespace
{
wxString OptionValue(wxString (DomainOption::*getter)() const)
{
    return g_domainOption ? (g_domainOption->*getter)() : wxString();
}
} // namespace

void GifFrame::OnHelpMenu(wxCommandEvent& event)
{
    StopPreview();
    switch (event.GetId())
    {
    case ID_MENU_HELP:
        wxLaunchDefaultBrowser(OptionValue(&DomainOption::GetHelpAddress), 0);
        break;
    case ID_MENU_SUPPORT:
        wxLaunchDefaultBrowser(OptionValue(&DomainOption::GetSupportAddress), 0);
        break;
    case ID_MENU_CHECK_UPDATE:
        CheckForUpdate();
        break;
    }
}

void GifFrame::OnAbout(wxCommandEvent&)
{
    wxLogNull noLog;
    wxDialog dialog;
    if (!wxXmlResource::Get()->LoadDialog(&dialog, this, "AboutDialog"))
        return;
    if (wxStaticText* version = XRCCTRL(dialog, "m_static_version_name", wxStaticText))
        version->SetLabel(wxString::Format("%s %s", GetProductName(), GetProductVersion()));
    if (wxStaticText* information = XRCCTRL(dialog, "m_static_information", wxStaticText))
        information->SetLabel(_("Makes animated GIF files from still pictures.") + " " +
                              _("Copyright (C) Pelagrin."));
    if (wxHyperlinkCtrl* link = XRCCTRL(dialog, "m_hyperlink", wxHyperlinkCtrl))
    {
        // Without a download address from the option file there is nothing to link to.
        const wxString download = OptionValue(&DomainOption::GetDownloadAddress);
        if (download.empty())
            link->Hide();
        else
        {
            link->SetLabel(download);
            link->SetURL(download);
        }
    }
    dialog.Fit();
    dialog.ShowModal();
}

void GifFrame::OnUpdateResult(wxCommandEvent&)
{
}
