// Error codes, string ids, log sources, dialog templates and control ids of
// description editing and printing: the editable field and key tables, the
// table property sheet with its format dialogs, and the printed lists.
#pragma once

// Log sources.
constexpr const char* kSrcTblFldDesc = "CZTTblFldDesc";
constexpr const char* kSrcTblKeyDesc = "CZTTblKeyDesc";
constexpr const char* kSrcTableDescDlg = "CZTTableDescDlg";

// Errors of the editable field table (CZTTblFldDesc) and key table (CZTTblKeyDesc).
enum : unsigned {
  ZT_ERR_TBLFLD_NO_KEYWORD = 500,  // (keyword, file name)
  ZT_ERR_TBLFLD_ALLOC = 501,       // (row count)
  ZT_ERR_TBLFLD_READ = 510,        // (reader error, file name)
  ZT_ERR_TBLFLD_NUMBERS = 511,     // (row from 1)
  ZT_ERR_TBLFLD_NO_NAME = 512,     // (row from 1)
  ZT_ERR_TBLFLD_JUST = 513,        // (row from 1)
  ZT_ERR_TBLFLD_COLUMN = 520,      // (column from 1)
  ZT_ERR_TBLFLD_ITEM = 530,        // (item from 1)
  ZT_ERR_TBLFLD_EMPTY = 550,
  ZT_ERR_TBLFLD_TYPE = 551,    // (row from 1)
  ZT_ERR_TBLFLD_LENGTH = 552,  // (row from 1)
  ZT_ERR_TBLFLD_NAME = 553,    // (row from 1)
  ZT_ERR_TBLKEY_ALLOC = 601,   // (key count)
};

// Errors and questions of the table property sheet.
enum : unsigned {
  ZT_ERR_SHEET = 1701,            // (last error)
  ZT_ERR_SHEET_KEY_PARTS = 1705,  // (parts typed, key number from 1): not 1 to 4 parts
  ZT_ASK_DELETE_FIELD = 1710,     // (field name)
  ZT_ASK_DELETE_LINE = 1711,      // (line number)
  ZT_ASK_DELETE_KEY = 1712,       // (key index or image line)
};

// Resource strings.
enum : unsigned {
  ZT_STR_PRINT_HEADER = 1440,   // page header of the field list: format with the title
  ZT_STR_TBLFLD_HEADER = 2000,  // + column: name, offset, length, column type, width, justification
  ZT_STR_COLUMN_TYPE = 2020,    // + column type
  ZT_STR_JUST_LEFT = 590,
  ZT_STR_JUST_CENTRE = 591,
  ZT_STR_JUST_RIGHT = 592,
  ZT_STR_JUST_UNKNOWN = 593,
  ZT_STR_SHEET_CAPTION = 2710,
  ZT_STR_PAGE_FIELDS = 2711,
  ZT_STR_PAGE_KEYS = 2712,
  ZT_STR_PAGE_GALLERY = 2713,
  ZT_STR_FIELDS_HEADER = 2720,   // 2720-2731: columns of the fields grid
  ZT_STR_KEYS_HEADER = 2740,     // 2740-2748: columns of the keys grid
  ZT_STR_IMAGES_HEADER = 2750,   // the image-name grid's column
  ZT_STR_GALLERY_LAYOUT = 2800,  // 2800-2808
  ZT_STR_DIA_MODE = 2900,        // 2900-2903
};

// Dialog templates.
enum : unsigned {
  ZT_DLG_FIELDS_PAGE = 5300,
  ZT_DLG_KEYS_PAGE = 5310,
  ZT_DLG_GALLERY_PAGE = 5320,
  ZT_DLG_NUMBER_FORMAT = 5330,
  ZT_DLG_DECIMAL_FORMAT = 5340,
  ZT_DLG_DATETIME_FORMAT = 5350,
};

// Controls: grids and the command ids of their columns.
enum : unsigned {
  ZT_ID_FIELDS_GRID = 5300,  // columns 5301-5312
  ZT_ID_FIELD_NUMBER = 5301,
  ZT_ID_FIELD_NAME = 5302,
  ZT_ID_FIELD_ENCODING = 5303,
  ZT_ID_FIELD_OFFSET = 5304,
  ZT_ID_FIELD_LENGTH = 5305,
  ZT_ID_FIELD_CONTENT = 5306,
  ZT_ID_FIELD_CONTENT_FORMAT = 5307,
  ZT_ID_FIELD_DATA_JUST = 5308,
  ZT_ID_FIELD_DISPLAY = 5309,
  ZT_ID_FIELD_DISPLAY_FORMAT = 5310,
  ZT_ID_FIELD_DISP_JUST = 5311,
  ZT_ID_FIELD_WIDTH = 5312,

  ZT_ID_KEYS_GRID = 5320,  // columns 5321-5329
  ZT_ID_KEY_NUMBER = 5321,
  ZT_ID_KEY_OPTION1 = 5322,  // 5322-5326: option flags 1-5
  ZT_ID_KEY_OPTION5 = 5326,
  ZT_ID_KEY_PARTS = 5327,
  ZT_ID_KEY_TYPE = 5328,
  ZT_ID_KEY_FIELD = 5329,

  ZT_ID_IMAGES_GRID = 5340,
  ZT_ID_IMAGE_NAME = 5341,

  ZT_ID_DATE_FORMAT = 5360,
  ZT_ID_TIME_FORMAT = 5361,
  ZT_ID_GALLERY_LAYOUT = 5362,
  ZT_ID_DIA_MODE = 5363,

  ZT_ID_FORMAT_OK = 5370,
  ZT_ID_FORMAT_CANCEL = 5371,
  ZT_ID_APPEND = 5372,
  ZT_ID_INSERT = 5373,
  ZT_ID_DELETE = 5374,
  ZT_ID_PRINT = 5375,
  ZT_ID_SIGNED = 5380,
  ZT_ID_LEADING_ZEROS = 5381,
  ZT_ID_THOUSANDS = 5382,
  ZT_ID_DECIMAL_COMMA = 5383,
  ZT_ID_DECIMALS_SPIN = 5384,
  ZT_ID_DECIMALS = 5385,
  ZT_ID_DATE_PART = 5386,
  ZT_ID_TIME_PART = 5387,

  ZT_ID_TABLE_NAME = 5390,
  ZT_ID_DISP_WIDTH_SUM = 5391,
  ZT_ID_RECORD_SIZE = 5392,
  ZT_ID_DIA_WIDTH = 5393,
  ZT_ID_DIA_HEIGHT = 5394,
};
