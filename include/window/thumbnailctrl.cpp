#include "window/thumbnailctrl.h"

#include "app/Trace.h"

#include <wx/dc.h>
#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/region.h>
#include <wx/settings.h>

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

const wxEventType wxEVT_COMMAND_THUMBNAIL_ITEM_SELECTED = wxNewEventType();
const wxEventType wxEVT_COMMAND_THUMBNAIL_ITEM_DESELECTED = wxNewEventType();
const wxEventType wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK = wxNewEventType();
const wxEventType wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK = wxNewEventType();
const wxEventType wxEVT_COMMAND_THUMBNAIL_MIDDLE_CLICK = wxNewEventType();
const wxEventType wxEVT_COMMAND_THUMBNAIL_LEFT_DCLICK = wxNewEventType();
const wxEventType wxEVT_COMMAND_THUMBNAIL_RETURN = wxNewEventType();
const wxEventType wxEVT_COMMAND_THUMBNAIL_ITEMS_MOVING = wxNewEventType();
const wxEventType wxEVT_COMMAND_THUMBNAIL_ITEMS_MOVED = wxNewEventType();

wxIMPLEMENT_ABSTRACT_CLASS(wxThumbnailItem, wxObject);
wxIMPLEMENT_ABSTRACT_CLASS(wxImageThumbnailItem, wxThumbnailItem);
wxIMPLEMENT_DYNAMIC_CLASS(wxThumbnailEvent, wxNotifyEvent);
wxIMPLEMENT_ABSTRACT_CLASS(wxThumbnailCtrl, wxScrolledWindow);

