// The programming interface of the library's grid window and the types it uses.
//
// A program obtains it by sending the grid window WM_USER with both parameters 0
// (ZT_GRID_QUERY); every further operation goes through the interface.
#pragma once

#include <stdint.h>

#include "zt_tbl32/frame.h"

struct tagRECT;

// Sent to a grid window: the result is its IGridView pointer (0 if none).
constexpr UINT ZT_GRID_QUERY = WM_USER;
// Sent to a grid window: EditItem(wParam line, lParam column); result 0.
constexpr UINT ZT_GRID_EDIT = WM_USER + 1;

// No line, no column: the current line or column when there is none, and the
// answer of a lookup by point, data or position that meets none.
constexpr UINT kZTNoLine = 0xFFFFFFFFu;
constexpr UINT kZTNoColumn = 0xFFFFFFFFu;
// A column's list selection while nothing is chosen in it.
constexpr UINT kZTNoListSel = 0xFFFFFFFFu;
// The data word of a line that does not exist, and the reserved word of a cell.
constexpr UINT kZTNoItemData = 0xFFFFFFFFu;

// Style bits.
enum : unsigned {
  GS_GRIDLINES = 0x0001,
  GS_LINEMODE = 0x0002,
  GS_DELETELINE = 0x0008,
  GS_INSERTLINE = 0x0010,
  GS_REPORTMOVES = 0x0020,
  GS_RCLICKPOINT = 0x0040,
  GS_ACTIVATECELLS = 0x0080,
  GS_RCLICKCELL = 0x0200,
  GS_OWNERDATA = 0x8000,
};

// Column flags.
enum : unsigned {
  GCF_CLICKACTIVATES = 0x01,
  GCF_SORTABLE = 0x02,
  GCF_SORTDOWN = 0x04,
  GCF_SORTUP = 0x06,
  GCF_THOUSANDS = 0x08,
  GCF_BACKCOLORS = 0x10,
  GCF_TEXTCOLORS = 0x20,
};

// Column types.
enum : unsigned {
  GCT_PLAIN = 0,   // no activation
  GCT_CHECK = 1,   // check picture by cell value 0, 1, 2; activation reports GN_CHECKACTIVATE
  GCT_NOTIFY = 2,  // activation reports GN_CELLACTIVATE
  GCT_SELECT = 3,  // activation reports GN_CELLSELECT
  GCT_EDIT = 4,    // in-place edit field
  GCT_LIST = 5,    // in-place drop-down list
  GCT_COLOR = 6,   // colour swatch: the cell value is a COLORREF
  GCT_YESNO = 7,   // yes/no picture by cell value 0, 1 (2: the thick ring)
};

// Notification codes: the high word of the WM_COMMAND wParam the grid sends its
// parent. The low word is the grid's control id or a column's command id.
enum : unsigned {
  GN_CLICK = 0x01,          // control id; lParam: mouse point
  GN_RCLICK = 0x02,         // control id; mouse point
  GN_MCLICK = 0x03,         // control id; mouse point
  GN_HEADERCLICK = 0x04,    // control id; column
  GN_HEADERRCLICK = 0x05,   // control id; column
  GN_HEADERMCLICK = 0x06,   // control id; column
  GN_LINESELECT = 0x07,     // control id; line
  GN_RCLICKLINE = 0x08,     // control id; SGridRClick* (valid during the call)
  GN_CELLSELECT = 0x0A,     // column; line
  GN_RCLICKCELL = 0x0B,     // column; line
  GN_LINEACTIVATE = 0x0D,   // control id; line
  GN_CHECKACTIVATE = 0x0E,  // column; line
  GN_CELLACTIVATE = 0x0F,   // column; line
  GN_EDITOPEN = 0x10,       // column; line
  GN_EDITCLOSE = 0x11,      // column; line
  GN_LISTOPEN = 0x12,       // column; line: the parent fills the list now
  GN_LISTCLOSE = 0x13,      // column; line: list accepted
  GN_DELETELINE = 0x14,     // control id; current line
  GN_DELETECELL = 0x15,     // column; current line
  GN_INSERTLINE = 0x16,     // control id; current line
  GN_INSERTCELL = 0x17,     // column; current line
  GN_MOVED = 0x1C,          // column or control id; current line
  GN_SCROLLED = 0x1D,       // control id; new top line (posted)
};

// lParam of GN_RCLICKLINE.
struct SGridRClick {
  uint32_t line;
  uint32_t column;  // kZTNoColumn: no column under the point
  uint32_t x, y;
};

// Window classes of the grid and of its list pop-up.
constexpr const char kGridClassName[] = "CZTGridView32";
constexpr const wchar_t kGridClassNameW[] = L"CZTGridView32W";
constexpr const char kListBoxParentClassName[] = "CZTListBoxParent";

// Element types of a cell.
enum : unsigned char {
  GET_EMPTY = 0,
  GET_UINT = 1,
  GET_INT = 2,
  GET_AMOUNT = 3,
  GET_TEXT = 8,
  GET_TEXTW = 9,
  GET_UINT64 = 10,
  GET_INT64 = 11,
};

