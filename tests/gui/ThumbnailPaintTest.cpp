// Painting of the strip, checked on pixels rendered into a bitmap and read
// back from the screen.
#include "gui/StripTestSupport.h"
#include "support/TestImages.h"

#include <wx/dcmemory.h>
#include <wx/settings.h>

#include <cstdlib>

namespace
{
const wxColour kStripBackground(176, 223, 227);

std::string Rgb(const wxColour& colour)
{
    return "rgb(" + std::to_string(colour.Red()) + ", " + std::to_string(colour.Green()) + ", " +
           std::to_string(colour.Blue()) + ")";
}

std::string PixelAt(const wxImage& image, int x, int y)
{
    return Rgb(wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)));
}

// Whether any pixel of the area has the colour, each channel within the
// tolerance (dotted lines are blended).
bool AreaHasColour(const wxImage& image, const wxRect& area, const wxColour& colour, int tolerance = 0)
{
    for (int y = area.GetTop(); y <= area.GetBottom(); ++y)
    {
        for (int x = area.GetLeft(); x <= area.GetRight(); ++x)
        {
            if (std::abs(image.GetRed(x, y) - colour.Red()) <= tolerance &&
                std::abs(image.GetGreen(x, y) - colour.Green()) <= tolerance &&
                std::abs(image.GetBlue(x, y) - colour.Blue()) <= tolerance)
                return true;
        }
    }
    return false;
}

// The text lines of a cell: the file name above the picture, the caption
// below it.
wxRect NameBand(const wxThumbnailCtrl* strip, int n)
{
    wxRect cell;
    strip->GetItemRect(n, cell);
    const int margin = strip->GetMargin();
    return wxRect(cell.x + margin, cell.y + margin, cell.width - 2 * margin, strip->GetTextHeight());
}

wxRect CaptionBand(const wxThumbnailCtrl* strip, int n)
{
    wxRect cell;
    strip->GetItemRect(n, cell);
    const wxRect name = NameBand(strip, n);
    return wxRect(name.x, cell.GetBottom() + 1 - strip->GetMargin() - name.height, name.width, name.height);
}

// Whether a text line of an unselected cell shows the text drawn from the
// band's top-left corner and cut at its edges, with only item background
// beside it up to the cell's borders.
::testing::AssertionResult LineShows(const wxThumbnailCtrl* strip, const wxImage& rendered, const wxRect& band,
                                     const wxString& text, const wxColour& colour)
{
    const int margin = strip->GetMargin();
    const wxRect line(band.x - margin + 1, band.y, band.width + 2 * margin - 2, band.height);
    wxBitmap expected(rendered);
    {
        wxMemoryDC dc(expected);
        dc.SetBrush(wxBrush(strip->GetItemBackgroundColour()));
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.DrawRectangle(line);
        dc.SetClippingRegion(band);
        dc.SetFont(strip->GetFont());
        dc.SetTextForeground(colour);
        dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        dc.DrawText(text, band.GetTopLeft());
    }
    return SamePixels(expected.ConvertToImage().GetSubImage(line), rendered.GetSubImage(line));
}
} // namespace

TEST_F(StripTest, EmptyStripPaintsOnlyItsBackground)
{
    m_strip->SetBackgroundColour(kStripBackground);
    const wxImage image = RenderStrip(m_strip, true);
    EXPECT_FALSE(AreaHasColour(image, wxRect(image.GetSize()), *wxBLACK));
    for (const wxPoint& point : {wxPoint(0, 0), wxPoint(150, 300), wxPoint(299, 599)})
        EXPECT_EQ(Rgb(kStripBackground), PixelAt(image, point.x, point.y));

    m_strip->Refresh();
    EXPECT_TRUE(WaitUntilShownAsDrawn(m_strip));
}

