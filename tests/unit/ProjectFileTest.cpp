#include "support/TestEnvironment.h"
#include "window/ProjectFile.h"

#include <gtest/gtest.h>
#include <wx/gdicmn.h>

namespace
{
using Entries = std::vector<wxString>;

ProjectData SampleProject(const Entries& frames)
{
    ProjectData project;
    project.gifName = "clip.gif";
    project.width = 320;
    project.height = 240;
    project.delay = 7;
    project.framePaths = frames;
    return project;
}

ProjectData RoundTrip(const ProjectData& project)
{
    const wxString path = MakeScratchDir("project") + "/p.xml";
    wxString error;
    EXPECT_TRUE(WriteProjectFile(path, project, &error)) << error;
    ProjectData read;
    EXPECT_EQ(ProjectReadStatus::Ok, ReadProjectFile(path, read));
    return read;
}

wxString WriteProjectText(const wxString& text)
{
    const wxString path = MakeScratchDir("project") + "/p.xml";
    WriteTextFile(path, text);
    return path;
}
} // namespace

TEST(ProjectFile, MarkersFollowRunsOfGifFramesAndReloadGivesBackTheFrames)
{
    const std::pair<Entries, Entries> cases[] = {
        {{"/a.png", "/X.gif_0", "/X.gif_1", "/b.png"}, {"/a.png", "/X.gif_0", "/X.gif_1", "/X.gif", "/b.png"}},
        // A run that reaches the end gets its marker before the last frame.
        {{"/a.png", "/X.gif_0", "/X.gif_1"}, {"/a.png", "/X.gif_0", "/X.gif", "/X.gif_1"}},
        {{"/a.png", "/X.gif_4"}, {"/a.png", "/X.gif_4"}},
        {{"/X.gif_12", "/X.gif_123", "/my_pics/b.png"}, {"/X.gif_12", "/X.gif_123", "/X.gif", "/my_pics/b.png"}},
        // Two GIFs one after the other each get their marker.
        {{"/X.gif_0", "/Y.gif_0", "/c.png"}, {"/X.gif_0", "/X.gif", "/Y.gif_0", "/Y.gif", "/c.png"}},
    };
    for (const auto& [frames, entries] : cases)
    {
        SCOPED_TRACE(frames[0] + " " + frames[1]);
        EXPECT_EQ(entries, ProjectEntriesWithMarkers(frames));
        const ProjectData read = RoundTrip(SampleProject(frames));
        EXPECT_EQ(frames, read.framePaths);
        EXPECT_EQ("clip.gif", read.gifName);
        EXPECT_EQ(wxSize(320, 240), wxSize(read.width, read.height));
        EXPECT_EQ(7, read.delay);
    }
}

TEST(ProjectFile, KeepsSpecialAndNonAsciiPathsAndManyEntries)
{
    Entries frames = {wxString::FromUTF8("/home/å/图片/<a&b>\"c'.png"), wxString::FromUTF8("/tmp/日本語.gif_3")};
    for (int i = 0; i < 5000; ++i)
        frames.push_back(wxString::Format("/frames/f%05d.png", i));
    EXPECT_EQ(frames, RoundTrip(SampleProject(frames)).framePaths);
}

TEST(ProjectFile, FilesThatAreNotProjectsAreRefused)
{
    const wxString gif = "<gif><width>1</width><height>1</height><delay_time>1</delay_time></gif>";
    const wxString notProjects[] = {
        "this is not XML at all",
        "<?xml version=\"1.0\"?><project><name>a</name><gif><width>1</width>", // truncated
        "<projekt><name/>" + gif + "<images><path>/a.png</path></images></projekt>",
        "<project><name/><gif><width>1</width><height>1</height></gif><images><path>/a.png</path></images></project>",
        "<project><name/>" + gif + "</project>",
        "<project><name/>" + gif + "<images><file>/a.png</file></images></project>",
    };
    ProjectData project;
    for (const wxString& text : notProjects)
        EXPECT_EQ(ProjectReadStatus::NotAProject, ReadProjectFile(WriteProjectText(text), project)) << text;
    EXPECT_EQ(ProjectReadStatus::NotAProject, ReadProjectFile(MakeScratchDir("project"), project));
    EXPECT_EQ(ProjectReadStatus::NotAProject, ReadProjectFile("/dev/null", project));
}

TEST(ProjectFile, EmptyImagesAndNumbersReadByLeadingDigits)
{
    ProjectData project;
    EXPECT_EQ(ProjectReadStatus::NoImages,
              ReadProjectFile(WriteProjectText("<?xml version=\"1.0\"?><project><name>n.gif</name><gif>"
                                               "<width>400px</width><height>x</height><delay_time>25</delay_time>"
                                               "</gif><images/></project>"),
                              project));
    EXPECT_EQ("n.gif", project.gifName);
    EXPECT_EQ(400, project.width);
    EXPECT_EQ(0, project.height);
    EXPECT_EQ(25, project.delay);
}

TEST(ProjectFile, TitleBaseDropsALowerCaseXmlSuffix)
{
    EXPECT_EQ("anim", ProjectTitleBase("anim.xml"));
    EXPECT_EQ("", ProjectTitleBase("anim.XML"));
    EXPECT_EQ("anim.XML", ProjectTitleBase("anim.XML.xml"));
}
