#include "app/Localisation.h"
#include "app/Paths.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <wx/filename.h>

TEST(InstallRoot, FollowsTheExecutablePath)
{
    EXPECT_EQ("C:/Prog/Gif", InstallRootFromExecutablePath("C:\\Prog\\Gif\\bin\\app.exe"));
    EXPECT_EQ("C:/Prog/Gif/bin", ExecutableDirFromPath("C:\\Prog\\Gif\\bin\\app.exe"));
    EXPECT_EQ("/opt/pelagrin", InstallRootFromExecutablePath("/opt/pelagrin/bin/pelagrin-gif-animator"));
    // A bare name has no folder part: the root is empty.
    EXPECT_EQ("", InstallRootFromExecutablePath("app.exe"));
    EXPECT_EQ("", InstallRootFromExecutablePath("bin/app"));
}

TEST(InstallRoot, IsTheParentOfTheRunningProgramsFolder)
{
    // The test programs live in <build>/tests, beside <build>/Themes.
    EXPECT_TRUE(wxFileName::DirExists(GetInstallDir() + "/Themes")) << GetInstallDir();
    EXPECT_EQ(GetInstallDir() + "/option.cfg", GetOptionFilePath());
    EXPECT_EQ(GetInstallDir() + "/Language", GetLanguageDir());
}

TEST(ProductIdentity, Strings)
{
    EXPECT_EQ("Pelagrin", GetBrandName());
    EXPECT_EQ("Pelagrin GIF Animator", GetProductName());
    EXPECT_EQ("2.0.9", GetProductVersion());
}

TEST(UserDocDir, IsCreatedUnderTheDocumentsFolder)
{
    const wxString dir = GetUserDocDir();
    EXPECT_TRUE(dir.StartsWith(TemporaryHome())) << dir;
    EXPECT_TRUE(dir.EndsWith("/Pelagrin files/Pelagrin GIF Animator")) << dir;
    EXPECT_TRUE(wxFileName::DirExists(dir));
    EXPECT_EQ(dir + "/language.txt", GetLanguageFilePath());
}

TEST(LanguageFile, FirstReadCreatesEnglish)
{
    const wxString path = MakeScratchDir("lang") + "/language.txt";
    EXPECT_EQ(58, ReadLanguageCodeFrom(path));
    EXPECT_EQ("58", ReadTextFile(path));
}

TEST(LanguageFile, ReadsLeadingDigitsOfTheFirstEightBytes)
{
    const wxString path = MakeScratchDir("lang") + "/language.txt";
    WriteLanguageCodeTo(path, 89);
    EXPECT_EQ("89", ReadTextFile(path));
    EXPECT_EQ(89, ReadLanguageCodeFrom(path));

    WriteTextFile(path, "german");
    EXPECT_EQ(0, ReadLanguageCodeFrom(path));
    WriteTextFile(path, "112\n");
    EXPECT_EQ(112, ReadLanguageCodeFrom(path));
    // Digits past the eighth byte are never read.
    WriteTextFile(path, "1234567890");
    EXPECT_EQ(12345678, ReadLanguageCodeFrom(path));
    WriteTextFile(path, "");
    EXPECT_EQ(0, ReadLanguageCodeFrom(path));
}

TEST(LeadingInt, TakesLeadingDigits)
{
    EXPECT_EQ(320, ParseLeadingInt("320"));
    EXPECT_EQ(12, ParseLeadingInt("12px"));
    EXPECT_EQ(0, ParseLeadingInt("px12"));
    EXPECT_EQ(0, ParseLeadingInt(""));
    EXPECT_EQ(INT_MAX, ParseLeadingInt("99999999999999999999"));
}

TEST(StoredLanguages, MapToTheToolkitsEnumeration)
{
    const StoredLanguage* languages = GetStoredLanguages();
    const int codes[] = {46, 47, 89, 58, 80, 110, 112};
    for (int i = 0; i < kStoredLanguageCount; ++i)
        EXPECT_EQ(codes[i], languages[i].code);
    EXPECT_EQ(wxLANGUAGE_ENGLISH, ToolkitLanguageFromStoredCode(58));
    EXPECT_EQ(wxLANGUAGE_GERMAN, ToolkitLanguageFromStoredCode(89));
    EXPECT_EQ(wxLANGUAGE_JAPANESE, ToolkitLanguageFromStoredCode(112));
    EXPECT_EQ(wxLANGUAGE_CHINESE_SIMPLIFIED, ToolkitLanguageFromStoredCode(46));
    EXPECT_EQ(wxLANGUAGE_DEFAULT, ToolkitLanguageFromStoredCode(0));
    EXPECT_EQ(wxLANGUAGE_DEFAULT, ToolkitLanguageFromStoredCode(12345678));
}
