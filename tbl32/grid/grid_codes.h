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
