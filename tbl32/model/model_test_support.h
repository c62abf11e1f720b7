// Test helpers of the description model and the grid: an IGridView that records
// its calls, with the box recorder and the log capture.
#pragma once

#include <stdarg.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "box_recorder.h"
#include "log_capture.h"
#include "zt_tbl32.h"

namespace zt_test {

// The one box recorder and log capture of the tests, under this namespace too.
using ::BoxRecorder;
using ::LogCapture;
using ::RecordedBox;

// An IGridView that records the calls that set up columns and cells as text.
// In owner-data mode it keeps the callback and pulls cells the way the grid
// window paints them (Cell, Row).
class RecordingGrid : public IGridView {
 public:
  std::vector<std::string> calls;
  UINT style = 0;
  UINT columnCount = 0;
  HWND window = nullptr;  // what GetHwnd answers
  OwnerDataCallback callback = nullptr;
  UINT itemCount = 0;
  UINT_PTR parameter = 0;

  // One owner-data cell as the grid asks for it (a 512-byte buffer); false
  // when the callback refuses it.
  bool Cell(UINT row, UINT column, std::string* text) const {
    char buffer[512];
    UINT length = 0;
    if (!callback || !callback(row, column, buffer, sizeof(buffer), &length, parameter)) return false;
    if (text) text->assign(buffer, length);
    return true;
  }
  // The cells of a row up to the first that is refused, as painting stops there.
  std::vector<std::string> Row(UINT row) const {
    std::vector<std::string> cells;
    std::string text;
    for (UINT c = 0; c < columnCount && Cell(row, c, &text); ++c) cells.push_back(text);
    return cells;
  }

  void Add(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    calls.push_back(text);
  }
  bool Has(const std::string& call) const {
    for (const auto& c : calls)
      if (c == call) return true;
    return false;
  }

  BOOL Create(HWND, UINT, const tagRECT*, UINT) override { return FALSE; }
  void Destroy() override {}
  HWND GetHwnd() override { return window; }
  HWND GetChildHwnd() override { return nullptr; }
  UINT GetStyle() override { return style; }
  UINT SetStyle(UINT s) override {
    Add("SetStyle(%u)", s);
    return style = s;
  }
  UINT AddStyle(UINT bits) override {
    Add("AddStyle(0x%X)", bits);
    return style |= bits, bits;
  }
  UINT RemoveStyle(UINT bits) override { return style &= ~bits, ~bits; }
  UINT GetCurColumn() override { return 0; }
  UINT GetCurItem() override { return 0; }
  UINT GetItemCount() override { return style & GS_OWNERDATA ? itemCount : 0; }
  UINT GetColumnListSel(UINT) override { return 0xFFFFFFFF; }
  BOOL IsSortColumn(UINT) override { return FALSE; }
  BOOL ClearSortColumn() override { return TRUE; }
  BOOL SelectItem(UINT, UINT) override { return TRUE; }
  BOOL EditItem(UINT, UINT) override { return TRUE; }
  BOOL SetColors(BOOL, COLORREF, COLORREF, COLORREF, COLORREF) override { return TRUE; }
  BOOL SetColumnCount(UINT count, BOOL redraw) override {
    Add("SetColumnCount(%u,%d)", count, redraw);
    columnCount = count;
    return TRUE;
  }
  BOOL SetColumnType(UINT column, UINT type, UINT commandId, BYTE flags) override {
    Add("SetColumnType(%u,%u,%u,0x%02X)", column, type, commandId, flags);
    return TRUE;
  }
  BOOL SetColumnHeader(UINT column, UINT width, BYTE just, const char* text, BOOL redraw) override {
    Add("SetColumnHeader(%u,%u,%u,%s,%d)", column, width, just, text ? text : "(null)", redraw);
    return TRUE;
  }
  BOOL SetColumnColor(UINT, COLORREF, COLORREF, BOOL) override { return TRUE; }
  BOOL SetColumnColors(UINT column, COLORREF be, COLORREF bo, COLORREF te, COLORREF to, BOOL redraw) override {
    Add("SetColumnColors(%u,%06X,%06X,%06X,%06X,%d)", column, be, bo, te, to, redraw);
    return TRUE;
  }
  BOOL SetSortColumn(UINT, BOOL) override { return TRUE; }
  BOOL SetItemCount(OwnerDataCallback cb, UINT count, UINT_PTR param, BOOL redraw) override {
    Add("SetItemCount(%u,%d)", count, redraw);
    if (!(style & GS_OWNERDATA)) return FALSE;
    callback = cb;
    itemCount = count;
    parameter = param;
    return TRUE;
  }
  BOOL InsertItem(UINT line, UINT data, BOOL redraw) override {
    Add("InsertItem(%u,%u,%d)", line, data, redraw);
    return TRUE;
  }
  BOOL DeleteItem(UINT line, BOOL redraw) override {
    Add("DeleteItem(%u,%d)", line, redraw);
    return TRUE;
  }
  void DeleteAllItems(BOOL redraw) override { Add("DeleteAllItems(%d)", redraw); }
  BOOL SetItemUInt64(UINT, UINT, UINT, UINT) override { return TRUE; }
  BOOL SetItemUInt(UINT line, UINT column, UINT value) override {
    Add("SetItemUInt(%u,%u,%u)", line, column, value);
    return TRUE;
  }
  BOOL SetItemInt64(UINT, UINT, UINT, UINT) override { return TRUE; }
  BOOL SetItemInt(UINT, UINT, int) override { return TRUE; }
  BOOL SetItemAmount(UINT, UINT, int) override { return TRUE; }
  BOOL SetItemTextW(UINT, UINT, const wchar_t*) override { return TRUE; }
  BOOL SetItemText(UINT line, UINT column, const char* text) override {
    Add("SetItemText(%u,%u,%s)", line, column, text ? text : "(null)");
    return TRUE;
  }
  UINT GetItemData(UINT) override { return 0xFFFFFFFF; }
  UINT GetItemUInt(UINT, UINT) override { return 0; }
  UINT GetItemValue(UINT, UINT) override { return 0; }
  UINT GetItemReserved(UINT, UINT) override { return 0xFFFFFFFF; }
  uint64_t GetItemUInt64(UINT, UINT) override { return 0; }
  uint64_t GetItemValue64(UINT, UINT) override { return 0; }
  BOOL GetItemTextW(UINT, UINT, wchar_t*, UINT) override { return FALSE; }
  BOOL GetItemText(UINT, UINT, char*, UINT) override { return FALSE; }
  int GetItemVisibility(UINT) override { return 0; }
  int EnsureVisible(UINT) override { return 0; }
  BOOL RedrawItem(UINT) override { return FALSE; }
  BOOL ScrollBy(int) override { return FALSE; }
  BOOL SetTopItem(UINT) override { return FALSE; }
  UINT GetTopItem() override { return 0; }
};

}  // namespace zt_test
