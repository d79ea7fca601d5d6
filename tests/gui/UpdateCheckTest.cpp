// Help > "Check for Update", "Help" and "Support" against servers of our own
// on 127.0.0.1, and the crash report's message. A stand-in xdg-open on PATH
// records what would have been handed to the browser or file manager.
#include "app/CrashReport.h"
#include "app/DomainOption.h"
#include "app/Localisation.h"
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/TestEnvironment.h"

#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/process.h>
#include <wx/stopwatch.h>
#include <wx/txtstrm.h>
#include <wx/utils.h>

#include <cstdlib>
#include <string>

namespace
{
const char* const kListed = "<u><p a='Pelagrin GIF Animator' v='2.0.9'/></u>";
const char* const kListedNewer = "<u><p a='Pelagrin GIF Animator' v='2.1.0'/></u>";

class UpdateCheckTest : public MainWindowTest
{
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override
    {
        MainWindowTest::SetUp();
        std::swap(m_savedOption, g_domainOption);
        ForgetOpened();
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        delete g_domainOption;
        g_domainOption = m_savedOption;
    }

    // Points the option holder at the update document "<name>-update.xml"
    // of the given server, written with the given text first (none if null).
    void PublishDocument(const wxString& server, const wxString& name, const char* document);
    // Runs "Check for Update" and answers the message it ends with.
    wxString CheckAndAnswer(int answer);
    // What the stand-in xdg-open was last given.
    static wxString Opened() { return wxFileExists(s_folder + "/opened") ? ReadTextFile(s_folder + "/opened") : ""; }
    static void ForgetOpened() { wxFileExists(s_folder + "/opened") && wxRemoveFile(s_folder + "/opened"); }

