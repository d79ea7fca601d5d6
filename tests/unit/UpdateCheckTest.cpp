// The update document reader and the version order.
#include "app/UpdateCheck.h"

#include <gtest/gtest.h>
#include <wx/mstream.h>

namespace
{
struct VersionOrder
{
    const char* running;
    const char* latest;
    int expected;  // sign of CompareVersions(running, latest)
};

const VersionOrder kVersionOrders[] = {
    {"2.0.9", "2.0.10", -1},     {"2.0.9", "2.1", -1},        {"9.9", "10.0", -1},
    {"2.0.9", "2.0.9", 0},       {"2.1", "2.1.0", 0},         {"2.1.0", "2.1.0.0", 0},
    {"2.0.10", "2.0.9", 1},      {"2.0.9", "2.0.8", 1},       {"2.0.9", "1.99.99", 1},
    {"2.0.9", "2.1.0-beta", -1}, {"2.1.0", "2.1.0-beta", 1},  {"2.1.0-beta", "2.1.0-rc1", 0},
    {"2.0.9", "v2.1", -1},       {"2.0.9", "V2.0.9", 0},      {"2.0.9", " 2.0.9 ", 0},
    {"2.0.9", "2.0.9.0.7", 0},   {"2.0.9", "2.0.9.1", -1},    {"2.0.9", "300000.0", -1},
    {"2.0.9", "2.0.255", -1},    {"2.0.255", "2.0.256", -1},  {"2.0.9", "2.0.1000", -1},
};

TEST(UpdateCheckTest, CompareVersionsFollowsVersionOrder)
{
    for (const VersionOrder& order : kVersionOrders)
    {
        SCOPED_TRACE(wxString::Format("%s vs %s", order.running, order.latest).utf8_string());
        EXPECT_EQ(order.expected, CompareVersions(order.running, order.latest));
        EXPECT_EQ(-order.expected, CompareVersions(order.latest, order.running));
        const std::string key = MakeVersionKey(order.latest);
        EXPECT_LE(key.size(), 9u);
        EXPECT_EQ(std::string::npos, key.find('\0'));
    }
}

TEST(UpdateCheckTest, TextWithoutANumberIsNoVersion)
{
    for (const char* text : {"", "beta", "v", "-1.0", "version 2.1"})
        EXPECT_FALSE(IsReadableVersion(text)) << text;
    EXPECT_TRUE(IsReadableVersion("2.1.0-beta"));
}

struct DocumentCase
{
    const char* name;
    const char* document;
    const char* version;
};

const DocumentCase kDocuments[] = {
    {"listed", "<p><a n='Other' v='9.0'/><a n='Pelagrin GIF Animator' v='2.1.0'/></p>", "2.1.0"},
    {"names not examined", "<p><x q='1' z='Pelagrin GIF Animator' y='2.0.9' w='7'/></p>", "2.0.9"},
    {"last match wins", "<p><a n='Pelagrin GIF Animator' v='3.0'/><a n='Pelagrin GIF Animator' v='2.5'/></p>", "2.5"},
    {"later element without the name", "<p><a n='Pelagrin GIF Animator' v='3.0'/><a n='Other' v='1'/></p>", "3.0"},
    {"only children of the root", "<p><g><a n='Pelagrin GIF Animator' v='3.0'/></g></p>", ""},
    {"the root itself", "<a n='Pelagrin GIF Animator' v='3.0'/>", ""},
    {"not XML", "<html><body>Not found", ""},
    {"empty", "", ""},
};

TEST(UpdateCheckTest, FindProductVersionReadsTheAttributeAfterTheName)
{
    for (const DocumentCase& document : kDocuments)
    {
        wxMemoryInputStream stream(document.document, strlen(document.document));
        EXPECT_EQ(wxString(document.version), FindProductVersion(stream)) << document.name;
    }
}
} // namespace