namespace
{
const int kThumbnailCtrlId = 3;
// The strip scrolls vertically in steps of this many pixels.
const int kScrollUnit = 10;

void SetFillColour(wxDC& dc, const wxColour& colour)
{
    dc.SetBrush(wxBrush(colour));
    dc.SetPen(wxPen(colour, 1));
}

// Selected cells look sunken, the others raised.
void DrawCellBorder(wxDC& dc, const wxRect& cell, bool selected)
{
    const int x = cell.x, y = cell.y, w = cell.width, h = cell.height;
    const wxPen& lowerRight = selected ? *wxWHITE_PEN : *wxBLACK_PEN;
    const wxPen& upperLeft = selected ? *wxBLACK_PEN : *wxWHITE_PEN;
    dc.SetPen(lowerRight);
    dc.DrawLine(x + w - 1, y, x + w - 1, y + h - 1);
    // GTK draws the end point of a line too: the bottom edge stops at the
    // cell's last column, or it would leave a pixel outside the rectangle
    // that repaints the cell.
    dc.DrawLine(x, y + h - 1, x + w - 1, y + h - 1);
    dc.SetPen(upperLeft);
    dc.DrawLine(x, y, x + w - 1, y);
    dc.DrawLine(x, y, x, y + h - 1);
}

void DrawFocusRect(wxDC& dc, const wxColour& colour, const wxRect& imageRect)
{
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.SetPen(wxPen(colour, 1, wxPENSTYLE_DOT));
    dc.DrawRectangle(imageRect.x - 1, imageRect.y - 1, imageRect.width + 2, imageRect.height + 2);
}

void PrepareText(wxDC& dc, wxThumbnailCtrl* ctrl, const wxColour& colour)
{
    dc.SetFont(ctrl->GetFont());
    dc.SetTextForeground(colour);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
}

// Height of the text bands above and below the picture area.
int TextBandHeight(const wxRect& cellRect, const wxRect& imageRect)
{
    return (cellRect.height - imageRect.height) / 2;
}

bool KeepsOrder(const std::vector<int>& order)
{
    for (size_t i = 0; i < order.size(); ++i)
    {
        if (order[i] != int(i))
            return false;
    }
    return true;
}

// Where each old index ends up under a new order.
std::vector<int> NewIndices(const std::vector<int>& order)
{
    std::vector<int> newIndex(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        newIndex[order[i]] = int(i);
    return newIndex;
}
} // namespace

// ---------------------------------------------------------------------------
// wxThumbnailItem

wxThumbnailItem::wxThumbnailItem(const wxString& path) : m_path(path)
{
}

bool wxThumbnailItem::DrawImage(wxDC&, wxThumbnailCtrl*, const wxRect&, int)
{
    return false;
}

bool wxThumbnailItem::DrawCell(wxDC& dc, wxThumbnailCtrl* ctrl, const wxRect& cellRect,
                               const wxRect& imageRect, int drawFlags, int index)
{
    const bool selected = (drawFlags & THUMB_DRAW_SELECTED) != 0;
    const wxColour& selectionColour = (drawFlags & THUMB_DRAW_CTRL_FOCUSED)
                                          ? ctrl->GetFocusedSelectionColour()
                                          : ctrl->GetUnfocusedSelectionColour();
    SetFillColour(dc, selected ? selectionColour : ctrl->GetItemBackgroundColour());
    dc.DrawRectangle(cellRect);
    DrawCellBorder(dc, cellRect, selected);
    DrawFileName(dc, ctrl, cellRect, imageRect, selected);
    DrawCaption(dc, ctrl, cellRect, imageRect, selected, index);
    if (drawFlags & THUMB_DRAW_FOCUS_ITEM)
        DrawFocusRect(dc, ctrl->GetFocusRectColour(), imageRect);
    return true;
}

void wxThumbnailItem::DrawFileName(wxDC& dc, wxThumbnailCtrl* ctrl, const wxRect& cellRect,
                                   const wxRect& imageRect, bool selected)
{
    const wxString name = wxFileNameFromPath(m_path);
    if (name.empty())
        return;
    const int margin = ctrl->GetMargin();
    const wxRect clip(cellRect.x + margin, cellRect.y + margin, cellRect.width - 2 * margin,
                      TextBandHeight(cellRect, imageRect) - 2 * margin);
    PrepareText(dc, ctrl, selected ? *wxWHITE : *wxBLACK);
    dc.SetClippingRegion(clip);
    const int textWidth = dc.GetTextExtent(name).x;
    // A name wider than the cell starts at the left edge and is cut on the right.
    dc.DrawText(name, clip.x + std::max(0, (clip.width - textWidth) / 2), clip.y);
    dc.DestroyClippingRegion();
}

void wxThumbnailItem::DrawCaption(wxDC& dc, wxThumbnailCtrl* ctrl, const wxRect& cellRect,
                                  const wxRect& imageRect, bool selected, int index)
{
    const wxString name = wxFileNameFromPath(m_path);
    if (name.empty())
        return;
    wxString path, baseName, extension;
    wxFileName::SplitPath(name, &path, &baseName, &extension);
    // Only picture files are captioned; a GIF frame's extension ("gif_3")
    // counts as one.
    if (extension.empty())
        return;
    const int margin = ctrl->GetMargin();
    const int band = TextBandHeight(cellRect, imageRect);
    const wxRect clip(cellRect.x + margin, cellRect.y + cellRect.height - band + margin,
                      cellRect.width - 2 * margin, band - 2 * margin);
    PrepareText(dc, ctrl, selected ? *wxWHITE : ctrl->GetCaptionColour());
    dc.SetFont(ctrl->GetCaptionFont(dc, clip.width));
    dc.SetClippingRegion(clip);
    dc.DrawText(FrameCaption(index, m_startTime), clip.GetTopLeft());
    dc.DestroyClippingRegion();
}

bool wxThumbnailItem::LoadThumbnail(wxThumbnailCtrl*)
{
    return false;
}

// ---------------------------------------------------------------------------
// wxImageThumbnailItem

wxImageThumbnailItem::wxImageThumbnailItem(const wxImage& thumbnailPicture, const wxString& path)
    : wxThumbnailItem(path), m_thumbnailPicture(thumbnailPicture)
{
}

bool wxImageThumbnailItem::DrawImage(wxDC& dc, wxThumbnailCtrl*, const wxRect& imageRect, int)
{
    if (m_thumbnail.IsOk())
    {
        const int x = imageRect.x + (imageRect.width - m_thumbnail.GetWidth()) / 2;
        const int y = imageRect.y + (imageRect.height - m_thumbnail.GetHeight()) / 2;
        dc.DrawBitmap(m_thumbnail, x, y, false);
    }
    return true;
}

bool wxImageThumbnailItem::LoadThumbnail(wxThumbnailCtrl*)
{
    if (m_thumbnail.IsOk())
        return true;
    if (!m_thumbnailPicture.IsOk())
        return false;
    wxLogNull noLog;
    m_thumbnail = wxBitmap(m_thumbnailPicture);
    m_thumbnailPicture = wxImage();
    return m_thumbnail.IsOk();
}

// ---------------------------------------------------------------------------
// wxThumbnailEvent

wxThumbnailEvent::wxThumbnailEvent(wxEventType commandType, int winid)
    : wxNotifyEvent(commandType, winid)
{
}

int ThumbnailModifierFlags(const wxKeyboardState& state)
{
    int flags = 0;
    if (state.ShiftDown())
        flags |= THUMB_MOD_SHIFT;
    if (state.ControlDown())
        flags |= THUMB_MOD_CONTROL;
    if (state.AltDown())
        flags |= THUMB_MOD_ALT;
    return flags;
}

// ---------------------------------------------------------------------------
// wxThumbnailItemArray

void wxThumbnailItemArray::Add(wxThumbnailItem* item)
{
    m_items.emplace_back(item);
}

void wxThumbnailItemArray::Insert(wxThumbnailItem* item, size_t index)
{
    m_items.emplace(m_items.begin() + std::min(index, m_items.size()), item);
}

void wxThumbnailItemArray::RemoveAt(size_t uiIndex)
{
    wxCHECK_RET(uiIndex < size(), "bad index in wxThumbnailItemArray::RemoveAt()");
    m_items.erase(m_items.begin() + uiIndex);
}

void wxThumbnailItemArray::Clear()
{
    m_items.clear();
}

void wxThumbnailItemArray::Reorder(const std::vector<int>& order)
{
    wxCHECK_RET(order.size() == m_items.size(), "the new order must name every item");
    std::vector<std::unique_ptr<wxThumbnailItem>> reordered;
    reordered.reserve(order.size());
    for (int oldIndex : order)
        reordered.push_back(std::move(m_items[oldIndex]));
    m_items = std::move(reordered);
}

// ---------------------------------------------------------------------------
// wxThumbnailCtrl: construction, items and geometry

// clang-format off
wxBEGIN_EVENT_TABLE(wxThumbnailCtrl, wxScrolledWindow)
    EVT_PAINT(wxThumbnailCtrl::OnPaint)
    EVT_ERASE_BACKGROUND(wxThumbnailCtrl::OnEraseBackground)
    EVT_LEFT_DOWN(wxThumbnailCtrl::OnLeftDown)
    EVT_RIGHT_DOWN(wxThumbnailCtrl::OnRightDown)
    EVT_MIDDLE_DOWN(wxThumbnailCtrl::OnMiddleDown)
    EVT_LEFT_DCLICK(wxThumbnailCtrl::OnLeftDClick)
    EVT_LEFT_UP(wxThumbnailCtrl::OnLeftUp)
    EVT_MOTION(wxThumbnailCtrl::OnMotion)
    EVT_MOUSE_CAPTURE_LOST(wxThumbnailCtrl::OnCaptureLost)
    EVT_CHAR(wxThumbnailCtrl::OnChar)
    EVT_SIZE(wxThumbnailCtrl::OnSize)
    EVT_SET_FOCUS(wxThumbnailCtrl::OnFocusChange)
    EVT_KILL_FOCUS(wxThumbnailCtrl::OnFocusChange)
    EVT_MENU(wxID_SELECTALL, wxThumbnailCtrl::OnSelectAll)
    EVT_UPDATE_UI(wxID_SELECTALL, wxThumbnailCtrl::OnUpdateSelectAll)
wxEND_EVENT_TABLE()
// clang-format on

wxThumbnailCtrl::wxThumbnailCtrl(wxWindow* parent, const wxPoint& pos, const wxSize& size)
    : m_focusedSelectionColour(140, 140, 140),
      m_unfocusedSelectionColour(175, 175, 175),
      m_itemBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)),
      m_focusRectColour(100, 80, 80),
      m_captionColour(0, 0, 200)
{
    // The strip scrolls vertically only, but GTK shows no vertical bar
    // without the vertical scroll style.
    if (!Create(parent, kThumbnailCtrlId, pos, size, wxHSCROLL | wxVSCROLL | wxBORDER_SUNKEN))
        return;
    if (!GetFont().IsOk())
        SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    ComputeItemSize();
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    SetInitialSize(size);
    EnsureBuffer(size);
}

