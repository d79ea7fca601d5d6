#include "support/TestEnvironment.h"
#include "window/GifOptionsFile.h"
#include "window/ProjectFile.h"

#include <gtest/gtest.h>
#include <wx/xml/xml.h>

#include <ostream>

void PrintTo(const GifOptions& options, std::ostream* out)
{
    *out << "{quality " << options.quality << ", dithering " << options.dithering << ", changed only "
         << options.storeChangedOnly << ", repeat " << options.repeat << "}";
}

namespace
{
GifOptions Options(int quality, int dithering, bool changedOnly, int repeat)
{
    GifOptions options;
    options.quality = quality;
    options.dithering = dithering;
    options.storeChangedOnly = changedOnly;
    options.repeat = repeat;
    return options;
}
} // namespace

TEST(GifOptionsFile, DefaultsAreReadWithinRangeAndAnythingUnreadableKeepsTheProgramDefaults)
{
    const GifOptions defaults;
    const std::pair<const char*, GifOptions> cases[] = {
        {"<gif_options><quality>40</quality><dithering>0</dithering><changed_only>0</changed_only>"
         "<repeat>3</repeat></gif_options>",
         Options(40, 0, false, 3)},
        // Out of range: brought into it; negative or empty: the default.
        {"<gif_options><quality>0</quality><dithering>250</dithering><repeat>70000</repeat></gif_options>",
         Options(1, 100, true, 65535)},
        {"<gif_options><quality>-5</quality><dithering/><repeat> 7 </repeat></gif_options>", Options(90, 100, true, 7)},
        // Elements of a later version are passed over.
        {"<gif_options><palette>global</palette><quality>75</quality></gif_options>", Options(75, 100, true, 0)},
        {"<options><quality>40</quality></options>", defaults},
        {"not XML", defaults},
    };
    const wxString path = MakeScratchDir("options") + "/gif-options.xml";
    for (const auto& [text, expected] : cases)
    {
        SCOPED_TRACE(text);
        WriteTextFile(path, text);
        EXPECT_EQ(expected, ReadGifOptionsFile(path));
    }
    EXPECT_EQ(defaults, ReadGifOptionsFile(path + ".missing"));

    const GifOptions chosen = Options(55, 30, false, 2);
    wxString error;
    ASSERT_TRUE(WriteGifOptionsFile(path, chosen, &error)) << error;
    EXPECT_EQ(chosen, ReadGifOptionsFile(path));
    EXPECT_FALSE(WriteGifOptionsFile(path + ".missing/gif-options.xml", chosen, &error));
    EXPECT_FALSE(error.empty());
}

TEST(GifOptionsFile, ProjectsKeepTheirOptionsAfterTheImagesAndOlderProjectsHaveNone)
{
    const wxString dir = MakeScratchDir("options");
    ProjectData project;
    project.width = 30;
    project.height = 20;
    project.framePaths = {"/a.png", "/b.png"};
    project.gifOptions = Options(70, 50, false, 4);
    project.hasGifOptions = true;
    wxString error;
    ASSERT_TRUE(WriteProjectFile(dir + "/new.xml", project, &error)) << error;

    // A reader that walks name, gif, images by position never meets them.
    wxXmlDocument document(dir + "/new.xml");
    wxString order;
    for (const wxXmlNode* child = document.GetRoot()->GetChildren(); child; child = child->GetNext())
        order += child->GetName() + " ";
    EXPECT_EQ("name gif images gif_options ", order);

    ProjectData read;
    ASSERT_EQ(ProjectReadStatus::Ok, ReadProjectFile(dir + "/new.xml", read));
    EXPECT_TRUE(read.hasGifOptions);
    EXPECT_EQ(project.gifOptions, read.gifOptions);
    EXPECT_EQ(project.framePaths, read.framePaths);

    const wxString older = "<project><name/><gif><width>1</width><height>1</height><delay_time>1</delay_time>"
                           "</gif><images><path>/a.png</path></images></project>";
    WriteTextFile(dir + "/older.xml", older);
    ASSERT_EQ(ProjectReadStatus::Ok, ReadProjectFile(dir + "/older.xml", read));
    EXPECT_FALSE(read.hasGifOptions);
    EXPECT_EQ(GifOptions(), read.gifOptions);
}
