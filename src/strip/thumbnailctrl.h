// The thumbnail strip: the scrolled control that holds the animation's
// frames as items, in animation order, shows each as a cell (file name,
// thumbnail, caption), lets the user select them like the files of a file
// list and reports clicks and selection changes to its parent.
#pragma once

#include "strip/thumbnaillogic.h"

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/dynarray.h>
#include <wx/event.h>
#include <wx/image.h>
#include <wx/scrolwin.h>

#include <functional>
#include <memory>
#include <vector>

class wxDC;
class wxThumbnailCtrl;

// Modifier keys held during a click or key press, as carried by
// wxThumbnailEvent::GetFlags. Meta is not reported.
enum
{
    THUMB_MOD_SHIFT = 1,
    THUMB_MOD_CONTROL = 2,
    THUMB_MOD_ALT = 4
};

// State of a cell handed to the item's drawing operations.
enum
{
    THUMB_DRAW_SELECTED = 1,
    THUMB_DRAW_CTRL_FOCUSED = 4,
    // Only together with THUMB_DRAW_CTRL_FOCUSED.
    THUMB_DRAW_FOCUS_ITEM = 8
};

// One frame of the strip. Items are drawn in the strip's unscrolled
// coordinates; the strip prepares the DC for its scroll position.
class wxThumbnailItem : public wxObject
{
public:
    explicit wxThumbnailItem(const wxString& path);

    // Draws the picture into imageRect; the base has none to draw.
    virtual bool DrawImage(wxDC& dc, wxThumbnailCtrl* ctrl, const wxRect& imageRect, int drawFlags);
    // Draws the cell: background, border, file name above the picture area
    // and caption below it, and the focus rectangle round the picture.
    virtual bool DrawCell(wxDC& dc, wxThumbnailCtrl* ctrl, const wxRect& cellRect,
                          const wxRect& imageRect, int drawFlags, int index);
    // Makes the item's bitmaps when it enters the strip; false when it
    // cannot be shown at all.
    virtual bool LoadThumbnail(wxThumbnailCtrl* ctrl);

    wxString m_path;
    // What the strip's owner tells its items apart by (see SyncItems).
    long m_key = 0;
    // Where the frame starts, in hundredths of a second, for the caption.
    int m_startTime = 0;

private:
    void DrawFileName(wxDC& dc, wxThumbnailCtrl* ctrl, const wxRect& cellRect,
                      const wxRect& imageRect, bool selected);
    void DrawCaption(wxDC& dc, wxThumbnailCtrl* ctrl, const wxRect& cellRect,
                     const wxRect& imageRect, bool selected, int index);

    wxDECLARE_ABSTRACT_CLASS(wxThumbnailItem);
};

// A frame shown by its thumbnail. The frame's picture itself belongs to the
// strip's owner; the item keeps only what it draws.
class wxImageThumbnailItem : public wxThumbnailItem
{
public:
    // A picture already scaled down to the strip's thumbnail size
    // (ScaleImageToFit; invalid when a side would be 0).
    wxImageThumbnailItem(const wxImage& thumbnailPicture, const wxString& path);

    bool DrawImage(wxDC& dc, wxThumbnailCtrl* ctrl, const wxRect& imageRect, int drawFlags) override;
    // Makes the thumbnail bitmap once. False when there is no picture.
    bool LoadThumbnail(wxThumbnailCtrl* ctrl) override;

    wxBitmap m_thumbnail;

private:
    wxImage m_thumbnailPicture;

    wxDECLARE_ABSTRACT_CLASS(wxImageThumbnailItem);
    wxDECLARE_NO_COPY_CLASS(wxImageThumbnailItem);
};

// Notification from the strip to its parent. Sent synchronously through the
// strip's event handler; unhandled ones travel up like command events.
class wxThumbnailEvent : public wxNotifyEvent
{
public:
    wxThumbnailEvent(wxEventType commandType = wxEVT_NULL, int winid = 0);
    // Clone copies; assigning is refused by the class declaration below.
    wxThumbnailEvent(const wxThumbnailEvent&) = default;

    wxEvent* Clone() const override { return new wxThumbnailEvent(*this); }

    // The item the event is about; -1 for none.
    int GetIndex() const { return m_itemIndex; }
    void SetIndex(int index) { m_itemIndex = index; }
    // THUMB_MOD_* flags of the input that caused the event.
    int GetFlags() const { return m_flags; }
    void SetFlags(int flags) { m_flags = flags; }

private:
    int m_itemIndex = -1;
    int m_flags = 0;