void wxThumbnailCtrl::ComputeItemSize()
{
    m_textHeight = GetTextExtent("X").y;
    m_itemWidth = m_thumbnailWidth + 2 * m_margin;
    m_itemHeight = m_thumbnailHeight + 4 * m_margin + 2 * m_textHeight;
}

const wxFont& wxThumbnailCtrl::GetCaptionFont(wxDC& dc, int width)
{
    // One size for all captions, so that they read alike; the pattern
    // follows the frame count, the delay and the language.
    const wxString widest = CaptionWidthPattern(GetCount(), GetCount() > 0 ? GetItem(GetCount() - 1)->m_startTime : 0);
    if (!m_captionFont.IsOk() || widest != m_captionFontText || width != m_captionFontWidth)
    {
        m_captionFont = FitFont(dc, widest, width);
        m_captionFontText = widest;
        m_captionFontWidth = width;
    }
    return m_captionFont;
}

wxFont wxThumbnailCtrl::FitFont(wxDC& dc, const wxString& text, int width) const
{
    const double kSmallestSize = 4.0;
    wxFont font = GetFont();
    for (;;)
    {
        wxCoord textWidth = 0;
        dc.GetTextExtent(text, &textWidth, nullptr, nullptr, nullptr, &font);
        const double size = font.GetFractionalPointSize();
        if (textWidth <= width || size <= kSmallestSize)
            return font;
        font.SetFractionalPointSize(std::max(kSmallestSize, size - 0.5));
    }
}

wxSize wxThumbnailCtrl::DoGetBestSize() const
{
    // The strip takes the room its parent gives it; its contents scroll.
    return wxWindowBase::DoGetBestSize();
}

wxBitmap wxThumbnailCtrl::ScaleToFit(const wxImage& image, int width, int height)
{
    const wxImage scaled = ScaleImageToFit(image, width, height);
    return scaled.IsOk() ? wxBitmap(scaled) : wxBitmap();
}

ThumbnailGrid wxThumbnailCtrl::Grid() const
{
    ThumbnailGrid grid;
    grid.itemWidth = m_itemWidth;
    grid.itemHeight = m_itemHeight;
    grid.spacing = m_spacing;
    return grid;
}

bool wxThumbnailCtrl::DrawItemImage(int n, wxDC& dc, const wxRect& imageRect, int drawFlags)
{
    wxThumbnailItem* item = GetItem(n);
    return item && item->DrawImage(dc, this, imageRect, drawFlags);
}

