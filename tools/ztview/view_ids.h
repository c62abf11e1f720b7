// Command, control, timer and text ids of ztview.
#pragma once

// Menu commands (also the accelerators' commands).
enum : unsigned {
  ZV_CMD_FIRST = 40000,  // ids below are the child windows' and their columns'
  ZV_CMD_OPEN = 40001,
  ZV_CMD_FOLDER = 40002,
  ZV_CMD_EXPORT = 40003,
  ZV_CMD_CHECK = 40004,
  ZV_CMD_PRINT_FIELDS = 40005,
  ZV_CMD_PRINT_KEYS = 40006,
  ZV_CMD_PRINT_PREVIEW = 40007,
  ZV_CMD_EXIT = 40008,
  ZV_CMD_PROPERTIES = 40010,
  ZV_CMD_BACKWARDS = 40011,
  ZV_CMD_GOTO = 40012,
  ZV_CMD_SELECTION = 40013,
  ZV_CMD_FIND_NEXT = 40014,
  ZV_CMD_COPY = 40015,
  ZV_CMD_NO_SELECTION = 40016,
  ZV_CMD_COPY_LINE = 40017,
  ZV_CMD_FIND = 40018,
  ZV_CMD_GERMAN = 40020,
  ZV_CMD_ENGLISH = 40021,
  ZV_CMD_NEXT_PANE = 40022,
  ZV_CMD_REFRESH = 40023,
  ZV_CMD_ABOUT = 40030,
  ZV_CMD_RECENT_FIRST = 40100,  // one per remembered file
  ZV_CMD_INDEX_FIRST = 40200,   // one per key of the table
};

// Child windows of the main window.
enum : unsigned {
  ZV_ID_TREE = 101,
  ZV_ID_TABLES = 102,
  ZV_ID_STATUS = 104,
  ZV_ID_RECORDS = 300,  // its columns notify with 301, 302, ...
};

// The column ids of the library's table list.
constexpr unsigned ZV_TABLE_COLUMN_FIRST = 5200;

// Controls of the input dialog.
enum : unsigned { ZV_ID_INPUT_LABEL = 201, ZV_ID_INPUT_EDIT = 202 };

// Parts of the status bar.
enum : unsigned { ZV_STATUS_TABLE = 0, ZV_STATUS_RECORDS = 1, ZV_STATUS_SELECTION = 2, ZV_STATUS_PARTS = 3 };

// Texts in the language resource libraries.
enum : unsigned {
  ZV_STR_TITLE = 9000,
  ZV_STR_MENU_FILE = 9001,
  ZV_STR_OPEN = 9002,
  ZV_STR_FOLDER = 9003,
  ZV_STR_RECENT = 9004,
  ZV_STR_EXPORT = 9005,
  ZV_STR_CHECK = 9006,
  ZV_STR_PRINT_FIELDS = 9007,
  ZV_STR_PRINT_KEYS = 9008,
  ZV_STR_PRINT_PREVIEW = 9009,
  ZV_STR_EXIT = 9010,
  ZV_STR_NONE = 9011,
  ZV_STR_MENU_TABLE = 9020,
  ZV_STR_PROPERTIES = 9021,
  ZV_STR_INDEX = 9022,
  ZV_STR_BACKWARDS = 9023,
  ZV_STR_GOTO = 9024,
  ZV_STR_SELECTION = 9025,
  ZV_STR_FIND_NEXT = 9026,
  ZV_STR_COPY = 9027,
  ZV_STR_NO_SELECTION = 9028,
  ZV_STR_COPY_LINE = 9029,
  ZV_STR_FIND = 9030,
  ZV_STR_MENU_VIEW = 9040,
  ZV_STR_GERMAN = 9041,
  ZV_STR_ENGLISH = 9042,
  ZV_STR_NEXT_PANE = 9043,
  ZV_STR_REFRESH = 9044,
  ZV_STR_MENU_HELP = 9050,
  ZV_STR_ABOUT = 9051,
  ZV_STR_ST_RECORDS = 9060,     // %u records
  ZV_STR_ST_RECORDS_OF = 9061,  // %u of %u records
  ZV_STR_ST_INDEX = 9062,       // Index %u: %s
  ZV_STR_ST_BACKWARDS = 9063,
  ZV_STR_ST_SELECTION = 9064,  // Selection: %s
  ZV_STR_ST_NO_SELECTION = 9065,
  ZV_STR_ST_NO_TABLE = 9066,
  ZV_STR_ST_LINE = 9067,  // Line %u
  ZV_STR_FILTER_FILES = 9080,
  ZV_STR_FILTER_ALL = 9081,
  ZV_STR_FILTER_CSV = 9082,
  ZV_STR_GOTO_TITLE = 9083,
  ZV_STR_GOTO_LABEL = 9084,  // &Line (1 - %u):
  ZV_STR_FOLDER_TITLE = 9085,
  ZV_STR_FOLDER_LABEL = 9086,
  ZV_STR_OK = 9087,
  ZV_STR_CANCEL = 9088,
  ZV_STR_CHECK_OK = 9100,      // file, tables
  ZV_STR_CHECK_FAULT = 9101,   // file, engine text, report
  ZV_STR_EXPORTED = 9102,      // records, file
  ZV_STR_CANNOT_WRITE = 9103,  // file
  ZV_STR_NOT_FOUND = 9104,
  ZV_STR_ASK_WRITE = 9105,      // table, file
  ZV_STR_BAD_LINE = 9106,       // last line
  ZV_STR_BAD_FOLDER = 9107,     // folder
  ZV_STR_ABOUT_TEXT = 9108,     // version, major, minor, build
  ZV_STR_NO_FILE = 9109,        // file
  ZV_STR_PREVIEW_TITLE = 9110,  // table
  ZV_STR_ASK_WRITE_CFG = 9111,  // table
};