    wxDECLARE_DYNAMIC_CLASS_NO_ASSIGN(wxThumbnailEvent);
};

typedef void (wxEvtHandler::*wxThumbnailEventFunction)(wxThumbnailEvent&);
#define wxThumbnailEventHandler(func) wxEVENT_HANDLER_CAST(wxThumbnailEventFunction, func)

extern const wxEventType wxEVT_COMMAND_THUMBNAIL_ITEM_SELECTED;
extern const wxEventType wxEVT_COMMAND_THUMBNAIL_ITEM_DESELECTED;
extern const wxEventType wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK;
extern const wxEventType wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK;
extern const wxEventType wxEVT_COMMAND_THUMBNAIL_MIDDLE_CLICK;
extern const wxEventType wxEVT_COMMAND_THUMBNAIL_LEFT_DCLICK;
extern const wxEventType wxEVT_COMMAND_THUMBNAIL_RETURN;
// The user asks to move the selected items, by dragging them or with
// Ctrl+Shift+Left/Right: the index is the gap they go to. Veto to refuse.
extern const wxEventType wxEVT_COMMAND_THUMBNAIL_ITEMS_MOVING;
// The selected items have moved: the index is where the block now starts.
extern const wxEventType wxEVT_COMMAND_THUMBNAIL_ITEMS_MOVED;

#define EVT_THUMBNAIL_ITEM_SELECTED(id, fn) \
    wx__DECLARE_EVT1(wxEVT_COMMAND_THUMBNAIL_ITEM_SELECTED, id, wxThumbnailEventHandler(fn))
#define EVT_THUMBNAIL_ITEM_DESELECTED(id, fn) \
    wx__DECLARE_EVT1(wxEVT_COMMAND_THUMBNAIL_ITEM_DESELECTED, id, wxThumbnailEventHandler(fn))
#define EVT_THUMBNAIL_LEFT_CLICK(id, fn) \
    wx__DECLARE_EVT1(wxEVT_COMMAND_THUMBNAIL_LEFT_CLICK, id, wxThumbnailEventHandler(fn))
#define EVT_THUMBNAIL_RIGHT_CLICK(id, fn) \
    wx__DECLARE_EVT1(wxEVT_COMMAND_THUMBNAIL_RIGHT_CLICK, id, wxThumbnailEventHandler(fn))
#define EVT_THUMBNAIL_MIDDLE_CLICK(id, fn) \
    wx__DECLARE_EVT1(wxEVT_COMMAND_THUMBNAIL_MIDDLE_CLICK, id, wxThumbnailEventHandler(fn))
#define EVT_THUMBNAIL_LEFT_DCLICK(id, fn) \
    wx__DECLARE_EVT1(wxEVT_COMMAND_THUMBNAIL_LEFT_DCLICK, id, wxThumbnailEventHandler(fn))
#define EVT_THUMBNAIL_RETURN(id, fn) \
    wx__DECLARE_EVT1(wxEVT_COMMAND_THUMBNAIL_RETURN, id, wxThumbnailEventHandler(fn))
#define EVT_THUMBNAIL_ITEMS_MOVING(id, fn) \
    wx__DECLARE_EVT1(wxEVT_COMMAND_THUMBNAIL_ITEMS_MOVING, id, wxThumbnailEventHandler(fn))
#define EVT_THUMBNAIL_ITEMS_MOVED(id, fn) \
    wx__DECLARE_EVT1(wxEVT_COMMAND_THUMBNAIL_ITEMS_MOVED, id, wxThumbnailEventHandler(fn))

// The strip's items, owned: removing an entry or clearing or destroying the
// array deletes the items.
class wxThumbnailItemArray
{
public:
    wxThumbnailItemArray() = default;
    wxThumbnailItemArray(const wxThumbnailItemArray&) = delete;
    wxThumbnailItemArray& operator=(const wxThumbnailItemArray&) = delete;

    size_t size() const { return m_items.size(); }
    size_t GetCount() const { return m_items.size(); }
    bool IsEmpty() const { return m_items.empty(); }
    wxThumbnailItem* Item(size_t index) const { return m_items[index].get(); }
    wxThumbnailItem* operator[](size_t index) const { return Item(index); }