bool wxThumbnailCtrl::DrawItemCell(int n, wxDC& dc, const wxRect& cellRect, const wxRect& imageRect,
                                   int drawFlags)
{
    wxThumbnailItem* item = GetItem(n);
    return item && item->DrawCell(dc, this, cellRect, imageRect, drawFlags, n);
}

int wxThumbnailCtrl::Append(wxThumbnailItem* item)
{
    WriteTraceLine("Append");
    wxCHECK_MSG(item, -1, "no item to append");
    if (!item->LoadThumbnail(this))
        return -1;
    const int index = GetCount();
    m_items.Add(item);
    ForgetAnchorAndFocus();
    LayoutChanged();
    return index;
}

int wxThumbnailCtrl::Insert(wxThumbnailItem* item, int pos)
{
    wxCHECK_MSG(item && pos >= 0 && pos <= GetCount(), -1, "pos <= GetCount()");
    m_items.Insert(item, pos);
    ForgetAnchorAndFocus();
    for (size_t i = 0; i < m_selections.size(); ++i)
    {
        if (m_selections[i] >= pos)
            ++m_selections[i];
    }
    // An item that cannot load stays: it shows its labels without a picture.
    item->LoadThumbnail(this);
    LayoutChanged();
    return pos;
}

void wxThumbnailCtrl::Clear()
{
    ForgetAnchorAndFocus();
    m_items.Clear();
    m_selections.Clear();
    LayoutChanged();
}

void wxThumbnailCtrl::Delete(int n)
{
    wxCHECK_RET(IsValidIndex(n), "n < GetCount()");
    // Larger indices are kept: they now name the item that followed.
    for (int* index : {&m_anchor, &m_lastSelected, &m_focusItem})
    {
        if (*index == n)
            *index = -1;
    }
    const int position = m_selections.Index(n);
    if (position != wxNOT_FOUND)
        m_selections.RemoveAt(position);
    m_items.RemoveAt(n);
    for (size_t i = 0; i < m_selections.size(); ++i)
    {
        if (m_selections[i] > n)
            --m_selections[i];
    }
    LayoutChanged();
}

bool wxThumbnailCtrl::SyncItems(const std::vector<long>& keys,
                                const std::function<wxThumbnailItem*(size_t)>& make)
{
    bool same = keys.size() == m_items.size();
    for (size_t i = 0; same && i < keys.size(); ++i)
        same = m_items[i]->m_key == keys[i];
    if (same)
        return false;

    std::unordered_map<long, int> oldIndexOfKey;
    for (size_t i = 0; i < m_items.size(); ++i)
        oldIndexOfKey[m_items[i]->m_key] = int(i);
    std::vector<std::unique_ptr<wxThumbnailItem>> old = m_items.TakeAll();
    std::vector<std::unique_ptr<wxThumbnailItem>> items;
    std::vector<int> newIndex(old.size(), -1);
    for (size_t i = 0; i < keys.size(); ++i)
    {
        const auto found = oldIndexOfKey.find(keys[i]);
        if (found != oldIndexOfKey.end() && old[found->second])
        {
            newIndex[found->second] = int(i);
            items.push_back(std::move(old[found->second]));
            continue;
        }
        items.emplace_back(make(i));
        items.back()->m_key = keys[i];
        items.back()->LoadThumbnail(this);
    }
    m_items.Assign(std::move(items));

    wxArrayInt selections;
    for (int index : m_selections)
    {
        if (newIndex[index] >= 0)
            selections.push_back(newIndex[index]);
    }
    m_selections = selections;
    for (int* index : {&m_anchor, &m_lastSelected, &m_focusItem})
        *index = *index >= 0 && *index < int(newIndex.size()) ? newIndex[*index] : -1;
    LayoutChanged();
    return true;
}

int wxThumbnailCtrl::GetCount() const
{
    return int(m_items.size());
}

wxThumbnailItem* wxThumbnailCtrl::GetItem(int n) const
{
    wxCHECK_MSG(IsValidIndex(n), nullptr, "n < GetCount()");
    return m_items[n];
}

void wxThumbnailCtrl::ForgetAnchorAndFocus()
{
    m_anchor = m_lastSelected = m_focusItem = -1;
}

void wxThumbnailCtrl::LayoutChanged()
{
    if (m_freezeCount > 0)
        return;
    UpdateScrollbars();
    Refresh();
}

void wxThumbnailCtrl::SuspendUpdates()
{
    ++m_freezeCount;
}

void wxThumbnailCtrl::ResumeUpdates()
{
    wxCHECK_RET(m_freezeCount > 0, "ResumeUpdates without SuspendUpdates");
    if (--m_freezeCount == 0)
    {
        UpdateScrollbars();
        Refresh();
    }
}

bool wxThumbnailCtrl::GetRowCol(int item, const wxSize& clientSize, int& row, int& col) const
{
    wxCHECK_MSG(IsValidIndex(item), false, "item < GetCount()");
    row = Grid().RowOf(item, clientSize.x);
    col = Grid().ColumnOf(item, clientSize.x);
    return true;
}

