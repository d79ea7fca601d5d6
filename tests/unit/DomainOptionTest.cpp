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

TEST(DomainOption, ReadsValuesByPositionAndKeepsWhatItReadWhenSomeAreMissing)
{
    DomainOption options(OptionFile("<a><b><x>help</x><y>two</y><z>support</z><w>four</w>"
                                    "<v>https://u.example/p</v><u>download</u><t>seven</t></b><c><x>no</x></c></a>"));
    ASSERT_TRUE(options.Load());
    EXPECT_TRUE(options.ReadValues());
    EXPECT_EQ("help", options.GetHelpAddress());
    EXPECT_EQ("support", options.GetSupportAddress());
    EXPECT_EQ("https://u.example/p-update.xml", options.GetUpdateAddress());
    EXPECT_EQ("download", options.GetDownloadAddress());

    DomainOption partial(
        OptionFile("<a>\n <b>\n  <x>help</x>\n  <y/>\n  <z><![CDATA[support]]></z>\n  <w/>\n  <v/>\n </b>\n</a>"));
    ASSERT_TRUE(partial.Load());
    EXPECT_FALSE(partial.ReadValues());
    EXPECT_EQ("support", partial.GetSupportAddress());
    EXPECT_EQ("-update.xml", partial.GetUpdateAddress()); // a value without text still gets the suffix
    EXPECT_EQ("", partial.GetDownloadAddress());

    DomainOption broken(OptionFile("<a><b><x>help</x></b"));
    EXPECT_FALSE(broken.Load());
    EXPECT_FALSE(broken.ReadValues());
    EXPECT_EQ("", broken.GetHelpAddress());
}

TEST(DomainOption, ShippedFileHasAllValuesAndIsReadThroughTheGlobalHolder)
{
    EXPECT_FALSE(ReadDomainOptions()); // no holder yet
    g_domainOption = new DomainOption(GetOptionFilePath());
    EXPECT_TRUE(ReadDomainOptions());
    EXPECT_TRUE(g_domainOption->GetHelpAddress().StartsWith("https://"));
    EXPECT_FALSE(g_domainOption->GetDownloadAddress().empty());
    delete g_domainOption;
    g_domainOption = nullptr;
}
