// The library's grid window: CGridView implements IGridView for one window of
// class "CZTGridView32" or "CZTGridView32W".
#pragma once

#include "zt_tbl32/igrid_view.h"
#include "zt_tbl32/grid_model.h"

#if defined(_WIN32)

// Two colours (even and odd lines) and a brush for each. 0 and 0xFFFFFF use the
// stock black and white brushes; the odd brush is the even one when the colours
// are equal.
struct SGridColorPair {
  COLORREF even, odd;
  HBRUSH brushEven, brushOdd;
};

// The grid window's object: one per window of class "CZTGridView32" or
// "CZTGridView32W". A window created from the class name alone makes its own
// (and deletes it when destroyed); a program may construct one and call Create,
// and then it stays the program's.
// The control id of a grid that is not attached to a window.
constexpr UINT kZTNoControl = 0xFFFFFFFFu;

class ZT_TBL32_API CGridView : public IGridView {
 public:
  CGridView();
  ~CGridView() override;
  CGridView(const CGridView&) = delete;
  CGridView& operator=(const CGridView&) = delete;

  BOOL Create(HWND parent, UINT id, const tagRECT* rect, UINT style) override;
  void Destroy() override;
  HWND GetHwnd() override;
  HWND GetChildHwnd() override;
  UINT GetStyle() override;
  UINT SetStyle(UINT style) override;
  UINT AddStyle(UINT bits) override;
  UINT RemoveStyle(UINT bits) override;
  UINT GetCurColumn() override;
  UINT GetCurItem() override;
  UINT GetItemCount() override;
  UINT GetColumnListSel(UINT column) override;
  BOOL IsSortColumn(UINT column) override;
  BOOL ClearSortColumn() override;
  BOOL SelectItem(UINT line, UINT column) override;
  BOOL EditItem(UINT line, UINT column) override;
  BOOL SetColors(BOOL odd, COLORREF lineBackground, COLORREF text, COLORREF selectionBackground,
                 COLORREF selectedText) override;
  BOOL SetColumnCount(UINT count, BOOL redraw) override;
  BOOL SetColumnType(UINT column, UINT type, UINT commandId, BYTE flags) override;
  BOOL SetColumnHeader(UINT column, UINT widthPercent, BYTE justification, const char* text, BOOL redraw) override;
  BOOL SetColumnColor(UINT column, COLORREF background, COLORREF text, BOOL redraw) override;
  BOOL SetColumnColors(UINT column, COLORREF backgroundEven, COLORREF backgroundOdd, COLORREF textEven,
                       COLORREF textOdd, BOOL redraw) override;
  BOOL SetSortColumn(UINT column, BOOL up) override;
  BOOL SetItemCount(OwnerDataCallback callback, UINT count, UINT_PTR parameter, BOOL redraw) override;
  BOOL InsertItem(UINT line, UINT data, BOOL redraw) override;
  BOOL DeleteItem(UINT line, BOOL redraw) override;
  void DeleteAllItems(BOOL redraw) override;
  BOOL SetItemUInt64(UINT line, UINT column, UINT low, UINT high) override;
  BOOL SetItemUInt(UINT line, UINT column, UINT value) override;
  BOOL SetItemInt64(UINT line, UINT column, UINT low, UINT high) override;
  BOOL SetItemInt(UINT line, UINT column, int value) override;
  BOOL SetItemAmount(UINT line, UINT column, int hundredths) override;
  BOOL SetItemTextW(UINT line, UINT column, const wchar_t* text) override;
  BOOL SetItemText(UINT line, UINT column, const char* text) override;
  UINT GetItemData(UINT line) override;
  UINT GetItemUInt(UINT line, UINT column) override;
  UINT GetItemValue(UINT line, UINT column) override;
  UINT GetItemReserved(UINT line, UINT column) override;
  uint64_t GetItemUInt64(UINT line, UINT column) override;
  uint64_t GetItemValue64(UINT line, UINT column) override;
  BOOL GetItemTextW(UINT line, UINT column, wchar_t* buffer, UINT bufferBytes) override;
  BOOL GetItemText(UINT line, UINT column, char* buffer, UINT bufferBytes) override;
  int GetItemVisibility(UINT line) override;
  int EnsureVisible(UINT line) override;
  BOOL RedrawItem(UINT line) override;
  BOOL ScrollBy(int lines) override;
  BOOL SetTopItem(UINT line) override;
  UINT GetTopItem() override;