    void Add(wxThumbnailItem* item);
    void Insert(wxThumbnailItem* item, size_t index);
    void RemoveAt(size_t uiIndex);
    void Clear();
    // Puts the items in a new order: entry i is the old index of item i.
    void Reorder(const std::vector<int>& order);
    std::vector<std::unique_ptr<wxThumbnailItem>> TakeAll() { return std::move(m_items); }
    void Assign(std::vector<std::unique_ptr<wxThumbnailItem>> items) { m_items = std::move(items); }

private:
    std::vector<std::unique_ptr<wxThumbnailItem>> m_items;
};

class wxThumbnailCtrl : public wxScrolledWindow
{
public:
    // Creates the strip with window id 3.
    wxThumbnailCtrl(wxWindow* parent, const wxPoint& pos = wxDefaultPosition,
                    const wxSize& size = wxDefaultSize);

    // Making a thumbnail bitmap: the picture scaled down, never up, to fit
    // width x height. Invalid when a side would be 0 pixels.
    static wxBitmap ScaleToFit(const wxImage& image, int width, int height);

    virtual bool DrawItemImage(int n, wxDC& dc, const wxRect& imageRect, int drawFlags);
    virtual bool DrawItemCell(int n, wxDC& dc, const wxRect& cellRect, const wxRect& imageRect,
                              int drawFlags);
    // Loads the item and adds it at the end; the selection is kept, the
    // anchor and focus are forgotten. Returns the new index, or -1 when the
    // item's file is gone: the item is then not taken and stays the caller's.
    virtual int Append(wxThumbnailItem* item);
    // Takes the item before position pos (0 <= pos <= GetCount()), even when
    // it cannot be loaded; selected indices from pos on move up by one.
    virtual int Insert(wxThumbnailItem* item, int pos);
    virtual void Clear();
    virtual void Delete(int n);
    virtual int GetCount() const;
    // Makes the strip hold one item per key, in this order: an item whose
    // key it holds already stays, with its selection and focus; `make`
    // makes the item of any other key (the index is the key's). Returns
    // false when the strip held these keys in this order already.
    bool SyncItems(const std::vector<long>& keys, const std::function<wxThumbnailItem*(size_t)>& make);
    // Moves the selection with a navigation key as a file list does: plain
    // keys select the target alone, Shift extends from the anchor, Control
    // toggles the target.
    virtual bool NavigateByKey(int keyCode, int flags);

    wxThumbnailItem* GetItem(int n) const;
    // Selected indices in the order in which they became selected.
    const wxArrayInt& GetSelections() const { return m_selections; }
    bool IsSelected(int n) const { return m_selections.Index(n) != wxNOT_FOUND; }

    // Selection and focus. Select, SetFocusItem and SelectAll send no
    // events; ApplyClickSelection sends one ITEM_SELECTED or ITEM_DESELECTED
    // per item whose state it changed.
    void Select(int n, bool select = true);
    void SetFocusItem(int item);
    void SelectAll();
    void ApplyClickSelection(int n, int flags);
    int GetFocusItem() const { return m_focusItem; }
    int GetAnchor() const { return m_anchor; }
    int GetLastSelected() const { return m_lastSelected; }

    // Hit test in client coordinates.
    bool ItemAtPoint(const wxPoint& pt, int& index) const;
    // The gap (0 to GetCount()) that items dropped at a client point go to.
    int GapAtPoint(const wxPoint& pt) const;
    // Shows the insertion mark in a gap while something is dragged over the
    // strip; -1 hides it.
    void ShowDropMark(int gap);
    int GetDropMark() const { return m_dropMark; }
    // Moves the selected items, as one block in their list order, into a
    // gap of the present order; they stay selected. Sends no event. False
    // when nothing is selected.
    bool MoveSelection(int gap);
    void EnsureItemVisible(int n);
    void ScrollToItem(int keyCode, int n);

    // Brackets a batch of changes: layout and repaints wait until the
    // outermost ResumeUpdates.
    void SuspendUpdates();
    void ResumeUpdates();
    void UpdateScrollbars();
    bool EnsureBuffer(const wxSize& size);

    // Cell and picture rectangles: in client coordinates when transform is
    // true, in unscrolled (logical) coordinates otherwise.
    bool GetItemRect(int n, wxRect& rect, bool transform = true) const;
    bool GetItemRectImage(int n, wxRect& rect, bool transform = true) const;
    bool GetRowCol(int item, const wxSize& clientSize, int& row, int& col) const;