bool wxThumbnailCtrl::GetItemRect(int n, wxRect& rect, bool transform) const
{
    wxCHECK_MSG(IsValidIndex(n), false, "n < GetCount()");
    rect = Grid().CellRect(n, GetClientSize().x);
    if (transform)
        rect.SetPosition(CalcScrolledPosition(rect.GetPosition()));
    return true;
}

bool wxThumbnailCtrl::GetItemRectImage(int n, wxRect& rect, bool transform) const
{
    wxRect cell;
    if (!GetItemRect(n, cell, transform))
        return false;
    rect = wxRect(cell.x + (cell.width - m_thumbnailWidth) / 2,
                  cell.y + (cell.height - m_thumbnailHeight) / 2, m_thumbnailWidth,
                  m_thumbnailHeight);
    return true;
}

int wxThumbnailCtrl::ViewTop() const
{
    int unitX = 0, unitY = 0;
    GetScrollPixelsPerUnit(&unitX, &unitY);
    return GetViewStart().y * unitY;
}

void wxThumbnailCtrl::UpdateScrollbars()
{
    if (m_freezeCount > 0)
        return;
    if (GetCount() == 0)
    {
        SetScrollbars(0, 0, 0, 0, 0, 0);
        return;
    }
    const wxSize client = GetClientSize();
    const int totalHeight = Grid().TotalHeight(GetCount(), client.x);
    const int highestTopUnit = std::max(0, totalHeight - client.y) / kScrollUnit;
    const int top = std::min(highestTopUnit, GetViewStart().y);
    SetScrollbars(0, kScrollUnit, 0, totalHeight / kScrollUnit, 0, top);
}

bool wxThumbnailCtrl::EnsureBuffer(const wxSize& size)
{
    const wxSize wanted = size == wxDefaultSize ? GetClientSize() : size;
    if (wanted.x < 1 || wanted.y < 1)
        return false;
    if (!m_bufferBitmap.IsOk() || m_bufferBitmap.GetWidth() < wanted.x ||
        m_bufferBitmap.GetHeight() < wanted.y)
    {
        // Grown in both directions at once, so that narrowing the window
        // while making it taller does not give the width back.
        int width = wanted.x, height = wanted.y;
        if (m_bufferBitmap.IsOk())
        {
            width = std::max(width, m_bufferBitmap.GetWidth());
            height = std::max(height, m_bufferBitmap.GetHeight());
        }
        m_bufferBitmap = wxBitmap(width, height);
    }
    return m_bufferBitmap.IsOk();
}

// ---------------------------------------------------------------------------
// wxThumbnailCtrl: painting

void wxThumbnailCtrl::OnPaint(wxPaintEvent&)
{
    wxBufferedPaintDC dc(this, m_bufferBitmap, wxBUFFER_CLIENT_AREA);
    PrepareDC(dc);
    if (m_freezeCount > 0)
        return;
    PaintStrip(dc, GetUpdateRegion(), FindFocus() == this);
}

void wxThumbnailCtrl::OnEraseBackground(wxEraseEvent&)
{
    // Everything, background included, is painted through the buffer.
}

void wxThumbnailCtrl::PaintStrip(wxDC& dc, const wxRegion& updateRegion, bool hasFocus)
{
    FillBackground(dc);
    for (int n = 0; n < GetCount(); ++n)
    {
        wxRect clientCell;
        GetItemRect(n, clientCell, true);
        if (updateRegion.Contains(clientCell) == wxOutRegion)
            continue;
        wxRect cell, image;
        GetItemRect(n, cell, false);
        GetItemRectImage(n, image, false);
        const int flags = CellDrawFlags(n, hasFocus);
        DrawItemCell(n, dc, cell, image, flags);
        DrawItemImage(n, dc, image, flags);
    }
    if (m_dropMark >= 0)
    {
        SetFillColour(dc, m_captionColour);
        dc.DrawRectangle(Grid().GapMarkRect(m_dropMark, GetClientSize().x, GetCount()));
    }
}

void wxThumbnailCtrl::FillBackground(wxDC& dc)
{
    wxColour colour = GetBackgroundColour();
    if (!colour.IsOk())
        colour = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    dc.SetBrush(wxBrush(colour));
    dc.SetPen(*wxTRANSPARENT_PEN);
    const wxSize client = GetClientSize();
    dc.DrawRectangle(CalcUnscrolledPosition(wxPoint(-2, -2)), client + wxSize(4, 4));
}

int wxThumbnailCtrl::CellDrawFlags(int n, bool hasFocus) const
{
    int flags = IsSelected(n) ? THUMB_DRAW_SELECTED : 0;
    if (hasFocus)
    {
        flags |= THUMB_DRAW_CTRL_FOCUSED;
        if (n == m_focusItem)
            flags |= THUMB_DRAW_FOCUS_ITEM;
    }
    return flags;
}

void wxThumbnailCtrl::RefreshItem(int n)
{
    wxRect rect;
    if (IsValidIndex(n) && GetItemRect(n, rect, true))
        RefreshRect(rect);
}

void wxThumbnailCtrl::OnSize(wxSizeEvent& event)
{
    UpdateScrollbars();
    EnsureBuffer(wxDefaultSize);
    // The cells move when the column count changes; GTK itself repaints
    // only the newly exposed part of a grown window.
    if (GetCount() > 0)
        Refresh();
    event.Skip();
}