  // The window procedure of both grid classes.
  static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hParent = nullptr;  // receives every notification
  HWND m_hChild = nullptr;   // in-place edit field or list pop-up
  HWND m_hWnd = nullptr;
  UINT m_uCtrlId = kZTNoControl;
  WNDPROC m_pfnSavedEditProc = nullptr;
  UINT m_uChildKind = 0;  // 4 edit field, 5 list pop-up
  BYTE m_bFocused = 0, m_bSelfOwned = 0, m_bDisabled = 0, m_bCancelled = 0;
  BYTE m_bListEscaped = 0;     // Escape ended the list: no acceptance
  UINT m_uSending = 0;         // calls in progress that may send to the parent
  BYTE m_bDestroyPending = 0;  // the window was destroyed while sending
  BYTE m_bResizeHover = 0, m_bResizing = 0;
  int m_iDragX = 0;
  UINT m_uDragDivider = 0;
  HCURSOR m_hSavedCursor = nullptr;
  UINT m_uCurColumn = 0;
  UINT m_uCurLine = kZTNoLine;

  HFONT m_hTitleFont = nullptr, m_hTitleFontW = nullptr;
  HFONT m_hDataFont = nullptr, m_hDataFontW = nullptr;
  UINT m_uEllipsisWidth = 0, m_uTitleEllipsisWidth = 0;
  HBRUSH m_hClassBrush = nullptr, m_hDisabledBrush = nullptr;
  COLORREF m_crGridLine;
  HPEN m_hGridPen = nullptr;
  COLORREF m_crTextEven = 0, m_crTextOdd = 0;
  SGridColorPair m_lineBack;
  COLORREF m_crSelTextEven = 0xFFFFFF, m_crSelTextOdd = 0xFFFFFF;
  SGridColorPair m_selBack;
  COLORREF m_crSelTextEvenNoFocus = 0xFFFFFF, m_crSelTextOddNoFocus = 0xFFFFFF;
  SGridColorPair m_selBackNoFocus;
  HBITMAP m_hCheck[3] = {};  // 5100, 5101, 5102
  HBITMAP m_hYesNo[2] = {};  // 5106, 5105

  CGridModel m_model;

  int m_iBarMax = -1, m_iBarPos = -1;  // what the vertical bar was last given

  // Painting state, valid during one paint.
  HDC m_hPictureDC = nullptr;  // holds the picture being copied
  COLORREF m_crPaintText = 0;  // text colour selected into the paint DC

 private:
  friend struct SGridCall;
  // Window side (grid_view_win32.cpp).
  BOOL Attach(HWND window);
  void Detach();
  void DetachAndRelease();
  void LeaveCall();
  LRESULT Notify(UINT code, UINT lowWord, LPARAM lParam);
  UINT ColumnCommand(UINT column) const;
  void Invalidate();
  void InvalidateHeader();
  void UpdateBars();
  void SetBarPosition();
  void LoadPictures(UINT type);
  // Input (grid_view_input_win32.cpp).
  LRESULT OnKeyDown(WPARAM key, LPARAM lParam);
  void OnVScroll(UINT code);
  void OnMouseMove(WPARAM keys, int x, int y);
  void OnLButtonDown(LPARAM point, int x, int y);
  void OnRButtonDown(LPARAM point, int x, int y);
  void OnMButtonDown(LPARAM point, int x, int y);
  void CellClick(LPARAM point, int x, int y);
  void EndDrag(int x, bool atPoint);
  void LeaveHover();
  BOOL Activate();
  UINT ValidLine() const;
  bool LineMode() const { return (m_model.m_uStyle & GS_LINEMODE) != 0; }
  // In-place editing (grid_view_edit_win32.cpp).
  void OpenEdit();
  void OpenList();
  void OnChildCommand(UINT code);
  void CloseChild();
  void ChildLosesFocus();
  static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Painting (grid_view_paint_win32.cpp).
  void Paint(HDC dc, const RECT& area);
  void PaintHeader(HDC dc, UINT column);
  void PaintBands(HDC dc, const RECT& area);
  void PaintLines(HDC dc, const RECT& area);
  void DrawCell(HDC dc, const RECT& cell, const SViewColumn& column, const SGridElt* elt);
  void DrawText(HDC dc, const RECT& rect, UINT justification, UINT valign, const char* text, UINT length,
                UINT ellipsisWidth);
  void DrawTextW(HDC dc, const RECT& rect, UINT justification, UINT valign, const wchar_t* text, UINT length);
  void DrawPicture(HDC dc, const RECT& rect, const SViewColumn& column, HBITMAP picture);
  void PaintTextColor(HDC dc, COLORREF colour);
};

#endif
