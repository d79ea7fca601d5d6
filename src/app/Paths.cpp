#include "app/Paths.h"

#include "app/Platform.h"

#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace
{
const int kEnglishLanguageCode = 58;
const size_t kLanguageFileReadLimit = 8;

wxString CutBeforeLastSlash(const wxString& path)
{
    const int slash = path.Find('/', true);
    return slash == wxNOT_FOUND ? wxString() : path.Left(slash);
}

void MakeFolder(const wxString& path)
{
    if (!wxFileName::DirExists(path))
        wxFileName::Mkdir(path, wxS_DIR_DEFAULT);
}
} // namespace

wxString GetBrandName()
{
    return "Pelagrin";
}

wxString GetProductName()
{
    wxString name = "Pelagrin+GIF+Animator";
    name.Replace("+", " ");
    return name;
}

wxString GetProductVersion()
{
    return "2.0.9";
}

wxString ExecutableDirFromPath(const wxString& executablePath)
{
    wxString path = executablePath;
    path.Replace("\\", "/");
    return CutBeforeLastSlash(path);
}

wxString InstallRootFromExecutablePath(const wxString& executablePath)
{
    return CutBeforeLastSlash(ExecutableDirFromPath(executablePath));
}

wxString GetInstallDir()
{
    // argv[0] may be a bare name found through PATH or a relative path, so
    // the rule is applied to the absolute path of the running executable.
    return InstallRootFromExecutablePath(wxStandardPaths::Get().GetExecutablePath());
}

wxString GetThemesDir()
{
    return GetInstallDir() + "/Themes";
}

wxString GetLanguageDir()
{
    return GetInstallDir() + "/Language";
}

wxString GetOptionFilePath()
{
    return GetInstallDir() + "/option.cfg";
}

wxString GetUserDocDir()
{
    wxString documents = GetSystemDocumentsFolder();
    documents.Replace("\\", "/");
    const wxString brandFolder = documents + "/" + GetBrandName() + " files";
    const wxString productFolder = brandFolder + "/" + GetProductName();
    MakeFolder(brandFolder);
    MakeFolder(productFolder);
    return productFolder;
}

wxString GetLanguageFilePath()
{
    return GetUserDocDir() + "/language.txt";
}

wxString GetGifOptionsFilePath()
{
    return GetUserDocDir() + "/gif-options.xml";
}

int ParseLeadingInt(const wxString& text)
{
    const wxScopedCharBuffer ascii = text.utf8_str();
    // strtol rather than atoi: a long run of digits saturates instead of
    // overflowing.
    const long value = std::strtol(ascii.data(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

int ReadLanguageCodeFrom(const wxString& path)
{
    if (!wxFileName::FileExists(path))
    {
        WriteLanguageCodeTo(path, kEnglishLanguageCode);
        return kEnglishLanguageCode;
    }
    wxFFile file(path, "rb");
    if (!file.IsOpened())
        return 0;
    char buffer[kLanguageFileReadLimit + 1] = {};
    file.Read(buffer, kLanguageFileReadLimit);
    return ParseLeadingInt(wxString::FromUTF8(buffer));
}

void WriteLanguageCodeTo(const wxString& path, int code)
{
    wxFFile file(path, "wb");
    if (file.IsOpened())
        file.Write(wxString::Format("%d", code));
}

int ReadLanguageCode()
{
    return ReadLanguageCodeFrom(GetLanguageFilePath());
}

void WriteLanguageCode(int code)
{
    WriteLanguageCodeTo(GetLanguageFilePath(), code);
}
