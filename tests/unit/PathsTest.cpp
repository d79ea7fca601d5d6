#include "app/Localisation.h"
#include "app/Paths.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <wx/filename.h>

TEST(InstallRoot, IsTheParentOfTheProgramsFolder)
{
    EXPECT_EQ("C:/Prog/Gif", InstallRootFromExecutablePath("C:\\Prog\\Gif\\bin\\app.exe"));
    EXPECT_EQ("C:/Prog/Gif/bin", ExecutableDirFromPath("C:\\Prog\\Gif\\bin\\app.exe"));
    EXPECT_EQ("/opt/pelagrin", InstallRootFromExecutablePath("/opt/pelagrin/bin/pelagrin-gif-animator"));
    // A bare name has no folder part: the root is empty.
    EXPECT_EQ("", InstallRootFromExecutablePath("app.exe"));
    EXPECT_EQ("", InstallRootFromExecutablePath("bin/app"));
    // The test programs live in <build>/tests, beside <build>/Themes.
    EXPECT_TRUE(wxFileName::DirExists(GetInstallDir() + "/Themes")) << GetInstallDir();
    EXPECT_EQ(GetInstallDir() + "/option.cfg", GetOptionFilePath());
}

TEST(UserDocDir, IsCreatedUnderTheDocumentsFolder)
{
    const wxString dir = GetUserDocDir();
    EXPECT_TRUE(dir.StartsWith(TemporaryHome())) << dir;
    EXPECT_TRUE(dir.EndsWith("/Pelagrin files/Pelagrin GIF Animator")) << dir;
    EXPECT_TRUE(wxFileName::DirExists(dir));
    EXPECT_EQ(dir + "/language.txt", GetLanguageFilePath());
}

TEST(LanguageFile, FirstReadCreatesEnglishThenLeadingDigitsOfEightBytesCount)
{
    const wxString path = MakeScratchDir("lang") + "/language.txt";
    EXPECT_EQ(58, ReadLanguageCodeFrom(path));
    EXPECT_EQ("58", ReadTextFile(path));
    WriteLanguageCodeTo(path, 89);
    EXPECT_EQ(89, ReadLanguageCodeFrom(path));
    const std::pair<const char*, int> stored[] = {{"german", 0}, {"112\n", 112}, {"1234567890", 12345678}, {"", 0}};
    for (const auto& [text, code] : stored)
    {
        WriteTextFile(path, text);
        EXPECT_EQ(code, ReadLanguageCodeFrom(path)) << text;
    }
    EXPECT_EQ(wxLANGUAGE_GERMAN, ToolkitLanguageFromStoredCode(89));
    EXPECT_EQ(wxLANGUAGE_DEFAULT, ToolkitLanguageFromStoredCode(12345678));
}

TEST(LeadingInt, TakesLeadingDigits)
{
    EXPECT_EQ(12, ParseLeadingInt("12px"));
    EXPECT_EQ(0, ParseLeadingInt("px12"));
    EXPECT_EQ(0, ParseLeadingInt(""));
    EXPECT_EQ(INT_MAX, ParseLeadingInt("99999999999999999999"));
}
