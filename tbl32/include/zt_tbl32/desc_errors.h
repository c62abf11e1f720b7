// Error codes of the key, table and file descriptions and of the ISAM structure
// operations. Their texts live in the language resource library.
#pragma once

enum : unsigned {
  // Reading record tables from a description file (error base 0).
  ZT_ERR_DESC_COUNT = 0,   // keyword
  ZT_ERR_DESC_ALLOC = 1,   // record count
  ZT_ERR_DESC_SELECT = 2,  // keyword

  // CZTKeyDesc, CZTKeyDescList
  ZT_ERR_KEY_READ = 1200,       // error, keyword, index
  ZT_ERR_KEY_NO_PARTS = 1201,   // keyword, index
  ZT_ERR_KEY_TOO_MANY = 1202,   // keyword, index, count
  ZT_ERR_KEY_PART_READ = 1203,  // error, part, keyword, index
  ZT_ERR_KEY_PART_TYPE = 1204,  // type name, part, keyword, index
  ZT_ERR_IDT_NO_KEYS = 1210,
  ZT_ERR_IDT_NO_FIELDS = 1211,
  ZT_ERR_IDT_ALLOC = 1212,        // key count
  ZT_ERR_IDT_FIELD = 1213,        // field name, key, part
  ZT_ERR_IDT_FIELD_RANGE = 1214,  // field name, offset, length

  // CZTTableDesc
  ZT_ERR_TBL_READ = 1400,           // keyword, block number; VerifyTable: no name
  ZT_ERR_TBL_NODE_SMALL = 1401,     // name, size
  ZT_ERR_TBL_NODE_LARGE = 1402,     // name, size
  ZT_ERR_TBL_NO_FIELDS = 1403,      // name
  ZT_ERR_TBL_NO_RECSIZE = 1404,     // name
  ZT_ERR_TBL_NO_KEYS = 1405,        // name
  ZT_ERR_TBL_FIELD_MISSING = 1406,  // name, field, field count
  ZT_ERR_TBL_OVERLAP = 1407,        // table, field j, field i, byte
  ZT_ERR_TBL_OVERLAP_IDX = 1408,    // table, field i, j, byte
  ZT_ERR_TBL_GAP = 1409,            // name, byte count
  ZT_ERR_TBL_FIELD_ALLOC = 1410,
  ZT_ERR_TBL_FIELD_APPEND = 1411,
  ZT_ERR_TBL_KEY_INSERT = 1415,
  ZT_ERR_TBL_KEY_APPEND = 1416,
  ZT_ERR_TBL_GRID_INSERT = 1420,   // key index
  ZT_ERR_TBL_GRID_DISPLAY = 1421,  // key index
  ZT_ERR_TBL_GRID_ITEM = 1430,     // control id, last error
  ZT_ERR_TBL_GRID_WINDOW = 1431,   // last error
  ZT_ERR_TBL_GRID_VIEW = 1432,
  ZT_ERR_TBL_GRID_NO_FIELDS = 1433,  // table name
  // What the ISAM engine would refuse, found by VerifyTable (keys and parts count from 1).
  ZT_ERR_TBL_KEY_FIELD = 1441,     // table, key, part, field name
  ZT_ERR_TBL_KEY_TYPE = 1442,      // table, key, part, key type name, field, field length
  ZT_ERR_TBL_KEY_COUNT = 1443,     // table, key count, largest key count
  ZT_ERR_TBL_KEY_LONG = 1444,      // table, key, index node size
  ZT_ERR_TBL_KEY_PARTS = 1445,     // table, key, part count
  ZT_ERR_TBL_KEY_REFUSED = 1446,   // table, key, engine error, engine text
  ZT_ERR_TBL_RECORD_LARGE = 1447,  // table, field, offset, length (1440 is the printed field list's header)
  ZT_ERR_TBL_DESC_ALLOC = 1490,
  ZT_ERR_TBL_STORED_SIZE = 1491,  // table, bytes the stored description needs, record size of the table

  // CZTFileDesc
  ZT_ERR_FILE_TABLE_INDEX = 1500,
  ZT_ERR_FILE_APPEND = 1501,
  ZT_ERR_FILE_INSERT = 1502,  // position
  ZT_ERR_FILE_ALLOC = 1510,
  ZT_ERR_FILE_TABLE_REACH = 1511,
  ZT_ERR_FILE_CREATE_QUESTION = 1520,   // name
  ZT_ERR_FILE_NOT_FOUND = 1521,         // name
  ZT_ERR_FILE_REPLACE_QUESTION = 1522,  // name
  ZT_ERR_FILE_DELETE = 1523,            // name, last error
  ZT_ERR_FILE_NO_TABLES = 1530,
  ZT_ERR_FILE_TABLE_TWICE = 1531,  // name, first table, second table (from 1)
  ZT_ERR_FILE_GRID_ITEM = 1540,    // control id, last error
  ZT_ERR_COPY_NO_SOURCE = 1550,
  ZT_ERR_COPY_SOURCE_MISSING = 1551,  // source
  ZT_ERR_COPY_NO_DEST = 1552,
  ZT_ERR_COPY_DEST_EXISTS = 1553,  // destination

  // CZTRecCache
  ZT_ERR_CACHE_MEMORY = 1600,  // buffer count, record size
};

// Header strings of the table-list grid.
enum : unsigned {
  ZT_STR_TABLES_NAME = 5210,
  ZT_STR_TABLES_FIELDS = 5211,
  ZT_STR_TABLES_KEYS = 5212,
  ZT_STR_TABLES_RECSIZE = 5213,
  ZT_STR_TABLES_NODESIZE = 5214,
};