// One grid cell.
struct SGridElt {
  BYTE type;            // element type; 0 = empty
  BYTE savedType;       // type before an in-place edit began; 0 when none is open
  WORD capacity;        // bytes allocated for the text (terminator included)
  WORD savedLength;     // bytes of the saved text
  uint32_t value;       // number, or pointer to the text
  uint32_t valueHigh;   // high 32 bits of 64-bit numbers
  uint32_t savedValue;  // value or saved text pointer during an edit
  uint32_t savedValueHigh;
  BYTE reserved[8];
};

// Texts of owner-data cells: (row, column, 512-byte buffer, buffer size, length
// written, parameter given to SetItemCount); FALSE skips the rest of the row. The
// parameter is pointer-sized so that it can carry an object natively too (in the
// 32-bit DLL it is the same UINT).
typedef BOOL (*OwnerDataCallback)(UINT row, UINT column, char* buffer, UINT size, UINT* length, UINT_PTR parameter);

class IGridView {
 public:
  virtual ~IGridView() {}
  virtual BOOL Create(HWND parent, UINT id, const tagRECT* rect, UINT style) = 0;
  virtual void Destroy() = 0;
  virtual HWND GetHwnd() = 0;
  virtual HWND GetChildHwnd() = 0;
  virtual UINT GetStyle() = 0;
  virtual UINT SetStyle(UINT style) = 0;
  virtual UINT AddStyle(UINT bits) = 0;
  virtual UINT RemoveStyle(UINT bits) = 0;
  virtual UINT GetCurColumn() = 0;
  virtual UINT GetCurItem() = 0;
  virtual UINT GetItemCount() = 0;
  virtual UINT GetColumnListSel(UINT column) = 0;
  virtual BOOL IsSortColumn(UINT column) = 0;
  virtual BOOL ClearSortColumn() = 0;
  virtual BOOL SelectItem(UINT line, UINT column) = 0;
  virtual BOOL EditItem(UINT line, UINT column) = 0;
  virtual BOOL SetColors(BOOL odd, COLORREF lineBackground, COLORREF text, COLORREF selectionBackground,
                         COLORREF selectedText) = 0;
  virtual BOOL SetColumnCount(UINT count, BOOL redraw) = 0;
  virtual BOOL SetColumnType(UINT column, UINT type, UINT commandId, BYTE flags) = 0;
  virtual BOOL SetColumnHeader(UINT column, UINT widthPercent, BYTE justification, const char* text, BOOL redraw) = 0;
  virtual BOOL SetColumnColor(UINT column, COLORREF background, COLORREF text, BOOL redraw) = 0;
  virtual BOOL SetColumnColors(UINT column, COLORREF backgroundEven, COLORREF backgroundOdd, COLORREF textEven,
                               COLORREF textOdd, BOOL redraw) = 0;
  virtual BOOL SetSortColumn(UINT column, BOOL up) = 0;
  virtual BOOL SetItemCount(OwnerDataCallback callback, UINT count, UINT_PTR parameter, BOOL redraw) = 0;
  virtual BOOL InsertItem(UINT line, UINT data, BOOL redraw) = 0;
  virtual BOOL DeleteItem(UINT line, BOOL redraw) = 0;
  virtual void DeleteAllItems(BOOL redraw) = 0;
  virtual BOOL SetItemUInt64(UINT line, UINT column, UINT low, UINT high) = 0;
  virtual BOOL SetItemUInt(UINT line, UINT column, UINT value) = 0;
  virtual BOOL SetItemInt64(UINT line, UINT column, UINT low, UINT high) = 0;
  virtual BOOL SetItemInt(UINT line, UINT column, int value) = 0;
  virtual BOOL SetItemAmount(UINT line, UINT column, int hundredths) = 0;
  virtual BOOL SetItemTextW(UINT line, UINT column, const wchar_t* text) = 0;
  virtual BOOL SetItemText(UINT line, UINT column, const char* text) = 0;
  virtual UINT GetItemData(UINT line) = 0;
  virtual UINT GetItemUInt(UINT line, UINT column) = 0;
  virtual UINT GetItemValue(UINT line, UINT column) = 0;
  virtual UINT GetItemReserved(UINT line, UINT column) = 0;
  virtual uint64_t GetItemUInt64(UINT line, UINT column) = 0;
  virtual uint64_t GetItemValue64(UINT line, UINT column) = 0;
  virtual BOOL GetItemTextW(UINT line, UINT column, wchar_t* buffer, UINT bufferBytes) = 0;
  virtual BOOL GetItemText(UINT line, UINT column, char* buffer, UINT bufferBytes) = 0;
  virtual int GetItemVisibility(UINT line) = 0;
  virtual int EnsureVisible(UINT line) = 0;
  virtual BOOL RedrawItem(UINT line) = 0;
  virtual BOOL ScrollBy(int lines) = 0;
  virtual BOOL SetTopItem(UINT line) = 0;
  virtual UINT GetTopItem() = 0;
};
