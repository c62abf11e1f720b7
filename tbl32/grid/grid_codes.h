// Error codes and log sources of the grid column descriptions.
#pragma once

constexpr const char* kSrcGridDef = "CGridDef";
constexpr const char* kSrcGridDesc = "CGridDesc";

enum : unsigned {
  ZT_ERR_GRIDDEF_NO_CONTROL = 900,  // (control id)
  ZT_ERR_GRIDDEF_NO_GRID = 901,
  ZT_ERR_GRIDDEF_INSERT = 910,    // (item)
  ZT_ERR_GRIDDEF_DELETE = 911,    // (item)
  ZT_ERR_GRIDDEF_ITEM_RES = 920,  // (item, column)

  ZT_ERR_GRIDDESC_NO_CONTROL = 1000,  // (control id)
  ZT_ERR_GRIDDESC_NO_GRID = 1001,
  ZT_ERR_GRIDDESC_INSERT = 1010,      // (item)
  ZT_ERR_GRIDDESC_ITEM_RES = 1011,    // (item, column)
  ZT_ERR_GRIDDESC_READ = 1020,        // (key, index)
  ZT_ERR_GRIDDESC_NO_JOKER = 1021,    // (key, index)
  ZT_ERR_GRIDDESC_NO_HEADER = 1022,   // (key, index)
  ZT_ERR_GRIDDESC_NO_COLUMNS = 1030,  // (key)
  ZT_ERR_GRIDDESC_ALLOC = 1031,       // (count)
};

// Column flags that carry colours of their own.
constexpr unsigned kColourFlags = 0x30;

// The grid window.
constexpr const char* kSrcGridView = "CGridView";

enum : unsigned {
  ZT_ERR_GRID_REGISTER = 1100,        // (class name, error)
  ZT_ERR_LISTPARENT_REGISTER = 1101,  // (class name, error)
  ZT_ERR_GRID_CREATE = 1102,          // (error)
  ZT_ERR_GRID_LINE = 1120,
  ZT_ERR_GRID_COLUMNS = 1121,  // (count)
  ZT_ERR_GRID_OBJECT = 1130,
  ZT_ERR_LISTPARENT_OBJECT = 1140,
  ZT_ERR_LISTPARENT_LISTBOX = 1141,  // (error)
  ZT_ERR_GRID_EDIT_FIELD = 1150,     // (error)
  ZT_ERR_GRID_LIST_FIELD = 1151,     // (error)
  ZT_ERR_GRID_FONT = 1160,           // (error)
};

// Resources of zt_tbl32 itself: the cell pictures and the column divider cursor.
enum : unsigned {
  ZT_BMP_CHECK_ON = 5100,
  ZT_BMP_CHECK_OFF = 5101,
  ZT_BMP_CHECK_RING = 5102,
  ZT_BMP_NO = 5105,
  ZT_BMP_YES = 5106,
  ZT_CUR_DIVIDER = 5130,
};

// Child kinds of the in-place editing.
enum : unsigned { kChildNone = 0, kChildEdit = 4, kChildList = 5 };
