#include "support/TestEnvironment.h"
#include "window/GifOptionsFile.h"
#include "window/ProjectFile.h"

#include <gtest/gtest.h>
#include <wx/xml/xml.h>

TEST(GifOptionsFile, ValuesAreBroughtIntoRangeAndWhatCannotBeReadKeepsTheDefault)
{
    const std::pair<const char*, GifOptions> cases[] = {
        {"<gif_options><quality>40</quality><dithering>0</dithering><changed_only>0</changed_only>"
         "<repeat>3</repeat></gif_options>",
         GifOptions{40, 0, false, 3}},
        {"<gif_options><quality>0</quality><dithering>250</dithering><repeat>70000</repeat></gif_options>",
         GifOptions{1, 100, true, 65535}},
        // Negative, empty and unknown: passed over.
        {"<gif_options><quality>-5</quality><dithering/><palette>1</palette><repeat> 7 </repeat></gif_options>",
         GifOptions{90, 100, true, 7}},
        {"<options><quality>40</quality></options>", GifOptions()},
        {"not XML", GifOptions()},
    };
    const wxString path = MakeScratchDir("options") + "/gif-options.xml";
    for (const auto& [text, expected] : cases)
    {
        SCOPED_TRACE(text);
        WriteTextFile(path, text);
        EXPECT_EQ(expected, ReadGifOptionsFile(path));
    }
    wxString error;
    ASSERT_TRUE(WriteGifOptionsFile(path, GifOptions{55, 30, false, 2}, &error)) << error;
    EXPECT_EQ((GifOptions{55, 30, false, 2}), ReadGifOptionsFile(path));
}

TEST(GifOptionsFile, ProjectsKeepTheirOptionsLastWhereOlderReadersNeverLook)
{
    const wxString path = MakeScratchDir("options") + "/new.xml";
    ProjectData project;
    project.framePaths = {"/a.png"};
    project.gifOptions = GifOptions{70, 50, false, 4};
    project.hasGifOptions = true;
    wxString error;
    ASSERT_TRUE(WriteProjectFile(path, project, &error)) << error;
    const wxXmlDocument written(path);
    const wxXmlNode* last = written.GetRoot()->GetChildren();
    while (last->GetNext())
        last = last->GetNext();
    EXPECT_EQ("gif_options", last->GetName());
    ProjectData read;
    ASSERT_EQ(ProjectReadStatus::Ok, ReadProjectFile(path, read));
    EXPECT_EQ(project.gifOptions, read.gifOptions);
}