void wxThumbnailCtrl::OnFocusChange(wxFocusEvent& event)
{
    // Selection colour and focus rectangle follow the keyboard focus.
    if (GetCount() > 0)
        Refresh();
    event.Skip();
}

// ---------------------------------------------------------------------------
// wxThumbnailCtrl: selection and focus

void wxThumbnailCtrl::AddSelection(int n)
{
    if (!IsSelected(n))
        m_selections.Add(n);
}

void wxThumbnailCtrl::Select(int n, bool select)
{
    wxCHECK_RET(IsValidIndex(n), "n < GetCount()");
    if (select)
        AddSelection(n);
    else if (IsSelected(n))
        m_selections.RemoveAt(m_selections.Index(n));
    const int oldFocus = m_focusItem;
    m_anchor = m_lastSelected = m_focusItem = n;
    if (m_freezeCount > 0)
        return;
    RefreshItem(n);
    if (oldFocus != n)
        RefreshItem(oldFocus);
}

void wxThumbnailCtrl::SetFocusItem(int item)
{
    // -1 takes the focus away.
    wxCHECK_RET(item >= -1 && item < GetCount(), "item < GetCount()");
    const int oldFocus = m_focusItem;
    m_focusItem = item;
    if (m_freezeCount > 0)
        return;
    RefreshItem(oldFocus);
    RefreshItem(item);
}

void wxThumbnailCtrl::SelectAll()
{
    SuspendUpdates();
    for (int n = 0; n < GetCount(); ++n)
        Select(n, true);
    m_focusItem = GetCount() - 1;
    ResumeUpdates();
}

void wxThumbnailCtrl::ApplyClickSelection(int n, int flags)
{
    wxCHECK_RET(IsValidIndex(n), "n < GetCount()");
    wxArrayInt changed;
    if (flags & THUMB_MOD_CONTROL)
    {
        Select(n, !IsSelected(n));
        changed.Add(n);
    }
    else if (flags & THUMB_MOD_SHIFT)
    {
        const int anchor = m_anchor;
        const wxArrayInt oldSelection = m_selections;
        m_selections.Clear();
        const bool madeRange = anchor != -1 && anchor < GetCount() && anchor != n;
        if (madeRange)
            SelectRangeFromAnchor(anchor, n, changed);
        // Items that fell out of the range are repainted but not reported.
        for (int index : oldSelection)
        {
            if (!IsSelected(index))
                RefreshItem(index);
        }
        Select(n, true);
        if (changed.Index(n) == wxNOT_FOUND)
            changed.Add(n);
        // Further Shift steps extend from the same anchor.
        if (madeRange)
            m_anchor = anchor;
    }
    else
    {
        for (int index : m_selections)
        {
            RefreshItem(index);
            changed.Add(index);
        }
        m_selections.Clear();
        Select(n, true);
        if (changed.Index(n) == wxNOT_FOUND)
            changed.Add(n);
    }
    SendSelectionEvents(changed);
}

// Selects the items from the anchor up to, not including, n.
void wxThumbnailCtrl::SelectRangeFromAnchor(int anchor, int n, wxArrayInt& changed)
{
    const int step = n >= anchor ? 1 : -1;
    for (int index = anchor; index != n; index += step)
    {
        AddSelection(index);
        changed.Add(index);
        RefreshItem(index);
    }
}

void wxThumbnailCtrl::SendSelectionEvents(const wxArrayInt& changed)
{
    for (int index : changed)
    {
        SendThumbnailEvent(IsSelected(index) ? wxEVT_COMMAND_THUMBNAIL_ITEM_SELECTED
                                             : wxEVT_COMMAND_THUMBNAIL_ITEM_DESELECTED,
                           index, 0);
    }
}

void wxThumbnailCtrl::SendThumbnailEvent(wxEventType type, int index, int flags)
{
    wxThumbnailEvent event(type, GetId());
    event.SetEventObject(this);
    event.SetIndex(index);
    event.SetFlags(flags);
    GetEventHandler()->ProcessEvent(event);
}

void wxThumbnailCtrl::OnSelectAll(wxCommandEvent&)
{
    SelectAll();
}

void wxThumbnailCtrl::OnUpdateSelectAll(wxUpdateUIEvent& event)
{
    event.Enable(GetCount() > 0);
}

// ---------------------------------------------------------------------------
// wxThumbnailCtrl: mouse and keys

bool wxThumbnailCtrl::ItemAtPoint(const wxPoint& pt, int& index) const
{
    // The horizontal scroll position is always 0.
    const int found = Grid().ItemAt(wxPoint(pt.x, pt.y + ViewTop()), GetClientSize().x, GetCount());
    if (found < 0)
        return false;
    index = found;
    return true;
}

