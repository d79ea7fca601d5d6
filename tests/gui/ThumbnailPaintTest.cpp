// Painting of the strip, checked on pixels rendered into a bitmap and read
// back from the screen.
#include "gui/StripTestSupport.h"
#include "support/TestEnvironment.h"

#include <wx/dcmemory.h>
#include <wx/settings.h>

namespace
{
const wxColour kStripBackground(176, 223, 227);

wxRect CaptionBand(const wxThumbnailCtrl* strip, const wxRect& cell)
{
    const int margin = strip->GetMargin();
    const int band = strip->GetTextHeight() + 2 * margin;
    return wxRect(cell.x + margin, cell.GetBottom() + 1 - band + margin, cell.width - 2 * margin,
                  band - 2 * margin);
}

wxRect NameBand(const wxThumbnailCtrl* strip, const wxRect& cell)
{
    const int margin = strip->GetMargin();
    return wxRect(cell.x + margin, cell.y + margin, cell.width - 2 * margin, strip->GetTextHeight());
}
} // namespace

TEST_F(StripTest, EmptyStripPaintsOnlyItsBackground)
{
    m_strip->SetBackgroundColour(kStripBackground);
    const wxImage image = RenderStrip(m_strip, true);
    const wxRect all(image.GetSize());
    EXPECT_FALSE(AreaHasColour(image, all, *wxBLACK));
    for (const wxPoint& point : {wxPoint(0, 0), wxPoint(150, 300), wxPoint(299, 599)})
        EXPECT_EQ(Rgb(kStripBackground), PixelAt(image, point.x, point.y));

    m_strip->Refresh();
    EXPECT_EQ("same", WaitUntilShownAsDrawn(m_strip));
}

TEST_F(StripTest, SelectedCellColourFollowsTheFocus)
{
    FillStrip(m_strip, m_dir, 3);
    m_strip->Select(1);
    m_strip->SetFocusItem(2);
    wxRect selected, plain;
    m_strip->GetItemRect(1, selected);
    m_strip->GetItemRect(0, plain);

    const wxImage focused = RenderStrip(m_strip, true);
    EXPECT_EQ(Rgb(140, 140, 140), PixelAt(focused, selected.x + 1, selected.y + 1));
    const wxImage unfocused = RenderStrip(m_strip, false);
    EXPECT_EQ(Rgb(175, 175, 175), PixelAt(unfocused, selected.x + 1, selected.y + 1));
    EXPECT_EQ(Rgb(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)),
              PixelAt(unfocused, plain.x + 1, plain.y + 1));

    // Selected cells look sunken, the others raised.
    EXPECT_EQ(Rgb(0, 0, 0), PixelAt(focused, selected.x, selected.y + 20));
    EXPECT_EQ(Rgb(255, 255, 255), PixelAt(focused, selected.GetRight(), selected.y + 20));
    EXPECT_EQ(Rgb(255, 255, 255), PixelAt(focused, plain.x + 20, plain.y));
    EXPECT_EQ(Rgb(0, 0, 0), PixelAt(focused, plain.x + 20, plain.GetBottom()));
}

TEST_F(StripTest, FocusRectangleIsDrawnOnlyWhileTheStripHasTheFocus)
{
    FillStrip(m_strip, m_dir, 3);
    m_strip->SetFocusItem(2);
    wxRect picture;
    m_strip->GetItemRectImage(2, picture);
    const wxRect leftEdge(picture.x - 1, picture.y, 1, picture.height);
    const wxColour focusColour(100, 80, 80);
    EXPECT_TRUE(AreaHasColour(RenderStrip(m_strip, true), leftEdge, focusColour, 40));
    EXPECT_FALSE(AreaHasColour(RenderStrip(m_strip, false), leftEdge, focusColour, 40));
}

