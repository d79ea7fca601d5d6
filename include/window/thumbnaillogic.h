// The parts of the thumbnail strip that need no window: the cell grid, key
// navigation, thumbnail sizing and the texts of a cell. Kept apart so that
// they can be checked without a display.
#pragma once

#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/string.h>

#include <vector>

// The strip lays its cells out left to right and wraps them into rows, with
// `spacing` pixels between cells and before the first row and column.
struct ThumbnailGrid
{
    int itemWidth = 0;
    int itemHeight = 0;
    int spacing = 0;

    int ColumnPitch() const { return itemWidth + spacing; }
    int RowPitch() const { return itemHeight + spacing; }

    // Whole columns that fit the width, at least one so that a narrow
    // window still shows its items.
    int Columns(int clientWidth) const;
    // Whole rows that fit the height, at least one.
    int VisibleRows(int clientHeight) const;
    int RowOf(int index, int clientWidth) const;
    int ColumnOf(int index, int clientWidth) const;
    // The cell of an item in unscrolled coordinates.
    wxRect CellRect(int index, int clientWidth) const;
    // The item whose cell, together with the spacing above and left of it,
    // holds the unscrolled point; -1 for none. The band right of the last
    // whole column belongs to no item.
    int ItemAt(const wxPoint& point, int clientWidth, int count) const;
    // Height of the rows holding `count` items, spacing included; 0 when
    // there are none.
    int TotalHeight(int count, int clientWidth) const;
    // The gap (0 to count) where items dropped at an unscrolled point go:
    // before the cell under the point when it is in the cell's left half,
    // after it in the right half, and at the end past the last item.
    int GapAt(const wxPoint& point, int clientWidth, int count) const;
    // Where the insertion mark of a gap is drawn: a bar in the spacing left
    // of the cell that follows the gap, or right of the last cell.
    wxRect GapMarkRect(int gap, int clientWidth, int count) const;
};

// The order after the selected items move, as one block in their list
// order, into the gap `gap` of the present order: entry i is the old index
// of the item that ends up at i. Invalid indices are ignored.
std::vector<int> OrderAfterMove(int count, std::vector<int> selected, int gap);

// The gap a selection moves to when it steps one place left (step -1) or
// right (step +1), or -1 when it is already at that end.
int StepGap(int count, const std::vector<int>& selected, int step);

// The item a navigation key (WXK_LEFT, WXK_RIGHT, WXK_UP, WXK_DOWN, WXK_HOME,
// WXK_END, WXK_PAGEUP, WXK_PAGEDOWN) moves to from a valid current item, or
// -1 when the key leads past the ends of the list. `rows` is the number of
// whole rows on one page.
int NavigationTarget(int keyCode, int current, int count, int columns, int rows);

// The size of a picture scaled down, never up, to fit into maxWidth x
// maxHeight with its proportions kept; each side truncated, so a very thin
// picture can get a side of 0.
wxSize FitThumbnailSize(const wxSize& picture, int maxWidth, int maxHeight);

// A copy of the image scaled to FitThumbnailSize, each pixel the average of
// those it covers (nearest-neighbour for a picture with a mask colour), the
// image itself when it fits already, and an invalid image when a side would
// be 0 pixels.
wxImage ScaleImageToFit(const wxImage& image, int maxWidth, int maxHeight);

// The path an item keeps for a frame: a frame of a ".gif" file is named by
// the file's path, "_" and its frame number ("anim.gif_3"). Only a lower-case
// ".gif" ending counts. A video clip's frame is named likewise by its time in
// milliseconds ("clip.mp4_1240").
wxString ThumbnailItemPath(const wxString& sourcePath, int frameIndex);

// The caption under a cell: the frame's number counted from 1 and its start
// time, given in hundredths of a second, in seconds.
wxString FrameCaption(int index, int startTime);
// The caption of the last of count frames, starting at lastStartTime, with
// every digit made a 9: the widest caption of the strip, and the same text
// for as long as the digits only change.
wxString CaptionWidthPattern(int count, int lastStartTime);
