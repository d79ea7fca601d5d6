#include "app/DomainOption.h"
#include "app/Paths.h"

#include <gtest/gtest.h>

TEST(DomainOption, ShippedFileHasAllValuesAndIsReadThroughTheGlobalHolder)
{
    EXPECT_FALSE(ReadDomainOptions()); // no holder yet
    g_domainOption = new DomainOption(GetOptionFilePath());
    EXPECT_TRUE(ReadDomainOptions());
    EXPECT_TRUE(g_domainOption->GetHelpAddress().StartsWith("https://"));
    EXPECT_FALSE(g_domainOption->GetDownloadAddress().empty());
    EXPECT_TRUE(g_domainOption->GetUpdateAddress().EndsWith("-update.xml"));
    delete g_domainOption;
    g_domainOption = nullptr;
}
