#include "support/Pictures.h"

#include "support/TestEnvironment.h"

#include <dlfcn.h>

#include <wx/anidecod.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/imaggif.h>
#include <wx/quantize.h>
#include <wx/wfstream.h>

namespace
{
wxImage FilledImage(int width, int height, const wxColour& colour)
{
    wxImage image(width, height);
    image.SetRGB(wxRect(0, 0, width, height), colour.Red(), colour.Green(), colour.Blue());
    image.SetRGB(wxRect(0, 0, std::min(2, width), std::min(2, height)), 255, 255, 255);
    return image;
}

wxImage Paletted(const wxImage& image)
{
    wxImage paletted;
    wxQuantize::Quantize(image, paletted, 256, nullptr, wxQUANTIZE_FILL_DESTINATION_IMAGE);
    return paletted;
}
} // namespace

wxString WritePicture(const wxString& folder, const wxString& name, int width, int height, const wxColour& colour)
{
    const wxString path = folder + "/" + name;
    wxImage image = FilledImage(width, height, colour);
    if (wxFileName(name).GetExt().Lower() == "gif")
        image = Paletted(image);
    // The toolkit picks the file type by the extension.
    EXPECT_TRUE(image.SaveFile(path)) << path;
    return path;
}

wxString WriteAnimatedGif(const wxString& folder, const wxString& name, int frames, int width, int height)
{
    const wxString path = folder + "/" + name;
    wxImageArray images;
    for (int i = 0; i < frames; ++i)
        images.Add(Paletted(FilledImage(width, height, wxColour(40 * i % 256, 255 - 30 * i % 256, 90))));
    wxFileOutputStream out(path);
    wxGIFHandler handler;
    EXPECT_TRUE(handler.SaveAnimation(images, &out, false, 100)) << path;
    return path;
}

int ExpectFiles::OnInvoked(wxFileDialog* dialog) const
{
    if (m_answer != wxID_OK || m_paths.empty())
        return m_answer;
    dialog->Show();
    dialog->SetPath(m_paths[0]);
    // Further files are added to the choice through GTK itself, which the
    // toolkit has loaded already.
    using SelectFilename = int (*)(void* chooser, const char* filename);
    const auto selectFilename =
        reinterpret_cast<SelectFilename>(dlsym(RTLD_DEFAULT, "gtk_file_chooser_select_filename"));
    for (size_t i = 1; i < m_paths.size() && selectFilename; ++i)
        selectFilename(dialog->GetHandle(), m_paths[i].utf8_str());
    const bool multiple = dialog->HasFlag(wxFD_MULTIPLE);
    EXPECT_TRUE(WaitFor([&] {
        if (!multiple)
            return !dialog->GetPath().empty();
        wxArrayString chosen;
        dialog->GetPaths(chosen);
        return chosen.size() == m_paths.size();
    }, 5000)) << "the file dialog did not take " << m_paths[0];
    dialog->Hide();
    return wxID_OK;
}