void wxThumbnailCtrl::OnLeftDown(wxMouseEvent& event)
{
    SetFocus();
    int n = -1;
    if (!ItemAtPoint(event.GetPosition(), n))
        return;
    const int flags = ThumbnailModifierFlags(event);
    EnsureItemVisible(n);
    // A plain press on one of several selected items may pick them all up
    // for a drag; it selects that item alone only when released in place.
    if (flags == 0 && IsSelected(n) && m_selections.size() > 1)
        m_clickOnRelease = n;
    else
        ApplyClickSelection(n, flags);
    m_dragPossible = IsSelected(n);
    m_pressPosition = event.GetPosition();
    SendThumbnailEvent(wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK, n, flags);
}

void wxThumbnailCtrl::OnMotion(wxMouseEvent& event)
{
    if (!event.LeftIsDown())
        return;
    if (!m_dragging && !StartDragIfMoved(event.GetPosition()))
        return;
    // Dragged past the top or bottom edge: the strip scrolls a step per
    // movement, so that far places of a long strip can be reached.
    const int y = event.GetPosition().y;
    if (y < 0 || y >= GetClientSize().y)
    {
        const int step = y < 0 ? -1 : 1;
        ScrollToUnit(std::max(0, GetViewStart().y + step));
        UpdateScrollbars();
    }
    ShowDropMark(GapAtPoint(event.GetPosition()));
}

bool wxThumbnailCtrl::StartDragIfMoved(const wxPoint& pt)
{
    if (!m_dragPossible || m_selections.empty())
        return false;
    const int threshold = std::max(3, wxSystemSettings::GetMetric(wxSYS_DRAG_X, this));
    if (std::abs(pt.x - m_pressPosition.x) < threshold && std::abs(pt.y - m_pressPosition.y) < threshold)
        return false;
    m_dragging = true;
    m_clickOnRelease = -1;
    if (!HasCapture())
        CaptureMouse();
    return true;
}

void wxThumbnailCtrl::OnLeftUp(wxMouseEvent& event)
{
    if (m_dragging)
    {
        const int gap = m_dropMark;
        EndDrag();
        if (gap >= 0)
            RequestMove(gap);
    }
    else if (IsValidIndex(m_clickOnRelease))
    {
        ApplyClickSelection(m_clickOnRelease, 0);
    }
    m_clickOnRelease = -1;
    m_dragPossible = false;
    event.Skip();
}

void wxThumbnailCtrl::OnCaptureLost(wxMouseCaptureLostEvent&)
{
    m_dragging = false;
    m_dragPossible = false;
    m_clickOnRelease = -1;
    ShowDropMark(-1);
}

void wxThumbnailCtrl::EndDrag()
{
    m_dragging = false;
    if (HasCapture())
        ReleaseMouse();
    ShowDropMark(-1);
}

int wxThumbnailCtrl::GapAtPoint(const wxPoint& pt) const
{
    return Grid().GapAt(CalcUnscrolledPosition(pt), GetClientSize().x, GetCount());
}

void wxThumbnailCtrl::ShowDropMark(int gap)
{
    if (gap == m_dropMark)
        return;
    RefreshDropMark();
    m_dropMark = gap;
    RefreshDropMark();
}

void wxThumbnailCtrl::RefreshDropMark()
{
    wxRect mark = Grid().GapMarkRect(m_dropMark, GetClientSize().x, GetCount());
    if (mark.IsEmpty())
        return;
    mark.SetPosition(CalcScrolledPosition(mark.GetPosition()));
    RefreshRect(mark.Inflate(1));
}

bool wxThumbnailCtrl::MoveSelection(int gap)
{
    if (m_selections.empty())
        return false;
    const std::vector<int> order =
        OrderAfterMove(GetCount(), std::vector<int>(m_selections.begin(), m_selections.end()), gap);
    const std::vector<int> newIndex = NewIndices(order);
    m_items.Reorder(order);
    for (size_t i = 0; i < m_selections.size(); ++i)
        m_selections[i] = newIndex[m_selections[i]];
    for (int* index : {&m_anchor, &m_lastSelected, &m_focusItem})
    {
        if (IsValidIndex(*index))
            *index = newIndex[*index];
    }
    LayoutChanged();
    return true;
}

// A move the user asked for: the parent may refuse it, and hears of it.
bool wxThumbnailCtrl::RequestMove(int gap)
{
    const std::vector<int> selected(m_selections.begin(), m_selections.end());
    if (gap < 0 || selected.empty() || KeepsOrder(OrderAfterMove(GetCount(), selected, gap)))
        return false;
    wxThumbnailEvent moving(wxEVT_COMMAND_THUMBNAIL_ITEMS_MOVING, GetId());
    moving.SetEventObject(this);
    moving.SetIndex(gap);
    GetEventHandler()->ProcessEvent(moving);
    if (!moving.IsAllowed())
        return false;
    MoveSelection(gap);
    const int blockStart = *std::min_element(m_selections.begin(), m_selections.end());
    EnsureItemVisible(blockStart);
    SendThumbnailEvent(wxEVT_COMMAND_THUMBNAIL_ITEMS_MOVED, blockStart, 0);
    return true;
}

void wxThumbnailCtrl::OnRightDown(wxMouseEvent& event)
{
    SetFocus();
    int n = -1;
    if (!ItemAtPoint(event.GetPosition(), n))
        return;
    if (n != m_focusItem)
        SetFocusItem(n);
    SendThumbnailEvent(wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK, n, ThumbnailModifierFlags(event));
}

