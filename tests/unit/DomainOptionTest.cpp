#include "app/DomainOption.h"
#include "app/Paths.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace
{
wxString OptionFile(const wxString& body)
{
    const wxString path = MakeScratchDir("options") + "/option.cfg";
    WriteTextFile(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body);
    return path;
}
} // namespace

TEST(DomainOption, ReadsSevenValuesByPosition)
{
    DomainOption options(OptionFile("<a><b>"
                                    "<x>help</x><y>two</y><z>support</z><w>four</w>"
                                    "<v>https://u.example/p</v><u>download</u><t>seven</t><s>eight</s>"
                                    "</b><c><x>ignored</x></c></a>"));
    ASSERT_TRUE(options.Load());
    EXPECT_TRUE(options.ReadValues());
    EXPECT_EQ("help", options.GetHelpAddress());
    EXPECT_EQ("two", options.GetValue(2));
    EXPECT_EQ("support", options.GetSupportAddress());
    EXPECT_EQ("https://u.example/p-update.xml", options.GetUpdateAddress());
    EXPECT_EQ("download", options.GetDownloadAddress());
    EXPECT_EQ("seven", options.GetValue(7));
}

TEST(DomainOption, KeepsWhatItReadWhenValuesAreMissing)
{
    DomainOption options(OptionFile("<a>\n  <b>\n    <x>help</x>\n    <y/>\n    <z><![CDATA[support]]></z>\n"
                                    "    <w>four</w>\n    <v/>\n  </b>\n</a>"));
    ASSERT_TRUE(options.Load());
    EXPECT_FALSE(options.ReadValues());
    EXPECT_EQ("help", options.GetHelpAddress());
    EXPECT_EQ("", options.GetValue(2));
    EXPECT_EQ("support", options.GetSupportAddress());
    // A value element without text still gets the suffix.
    EXPECT_EQ("-update.xml", options.GetUpdateAddress());
    EXPECT_EQ("", options.GetDownloadAddress());
}

TEST(DomainOption, MissingOrBrokenFileLeavesValuesEmpty)
{
    DomainOption missing(MakeScratchDir("options") + "/option.cfg");
    EXPECT_FALSE(missing.Load());
    EXPECT_FALSE(missing.ReadValues());
    EXPECT_EQ("", missing.GetHelpAddress());

    DomainOption broken(OptionFile("<a><b><x>help</x></b"));
    EXPECT_FALSE(broken.Load());
    EXPECT_FALSE(broken.ReadValues());
    EXPECT_EQ("", broken.GetUpdateAddress());
}

TEST(DomainOption, ShippedFileHasAllValues)
{
    DomainOption shipped(GetOptionFilePath());
    ASSERT_TRUE(shipped.Load());
    EXPECT_TRUE(shipped.ReadValues());
    EXPECT_TRUE(shipped.GetHelpAddress().StartsWith("https://"));
    EXPECT_TRUE(shipped.GetUpdateAddress().EndsWith("-update.xml"));
}

TEST(DomainOption, GlobalHolderIsReadThroughReadDomainOptions)
{
    EXPECT_FALSE(ReadDomainOptions()); // no holder yet
    g_domainOption = new DomainOption(GetOptionFilePath());
    EXPECT_TRUE(ReadDomainOptions());
    EXPECT_FALSE(g_domainOption->GetDownloadAddress().empty());
    delete g_domainOption;
    g_domainOption = nullptr;
}
