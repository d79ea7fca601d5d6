// The Help menu: web pages, update check and About.
#include "window/GifFrame.h"

#include "app/DomainOption.h"
#include "app/Paths.h"
#include "app/UpdateCheck.h"
#include "app/UpdateFetch.h"

#include <wx/dialog.h>
#include <wx/hyperlink.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
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
        // One message: how sentences are joined (with a space or without,
        // as after a Chinese full stop) is the language's business.
        information->SetLabel(_("Makes animated GIF files from still pictures. Copyright (C) Pelagrin."));
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

void GifFrame::CheckForUpdate()
{
    const wxString address = OptionValue(&DomainOption::GetUpdateAddress);
    // Without an absolute address (no option file) there is nothing to ask.
    if (m_updateCheckRunning || !IsAbsoluteAddress(address))
        return;
    m_updateCheckRunning = true;
    if (!StartUpdateFetch(address, m_workerSink))
        m_workerSink->Post(new wxCommandEvent(UpdateResultEvent, 0));
}

void GifFrame::OnUpdateResult(wxCommandEvent& event)
{
    m_updateCheckRunning = false;
    const wxString latest = event.GetString();
    const wxString product = GetProductName();
    const wxString running = GetProductVersion();
    if (!IsReadableVersion(latest))
    {
        // TRANSLATORS: the check for a newer version failed, not an update.
        wxMessageBox(_("Update failed!Please check if the network is available."), product,
                     wxOK | wxCENTRE, nullptr);
    }
    else if (CompareVersions(running, latest) < 0)
    {
        // TRANSLATORS: the program's name and, in parentheses, the version
        // that can be downloaded; the dialog's buttons are Yes and No.
        wxMessageDialog question(
            this, wxString::Format(_("A new version of %s(%s) is available. Click Yes to open download page."),
                                   product, latest),
            product, wxYES_NO | wxCENTRE);
        if (question.ShowModal() == wxID_YES)
            wxLaunchDefaultBrowser(OptionValue(&DomainOption::GetDownloadAddress), 0);
    }
    else
    {
        // TRANSLATORS: the program's name and, in parentheses, its version.
        wxMessageBox(wxString::Format(_("This version of %s(%s) is the latest version."), product, running),
                     product, wxOK | wxCENTRE, nullptr);
    }
}