TEST_F(StripTest, SmallPictureIsCentredInThePictureArea)
{
    m_strip->Append(MakePictureItem(m_dir, "small.png", wxSize(60, 40), *wxRED), 0);
    wxRect picture;
    m_strip->GetItemRectImage(0, picture);
    const wxImage image = RenderStrip(m_strip, false);
    EXPECT_EQ(Rgb(255, 0, 0), PixelAt(image, picture.x + 10, picture.y + 20));
    EXPECT_EQ(Rgb(255, 0, 0), PixelAt(image, picture.x + 69, picture.y + 59));
    EXPECT_NE(Rgb(255, 0, 0), PixelAt(image, picture.x + 9, picture.y + 20));
    EXPECT_NE(Rgb(255, 0, 0), PixelAt(image, picture.x + 70, picture.y + 59));
    EXPECT_NE(Rgb(255, 0, 0), PixelAt(image, picture.x + 10, picture.y + 19));
}

TEST_F(StripTest, CaptionShowsNumberAndStartTime)
{
    FillStrip(m_strip, m_dir, 4, 10);
    wxRect cell;
    m_strip->GetItemRect(3, cell);
    const wxRect band = CaptionBand(m_strip, cell);
    const wxImage rendered = RenderStrip(m_strip, false);
    ASSERT_TRUE(AreaHasColour(rendered, band, m_strip->GetCaptionColour()));

    // The same band painted with the expected text.
    wxBitmap expected(rendered);
    {
        wxMemoryDC dc(expected);
        dc.SetBrush(wxBrush(m_strip->GetItemBackgroundColour()));
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.DrawRectangle(band);
        dc.SetClippingRegion(band);
        dc.SetFont(m_strip->GetFont());
        dc.SetTextForeground(m_strip->GetCaptionColour());
        dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        dc.DrawText("#4  0.30sec", band.GetTopLeft());
    }
    EXPECT_EQ("same", FirstDifference(rendered, expected.ConvertToImage(), band));
}

TEST_F(StripTest, SelectedCellHasWhiteTextAndNamesWithoutExtensionNoCaption)
{
    m_strip->Append(MakePictureItem(m_dir, "frame"), 0);
    m_strip->Append(MakePictureItem(m_dir, "b.png"), 0);
    m_strip->Select(1);
    wxRect bare, selected;
    m_strip->GetItemRect(0, bare);
    m_strip->GetItemRect(1, selected);
    const wxImage image = RenderStrip(m_strip, true);

    EXPECT_TRUE(AreaHasColour(image, NameBand(m_strip, bare), *wxBLACK));
    EXPECT_FALSE(AreaHasColour(image, CaptionBand(m_strip, bare), m_strip->GetCaptionColour()));
    EXPECT_FALSE(AreaHasColour(image, CaptionBand(m_strip, bare), *wxBLACK));

    EXPECT_TRUE(AreaHasColour(image, NameBand(m_strip, selected), *wxWHITE));
    EXPECT_TRUE(AreaHasColour(image, CaptionBand(m_strip, selected), *wxWHITE));
    EXPECT_FALSE(AreaHasColour(image, CaptionBand(m_strip, selected), m_strip->GetCaptionColour()));
}

TEST_F(StripTest, LongFileNameStartsAtTheLeftAndIsCutAtTheCellMargin)
{
    m_strip->Append(MakePictureItem(m_dir, "a-file-name-far-wider-than-any-cell.png"), 0);
    wxRect cell;
    m_strip->GetItemRect(0, cell);
    const wxRect name = NameBand(m_strip, cell);
    const wxImage image = RenderStrip(m_strip, false);
    EXPECT_TRUE(AreaHasColour(image, wxRect(name.x, name.y, 3, name.height), *wxBLACK));
    // Between the clipped text and the black right border.
    const wxRect rightMargin(name.GetRight() + 1, name.y, cell.GetRight() - name.GetRight() - 1, name.height);
    EXPECT_FALSE(AreaHasColour(image, rightMargin, *wxBLACK));
}

TEST_F(StripTest, WindowShowsWhatThePaintStepDraws)
{
    SetStripClientSize(320, 300);
    m_strip->SetBackgroundColour(kStripBackground);
    FillStrip(m_strip, m_dir, 20, 10);
    m_strip->ApplyClickSelection(4, 0);
    m_strip->ApplyClickSelection(6, THUMB_MOD_CONTROL);
    m_strip->Scroll(0, 7);
    EXPECT_EQ("same", WaitUntilShownAsDrawn(m_strip));
    // Selection changes repaint single cells.
    m_strip->ApplyClickSelection(8, 0);
    EXPECT_EQ("same", WaitUntilShownAsDrawn(m_strip));
}