    static wxString s_folder;
    static wxProcess* s_servers;
    static wxArrayString s_addresses;  // http, https and silent server, then the authority
    DomainOption* m_savedOption = nullptr;
};

wxString UpdateCheckTest::s_folder;
wxProcess* UpdateCheckTest::s_servers = nullptr;
wxArrayString UpdateCheckTest::s_addresses;

void UpdateCheckTest::SetUpTestSuite()
{
    s_folder = MakeScratchDir("update");
    wxFileName::Mkdir(s_folder + "/docs");
    wxFileName::Mkdir(s_folder + "/bin");
    WriteTextFile(s_folder + "/bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + s_folder + "/opened'\n");
    wxFileName(s_folder + "/bin/xdg-open").SetPermissions(wxPOSIX_USER_READ | wxPOSIX_USER_EXECUTE);
    setenv("PATH", (s_folder + "/bin:" + wxGetenv("PATH")).utf8_str(), 1);

    s_servers = new wxProcess;
    s_servers->Redirect();
    const wxString script = wxString(PELAGRIN_TEST_SOURCE_DIR) + "/gui/update-servers.py";
    ASSERT_NE(0, wxExecute("python3 " + script + " " + s_folder + "/docs " + s_folder + "/tls", wxEXEC_ASYNC, s_servers));
    ASSERT_TRUE(WaitFor([] { return s_servers->IsInputAvailable(); }, 30000));
    s_addresses = wxSplit(wxTextInputStream(*s_servers->GetInputStream()).ReadLine(), ' ');
    ASSERT_EQ(4u, s_addresses.size());
    setenv("PELAGRIN_TEST_CA_FILE", s_addresses[3].utf8_str(), 1);
}

void UpdateCheckTest::TearDownTestSuite()
{
    // The servers end when their input closes.
    s_servers->CloseOutput();
    s_servers->Detach();
    unsetenv("PELAGRIN_TEST_CA_FILE");
}

void UpdateCheckTest::PublishDocument(const wxString& server, const wxString& name, const char* document)
{
    if (document)
        WriteTextFile(s_folder + "/docs/" + name + "-update.xml", document);
    const wxString options = wxString::Format(
        "<options><domain><help>http://help.test/</help><home/><support>http://support.test/</support>"
        "<product/><update>%s/%s</update><download>http://download.test/</download><contact/></domain></options>",
        server, name);
    WriteTextFile(s_folder + "/option.cfg", options);
    delete g_domainOption;
    g_domainOption = new DomainOption(s_folder + "/option.cfg");
    ASSERT_TRUE(g_domainOption->Load() && g_domainOption->ReadValues());
}

wxString UpdateCheckTest::CheckAndAnswer(int answer)
{
    wxString message, caption;
    wxTEST_DIALOG({
        Command(ID_MENU_CHECK_UPDATE);
        EXPECT_TRUE(WaitFor([&] { return !message.empty(); }, 20000));
    }, ExpectMessage(answer, &message, &caption));
    EXPECT_EQ("Pelagrin GIF Animator", caption);
    return message;
}

struct UpdateCase
{
    const char* name;
    int server;            // index of the server's address
    const char* document;  // null: nothing published
    bool trusted;          // whether the server's authority is the test's own
    wxString message;
};

const wxString kLatest = "This version of Pelagrin GIF Animator(2.0.9) is the latest version.";
const wxString kNewer = "A new version of Pelagrin GIF Animator(2.1.0) is available. Click Yes to open download page.";
const wxString kFailed = "Update failed!Please check if the network is available.";
const std::string kTooLarge = std::string(kListedNewer) + std::string(2 * 1024 * 1024, ' ');

const UpdateCase kUpdateCases[] = {
    {"latest", 0, kListed, true, kLatest},
    {"newer", 1, kListedNewer, true, kNewer},
    {"lastattribute", 0, "<u><p v='2.1.0' a='Pelagrin GIF Animator'/></u>", true, kFailed},
    {"twomatches", 1, "<u><p a='Pelagrin GIF Animator' v='3.0'/><p b='Pelagrin GIF Animator' w='2.1.0'/></u>", true, kNewer},
    {"lettercase", 0, "<u><p a='Pelagrin gif Animator' v='2.1.0'/></u>", true, kFailed},
    {"missing", 0, nullptr, true, kFailed},
    {"unknownauthority", 1, kListedNewer, false, kFailed},
    {"toolarge", 0, kTooLarge.c_str(), true, kFailed},
};

TEST_F(UpdateCheckTest, OutcomeFollowsThePublishedDocument)
{
    for (const UpdateCase& check : kUpdateCases)
    {
        SCOPED_TRACE(check.name);
        PublishDocument((check.server == 1 ? "https://" : "http://") + s_addresses[check.server], check.name, check.document);
        if (!check.trusted)
            unsetenv("PELAGRIN_TEST_CA_FILE");
        // No on the question: nothing is opened.
        EXPECT_EQ(check.message, CheckAndAnswer(wxID_NO));
        setenv("PELAGRIN_TEST_CA_FILE", s_addresses[3].utf8_str(), 1);
        EXPECT_EQ("", Opened());
    }
}

TEST_F(UpdateCheckTest, YesOpensTheDownloadPage)
{
    PublishDocument("https://" + s_addresses[1], "yes", kListedNewer);
    EXPECT_EQ(kNewer, CheckAndAnswer(wxID_YES));
    EXPECT_TRUE(WaitFor([] { return Opened() == "http://download.test/"; }));
}

TEST_F(UpdateCheckTest, ResultsSpeakTheWindowsLanguage)
{
    Command(89); // German
    PublishDocument("http://" + s_addresses[0], "german", kListed);
    const wxString message = CheckAndAnswer(wxID_OK);
    Command(kStoredCodeEnglish);
    EXPECT_EQ(wxString::FromUTF8("Diese Version von Pelagrin GIF Animator (2.0.9) ist die neueste."), message);
}

TEST_F(UpdateCheckTest, SilentServerFailsAfterTheTimeoutWhileTheWindowResponds)
{
    setenv("PELAGRIN_TEST_UPDATE_TIMEOUT_MS", "2000", 1);
    PublishDocument("http://" + s_addresses[2], "silent", nullptr);
    bool responded = false;
    wxString message;
    wxStopWatch watch;
    wxTEST_DIALOG({
        Command(ID_MENU_CHECK_UPDATE);
        m_frame->CallAfter([&] { responded = message.empty(); });
        // A second check while one runs is ignored: one message only.
        Command(ID_MENU_CHECK_UPDATE);
        EXPECT_TRUE(WaitFor([&] { return !message.empty(); }, 20000));
    }, ExpectMessage(wxID_OK, &message));
    unsetenv("PELAGRIN_TEST_UPDATE_TIMEOUT_MS");
    EXPECT_TRUE(responded);
    EXPECT_GE(watch.Time(), 2000);
    EXPECT_EQ(kFailed, message);
}

TEST_F(UpdateCheckTest, ClosingDuringACheckNeitherWaitsNorShowsAResult)
{
    setenv("PELAGRIN_TEST_UPDATE_TIMEOUT_MS", "3000", 1);
    PublishDocument("http://" + s_addresses[2], "closing", nullptr);
    Command(ID_MENU_CHECK_UPDATE);
    wxStopWatch watch;
    EXPECT_TRUE(CloseAndWait());
    // Well before the server could have been given up on.
    EXPECT_LT(watch.Time(), 3000);
    EXPECT_NO_DIALOG(WaitFor([] { return false; }, 3500));
    unsetenv("PELAGRIN_TEST_UPDATE_TIMEOUT_MS");
}

TEST_F(UpdateCheckTest, AddressWithoutSchemeDoesNothing)
{
    PublishDocument("127.0.0.1", "noscheme", kListedNewer);
    EXPECT_NO_DIALOG({
        Command(ID_MENU_CHECK_UPDATE);
        WaitFor([] { return false; }, 300);
    });
}

TEST_F(UpdateCheckTest, HelpAndSupportOpenTheirPages)
{
    PublishDocument("http://" + s_addresses[0], "pages", nullptr);
    for (const auto& [command, page] : {std::make_pair(ID_MENU_HELP, "http://help.test/"),
                                        std::make_pair(ID_MENU_SUPPORT, "http://support.test/")})
    {
        ForgetOpened();
        Command(command);
        EXPECT_TRUE(WaitFor([&] { return Opened() == page; })) << page;
    }
}

TEST_F(UpdateCheckTest, CrashReportNamesItsFolderAndOpensIt)
{
    const wxString reports = MakeScratchDir("reports");
    wxString savedTemp;
    const bool hadTemp = wxGetEnv("TMPDIR", &savedTemp);
    wxSetEnv("TMPDIR", reports);
    wxString message;
    wxTEST_DIALOG(WriteCrashReport(), ExpectMessage(wxID_OK, &message));
    hadTemp ? wxSetEnv("TMPDIR", savedTemp) : wxUnsetEnv("TMPDIR");
    wxArrayString zips;
    ASSERT_EQ(1u, wxDir::GetAllFiles(reports, &zips, "*.zip"));
    const wxString folder = wxFileName(zips[0]).GetPath();
    EXPECT_EQ("Application have crashed due to some unknown reasons,\nPlease email the zip crashing report file "
              "that is generated in \n" + folder + "\n to us.", message);
    EXPECT_TRUE(WaitFor([&] { return wxFileName::DirName(Opened()).SameAs(wxFileName::DirName(folder)); }));
    wxFileName::Rmdir(reports, wxPATH_RMDIR_RECURSIVE);
}
} // namespace
