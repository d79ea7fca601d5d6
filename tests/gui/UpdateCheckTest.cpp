// Help > "Check for Update", "Help" and "Support" against servers of our own
// on 127.0.0.1, and the crash report's message. A stand-in xdg-open on PATH
// records what would have been handed to the browser or file manager.
#include "app/CrashReport.h"
#include "app/DomainOption.h"
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
#include <memory>

namespace
{
const char* const kListed = "<u><p a='Pelagrin GIF Animator' v='%s'/></u>";

struct Servers
{
    std::unique_ptr<wxProcess> process;
    wxString http, https, silent, authority;
};

class UpdateCheckTest : public MainWindowTest
{
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Points the option holder at the update document "<name>-update.xml"
    // of the given server, written with the given text first.
    void PublishDocument(const wxString& server, const wxString& name, const wxString& document);
    // Runs "Check for Update" and answers the message it ends with.
    wxString CheckAndAnswer(int answer);
    static wxString Opened()
    {
        return wxFileExists(s_folder + "/opened") ? ReadTextFile(s_folder + "/opened") : wxString();
    }
    static void ForgetOpened()
    {
        if (wxFileExists(s_folder + "/opened"))
            wxRemoveFile(s_folder + "/opened");
    }

    static wxString s_folder;
    static Servers s_servers;
    DomainOption* m_savedOption = nullptr;
};

wxString UpdateCheckTest::s_folder;
Servers UpdateCheckTest::s_servers;

void UpdateCheckTest::SetUpTestSuite()
{
    s_folder = MakeScratchDir("update");
    wxFileName::Mkdir(s_folder + "/docs");
    wxFileName::Mkdir(s_folder + "/bin");
    WriteTextFile(s_folder + "/bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + s_folder + "/opened'\n");
    wxFileName(s_folder + "/bin/xdg-open").SetPermissions(wxPOSIX_USER_READ | wxPOSIX_USER_WRITE | wxPOSIX_USER_EXECUTE);
    setenv("PATH", (s_folder + "/bin:" + wxGetenv("PATH")).utf8_str(), 1);

    s_servers.process.reset(new wxProcess);
    s_servers.process->Redirect();
    const wxString script = wxString(PELAGRIN_TEST_SOURCE_DIR) + "/gui/update-servers.py";
    ASSERT_NE(0, wxExecute("python3 " + script + " " + s_folder + "/docs " + s_folder + "/tls", wxEXEC_ASYNC,
                           s_servers.process.get()));
    ASSERT_TRUE(WaitFor([] { return s_servers.process->IsInputAvailable(); }, 30000));
    wxTextInputStream ports(*s_servers.process->GetInputStream());
    for (wxString field : wxSplit(ports.ReadLine(), ' '))
    {
        const wxString value = field.AfterFirst('=');
        wxString& target = field.StartsWith("https") ? s_servers.https : field.StartsWith("http") ? s_servers.http
                           : field.StartsWith("silent") ? s_servers.silent : s_servers.authority;
        target = field.StartsWith("ca") ? value : "127.0.0.1:" + value;
    }
    setenv("PELAGRIN_TEST_CA_FILE", s_servers.authority.utf8_str(), 1);
}

void UpdateCheckTest::TearDownTestSuite()
{
    // The servers end when their input closes.
    if (s_servers.process)
        s_servers.process->CloseOutput();
    s_servers.process.release()->Detach();
    unsetenv("PELAGRIN_TEST_CA_FILE");
}

void UpdateCheckTest::SetUp()
{
    MainWindowTest::SetUp();
    m_savedOption = g_domainOption;
    g_domainOption = nullptr;
    ForgetOpened();
}

void UpdateCheckTest::TearDown()
{
    MainWindowTest::TearDown();
    delete g_domainOption;
    g_domainOption = m_savedOption;
}

void UpdateCheckTest::PublishDocument(const wxString& server, const wxString& name, const wxString& document)
{
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
    const char* server;  // "http" or "https"
    wxString document;
    bool trusted;        // whether the server's authority is the test's own
    wxString message;
};

const wxString kLatest = "This version of Pelagrin GIF Animator(2.0.9) is the latest version.";
const wxString kNewer = "A new version of Pelagrin GIF Animator(2.1.0) is available. Click Yes to open download page.";
const wxString kFailed = "Update failed!Please check if the network is available.";

const UpdateCase kUpdateCases[] = {
    {"latest", "http", wxString::Format(kListed, "2.0.9"), true, kLatest},
    {"newer", "https", wxString::Format(kListed, "2.1.0"), true, kNewer},
    {"lastattribute", "http", "<u><p v='2.1.0' a='Pelagrin GIF Animator'/></u>", true, kFailed},
    {"twomatches", "https", "<u><p a='Pelagrin GIF Animator' v='3.0'/><p b='Pelagrin GIF Animator' w='2.1.0'/></u>", true, kNewer},
    {"lettercase", "http", "<u><p a='Pelagrin gif Animator' v='2.1.0'/></u>", true, kFailed},
    {"unknownauthority", "https", wxString::Format(kListed, "2.1.0"), false, kFailed},
    {"toolarge", "http", wxString::Format(kListed, "2.1.0") + wxString(' ', 2 * 1024 * 1024), true, kFailed},
};

TEST_F(UpdateCheckTest, OutcomeFollowsThePublishedDocument)
{
    for (const UpdateCase& check : kUpdateCases)
    {
        SCOPED_TRACE(check.name);
        const wxString server = wxString(check.server) == "https" ? "https://" + s_servers.https : "http://" + s_servers.http;
        PublishDocument(server, check.name, check.document);
        if (!check.trusted)
            unsetenv("PELAGRIN_TEST_CA_FILE");
        // No on the question: nothing is opened.
        EXPECT_EQ(check.message, CheckAndAnswer(wxID_NO));
        setenv("PELAGRIN_TEST_CA_FILE", s_servers.authority.utf8_str(), 1);
        EXPECT_FALSE(wxFileExists(s_folder + "/opened"));
    }
}

TEST_F(UpdateCheckTest, YesOpensTheDownloadPage)
{
    PublishDocument("https://" + s_servers.https, "yes", wxString::Format(kListed, "2.1.0"));
    EXPECT_EQ(kNewer, CheckAndAnswer(wxID_YES));
    EXPECT_TRUE(WaitFor([] { return Opened() == "http://download.test/"; }));
}

TEST_F(UpdateCheckTest, MissingDocumentFails)
{
    PublishDocument("http://" + s_servers.http, "present", "");
    wxRemoveFile(s_folder + "/docs/present-update.xml");
    EXPECT_EQ(kFailed, CheckAndAnswer(wxID_OK));
}

TEST_F(UpdateCheckTest, SilentServerFailsAfterTheTimeoutWhileTheWindowResponds)
{
    setenv("PELAGRIN_TEST_UPDATE_TIMEOUT_MS", "2000", 1);
    PublishDocument("http://" + s_servers.silent, "silent", "");
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
    PublishDocument("http://" + s_servers.silent, "closing", "");
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
    PublishDocument("127.0.0.1", "noscheme", wxString::Format(kListed, "2.1.0"));
    EXPECT_NO_DIALOG({
        Command(ID_MENU_CHECK_UPDATE);
        WaitFor([] { return false; }, 300);
    });
}

TEST_F(UpdateCheckTest, HelpAndSupportOpenTheirPages)
{
    PublishDocument("http://" + s_servers.http, "pages", "");
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
    const wxString savedTemp = wxGetenv("TMPDIR");
    setenv("TMPDIR", reports.utf8_str(), 1);
    wxString message;
    wxTEST_DIALOG(WriteCrashReport(), ExpectMessage(wxID_OK, &message));
    setenv("TMPDIR", savedTemp.utf8_str(), 1);
    wxArrayString zips;
    ASSERT_EQ(1u, wxDir::GetAllFiles(reports, &zips, "*.zip"));
    const wxString folder = wxFileName(zips[0]).GetPath();
    EXPECT_EQ("Application have crashed due to some unknown reasons,\nPlease email the zip crashing report file "
              "that is generated in \n" + folder + "\n to us.", message);
    EXPECT_TRUE(WaitFor([&] { return wxFileName::DirName(Opened()).SameAs(wxFileName::DirName(folder)); }));
}
} // namespace