void wxThumbnailCtrl::OnMiddleDown(wxMouseEvent& event)
{
    int n = -1;
    if (ItemAtPoint(event.GetPosition(), n))
        SendThumbnailEvent(wxEVT_COMMAND_THUMBNAIL_MIDDLE_CLICK, n, ThumbnailModifierFlags(event));
}

void wxThumbnailCtrl::OnLeftDClick(wxMouseEvent& event)
{
    // The first press of the double click has already selected the item.
    int n = -1;
    if (ItemAtPoint(event.GetPosition(), n))
        SendThumbnailEvent(wxEVT_COMMAND_THUMBNAIL_LEFT_DCLICK, n, ThumbnailModifierFlags(event));
}

void wxThumbnailCtrl::OnChar(wxKeyEvent& event)
{
    const int flags = ThumbnailModifierFlags(event);
    const bool moveKey = event.GetKeyCode() == WXK_LEFT || event.GetKeyCode() == WXK_RIGHT;
    if (moveKey && flags == (THUMB_MOD_CONTROL | THUMB_MOD_SHIFT))
    {
        const int step = event.GetKeyCode() == WXK_LEFT ? -1 : 1;
        RequestMove(StepGap(GetCount(), std::vector<int>(m_selections.begin(), m_selections.end()), step));
        return;
    }
    if (event.GetKeyCode() == WXK_ESCAPE && m_dragging)
    {
        EndDrag();
        return;
    }
    switch (event.GetKeyCode())
    {
    case WXK_LEFT:
    case WXK_RIGHT:
    case WXK_UP:
    case WXK_DOWN:
    case WXK_HOME:
    case WXK_END:
    case WXK_PAGEUP:
    case WXK_PAGEDOWN:
        NavigateByKey(event.GetKeyCode(), flags);
        break;
    case WXK_RETURN:
        SendThumbnailEvent(wxEVT_COMMAND_THUMBNAIL_RETURN, -1, flags);
        break;
    default:
        event.Skip();
    }
}

bool wxThumbnailCtrl::NavigateByKey(int keyCode, int flags)
{
    if (GetCount() == 0)
        return false;
    const wxSize client = GetClientSize();
    const int columns = Grid().Columns(client.x);
    const int rows = Grid().VisibleRows(client.y);
    const int current = m_focusItem != -1 ? m_focusItem : m_lastSelected;
    // Without a usable starting point every key lands on the first item.
    if (!IsValidIndex(current))
    {
        m_lastSelected = 0;
        ApplyClickSelection(0, flags);
        ScrollToItem(keyCode, 0);
        return true;
    }
    const int target = NavigationTarget(keyCode, current, GetCount(), columns, rows);
    if (target >= 0)
    {
        ApplyClickSelection(target, flags);
        ScrollToItem(keyCode, target);
    }
    return true;
}

// ---------------------------------------------------------------------------
// wxThumbnailCtrl: scrolling to an item

void wxThumbnailCtrl::ScrollToUnit(int unit)
{
    int unitX = 0, unitY = 0;
    GetScrollPixelsPerUnit(&unitX, &unitY);
    SetScrollbars(unitX, unitY, 0, GetScrollLines(wxVERTICAL), 0, unit);
}

// Brings the cell, with the spacing below it, up to the bottom edge when it
// reaches below the window.
bool wxThumbnailCtrl::ScrollIfBelow(const wxRect& cell)
{
    int unitX = 0, unitY = 0;
    GetScrollPixelsPerUnit(&unitX, &unitY);
    const int windowHeight = GetClientSize().y;
    if (unitY <= 0 || cell.y + cell.height <= ViewTop() + windowHeight)
        return false;
    ScrollToUnit((m_spacing + m_itemHeight - windowHeight + cell.y) / unitY);
    return true;
}

bool wxThumbnailCtrl::ScrollIfAbove(const wxRect& cell)
{
    int unitX = 0, unitY = 0;
    GetScrollPixelsPerUnit(&unitX, &unitY);
    if (unitY <= 0 || cell.y >= ViewTop())
        return false;
    ScrollToUnit(cell.y / unitY);
    return true;
}

void wxThumbnailCtrl::EnsureItemVisible(int n)
{
    wxRect cell;
    if (GetItemRect(n, cell, false) && !ScrollIfBelow(cell))
        ScrollIfAbove(cell);
}

void wxThumbnailCtrl::ScrollToItem(int keyCode, int n)
{
    wxRect cell;
    if (!GetItemRect(n, cell, false))
        return;
    switch (keyCode)
    {
    case WXK_RIGHT:
    case WXK_DOWN:
    case WXK_END:
    case WXK_PAGEDOWN:
        if (!ScrollIfBelow(cell))
            ScrollIfAbove(cell);
        break;
    case WXK_LEFT:
    case WXK_UP:
    case WXK_HOME:
    case WXK_PAGEUP:
        if (!ScrollIfAbove(cell))
            ScrollIfBelow(cell);
        break;
    default:
        break;
    }
}