    // Draws the background and every cell that meets the update region
    // (client coordinates) into a DC prepared for the scroll position.
    void PaintStrip(wxDC& dc, const wxRegion& updateRegion, bool hasFocus);

    // What items read while they load and draw.
    int GetThumbnailWidth() const { return m_thumbnailWidth; }
    int GetThumbnailHeight() const { return m_thumbnailHeight; }
    int GetItemWidth() const { return m_itemWidth; }
    int GetItemHeight() const { return m_itemHeight; }
    int GetSpacing() const { return m_spacing; }
    int GetMargin() const { return m_margin; }
    int GetTextHeight() const { return m_textHeight; }
    const wxColour& GetFocusedSelectionColour() const { return m_focusedSelectionColour; }
    const wxColour& GetUnfocusedSelectionColour() const { return m_unfocusedSelectionColour; }
    const wxColour& GetItemBackgroundColour() const { return m_itemBackgroundColour; }
    const wxColour& GetFocusRectColour() const { return m_focusRectColour; }
    const wxColour& GetCaptionColour() const { return m_captionColour; }
    const wxBitmap& GetBufferBitmap() const { return m_bufferBitmap; }
    // The font of every caption: the strip's font, made smaller where needed
    // so that the widest caption of the strip fits in the given width.
    const wxFont& GetCaptionFont(wxDC& dc, int width);
    // The strip's font, made smaller until the text fits in the width.
    wxFont FitFont(wxDC& dc, const wxString& text, int width) const;

    // Above 0 while updates are suspended.
    int m_freezeCount = 0;

protected:
    wxSize DoGetBestSize() const override;

    void OnPaint(wxPaintEvent& event);
    void OnEraseBackground(wxEraseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnRightDown(wxMouseEvent& event);
    void OnMiddleDown(wxMouseEvent& event);
    void OnLeftDClick(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnChar(wxKeyEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnFocusChange(wxFocusEvent& event);
    void OnSelectAll(wxCommandEvent& event);
    void OnUpdateSelectAll(wxUpdateUIEvent& event);

private:
    void ComputeItemSize();
    ThumbnailGrid Grid() const;
    bool IsValidIndex(int n) const { return n >= 0 && n < GetCount(); }
    void FillBackground(wxDC& dc);
    int CellDrawFlags(int n, bool hasFocus) const;
    void RefreshItem(int n);
    void LayoutChanged();
    void ForgetAnchorAndFocus();
    void AddSelection(int n);
    void SelectRangeFromAnchor(int anchor, int n, wxArrayInt& changed);
    void SendSelectionEvents(const wxArrayInt& changed);
    void SendThumbnailEvent(wxEventType type, int index, int flags);
    int ViewTop() const;
    void ScrollToUnit(int unit);
    bool ScrollIfBelow(const wxRect& cell);
    bool ScrollIfAbove(const wxRect& cell);
    bool RequestMove(int gap);
    bool StartDragIfMoved(const wxPoint& pt);
    void EndDrag();
    void RefreshDropMark();

    wxThumbnailItemArray m_items;
    wxArrayInt m_selections;
    int m_itemWidth = -1;
    int m_itemHeight = -1;
    int m_thumbnailWidth = 80;
    int m_thumbnailHeight = 80;
    int m_spacing = 3;
    int m_margin = 3;
    int m_textHeight = 0;
    int m_anchor = -1;
    int m_lastSelected = -1;
    int m_focusItem = -1;
    wxColour m_focusedSelectionColour;
    wxColour m_unfocusedSelectionColour;
    wxColour m_itemBackgroundColour;
    wxColour m_focusRectColour;
    wxColour m_captionColour;
    // GetCaptionFont's result and what it was made for.
    wxFont m_captionFont;
    wxString m_captionFontText;
    int m_captionFontWidth = 0;
    wxBitmap m_bufferBitmap;

    // Dragging frames to a new place: the press that may start a drag, the
    // plain click on a selected item that waits for the release (so that a
    // press can pick up the whole selection), and the insertion mark.
    bool m_dragPossible = false;
    bool m_dragging = false;
    wxPoint m_pressPosition;
    int m_clickOnRelease = -1;
    int m_dropMark = -1;

    wxDECLARE_ABSTRACT_CLASS(wxThumbnailCtrl);
    wxDECLARE_EVENT_TABLE();
    wxDECLARE_NO_COPY_CLASS(wxThumbnailCtrl);
};

// Modifier flags of a mouse or key event.
int ThumbnailModifierFlags(const wxKeyboardState& state);