TEST_F(StripTest, CellLookFollowsSelectionAndFocus)
{
    FillStrip(m_strip, m_dir, 3);
    m_strip->Select(1);
    m_strip->SetFocusItem(2);
    wxRect plain, selected, focusedPicture;
    m_strip->GetItemRect(0, plain);
    m_strip->GetItemRect(1, selected);
    m_strip->GetItemRectImage(2, focusedPicture);
    const wxImage focused = RenderStrip(m_strip, true);
    const wxImage unfocused = RenderStrip(m_strip, false);

    EXPECT_EQ(Rgb(wxColour(140, 140, 140)), PixelAt(focused, selected.x + 1, selected.y + 1));
    EXPECT_EQ(Rgb(wxColour(175, 175, 175)), PixelAt(unfocused, selected.x + 1, selected.y + 1));
    EXPECT_EQ(Rgb(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)), PixelAt(unfocused, plain.x + 1, plain.y + 1));
    // Selected cells look sunken, the others raised.
    EXPECT_EQ(Rgb(*wxBLACK), PixelAt(focused, selected.x, selected.y + 20));
    EXPECT_EQ(Rgb(*wxWHITE), PixelAt(focused, selected.GetRight(), selected.y + 20));
    EXPECT_EQ(Rgb(*wxWHITE), PixelAt(focused, plain.x + 20, plain.y));
    EXPECT_EQ(Rgb(*wxBLACK), PixelAt(focused, plain.x + 20, plain.GetBottom()));
    // The dotted focus rectangle round the picture, only while the strip has
    // the keyboard focus.
    const wxRect leftOfPicture(focusedPicture.x - 1, focusedPicture.y, 1, focusedPicture.height);
    EXPECT_TRUE(AreaHasColour(focused, leftOfPicture, m_strip->GetFocusRectColour(), 40));
    EXPECT_FALSE(AreaHasColour(unfocused, leftOfPicture, m_strip->GetFocusRectColour(), 40));
}

TEST_F(StripTest, CaptionShowsNumberAndStartTime)
{
    FillStrip(m_strip, m_dir, 4, 10);
    const wxRect band = CaptionBand(m_strip, 3);
    const wxImage rendered = RenderStrip(m_strip, false);
    ASSERT_TRUE(AreaHasColour(rendered, band, m_strip->GetCaptionColour()));
    EXPECT_TRUE(LineShows(m_strip, rendered, band, "#4  0.30sec", m_strip->GetCaptionColour()));
}

TEST_F(StripTest, CellShowsItsNameCaptionAndCentredPicture)
{
    const wxString longName = "a-file-name-far-wider-than-any-cell.png";
    m_strip->Append(MakePictureItem(m_dir, "frame", wxSize(60, 40), *wxRED), 0);
    m_strip->Append(MakePictureItem(m_dir, "b.png"), 0);
    m_strip->Append(MakePictureItem(m_dir, longName), 0);
    m_strip->Select(1);
    const wxImage image = RenderStrip(m_strip, true);

    // A name without extension gets no caption.
    EXPECT_TRUE(AreaHasColour(image, NameBand(m_strip, 0), *wxBLACK));
    EXPECT_FALSE(AreaHasColour(image, CaptionBand(m_strip, 0), m_strip->GetCaptionColour()));
    EXPECT_FALSE(AreaHasColour(image, CaptionBand(m_strip, 0), *wxBLACK));
    // A small picture keeps its size and sits in the middle.
    wxRect picture;
    m_strip->GetItemRectImage(0, picture);
    const std::string red = Rgb(*wxRED);
    EXPECT_EQ(red, PixelAt(image, picture.x + 10, picture.y + 20));
    EXPECT_EQ(red, PixelAt(image, picture.x + 69, picture.y + 59));
    EXPECT_NE(red, PixelAt(image, picture.x + 9, picture.y + 20));
    EXPECT_NE(red, PixelAt(image, picture.x + 70, picture.y + 59));
    EXPECT_NE(red, PixelAt(image, picture.x + 10, picture.y + 19));

    // Selected: white texts.
    EXPECT_TRUE(AreaHasColour(image, NameBand(m_strip, 1), *wxWHITE));
    EXPECT_TRUE(AreaHasColour(image, CaptionBand(m_strip, 1), *wxWHITE));
    EXPECT_FALSE(AreaHasColour(image, CaptionBand(m_strip, 1), m_strip->GetCaptionColour()));

    // A name wider than the cell starts at the left and is cut at the margin.
    EXPECT_TRUE(LineShows(m_strip, image, NameBand(m_strip, 2), longName, *wxBLACK));
}

TEST_F(StripTest, WindowShowsWhatThePaintStepDraws)
{
    SetStripClientSize(320, 300);
    m_strip->SetBackgroundColour(kStripBackground);
    FillStrip(m_strip, m_dir, 20, 10);
    m_strip->ApplyClickSelection(4, 0);
    m_strip->ApplyClickSelection(6, THUMB_MOD_CONTROL);
    m_strip->Scroll(0, 7);
    EXPECT_TRUE(WaitUntilShownAsDrawn(m_strip));
    // Selection changes repaint single cells.
    m_strip->ApplyClickSelection(8, 0);
    EXPECT_TRUE(WaitUntilShownAsDrawn(m_strip));
}
