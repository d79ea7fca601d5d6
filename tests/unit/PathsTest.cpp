#include "app/Localisation.h"
#include "app/Paths.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

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
