// zt_isa32: the ISAM engine. Plain C functions; every ISAM function except the
// three key-type functions returns an error code, 0 for success. File and table
// handles are opaque pointers. The file format is described in docs/isam-format.md.
#pragma once

#include "zt_lib32/platform.h"
#include "zt_lib32/list_box.h"

#if defined(_WIN32)
#if defined(ZT_ISA32_BUILD)
#define ZT_ISA32_API __declspec(dllexport)
#else
#define ZT_ISA32_API __declspec(dllimport)
#endif
#else
#define ZT_ISA32_API __attribute__((visibility("default")))
#endif

typedef struct ZTIsamFile* ISAMFILE;
typedef struct ZTIsamTable* ISAMTABLE;

#pragma pack(push, 1)
// Index definition table entry: one per key, 58 bytes.
struct ISAMIDT {
  unsigned char options[5];  // option flags 1-5 (ISAM_OPT_...), each 0 or 1
  unsigned char partCount;   // 1-4
  struct Part {
    unsigned short keyType;  // ISAM_KEY_...
    unsigned short offset;   // byte offset in the data record
    unsigned short length;   // byte length
    unsigned short reserved;
  } parts[4];
  unsigned char reserved[20];
};
#pragma pack(pop)
static_assert(sizeof(ISAMIDT) == 58, "ISAMIDT is 58 bytes");

// Error codes. Every code has a text (ISAMErrorText).
enum : unsigned {
  ISAM_OK = 0,
  ISAM_ERR_ARGUMENT = 1001,        // a null or invalid argument
  ISAM_ERR_HANDLE = 1002,          // not an open file or table handle
  ISAM_ERR_OPEN = 1003,            // the file cannot be opened (detail: system error)
  ISAM_ERR_CREATE = 1004,          // the file cannot be created (detail: system error)
  ISAM_ERR_EXISTS = 1005,          // the file to create exists already
  ISAM_ERR_READ = 1006,            // a read failed (detail: system error)
  ISAM_ERR_WRITE = 1007,           // a write failed (detail: system error)
  ISAM_ERR_FLUSH = 1008,           // flushing to the disk failed (detail: system error)
  ISAM_ERR_NOT_ISAM = 1009,        // the file is not an ISAM file (signature)
  ISAM_ERR_VERSION = 1010,         // an ISAM file of an unknown format version
  ISAM_ERR_CORRUPT = 1011,         // a damaged page (checksum or structure; detail: page address)
  ISAM_ERR_LOCKED = 1012,          // opened for writing by another handle or process
  ISAM_ERR_READ_ONLY = 1013,       // a write through a file opened for reading only
  ISAM_ERR_NO_MEMORY = 1014,       // not enough memory
  ISAM_ERR_MODE = 1015,            // unknown open mode
  ISAM_ERR_TABLE_EXISTS = 1016,    // a table of that name exists already
  ISAM_ERR_NO_TABLE = 1017,        // no table of that name or number
  ISAM_ERR_TABLE_NAME = 1018,      // empty table name or longer than 31 characters
  ISAM_ERR_KEY_DEF = 1019,         // invalid key definition (count, options, part count, type, length)
  ISAM_ERR_KEY_OUTSIDE = 1020,     // a key part lies outside the data record
  ISAM_ERR_KEY_TOO_LONG = 1021,    // the key is too long for the index node size
  ISAM_END_OF_ITERATION = 1022,    // the iteration has ended (not a failure)
  ISAM_ERR_NODE_SIZE = 1023,       // index node size outside 32-65535
  ISAM_ERR_RECORD_SIZE = 1024,     // data record size outside 1-65535
  ISAM_ERR_INDEX = 1025,           // no index of that number
  ISAM_ERR_ADDRESS = 1026,         // no record at that address
  ISAM_ERR_DUPLICATE = 1027,       // the record's key exists already in a unique index
  ISAM_ERR_NO_ITERATION = 1028,    // reading before an iteration was set up
  ISAM_ERR_FLAGS = 1029,           // unknown iteration flags
  ISAM_ERR_IN_TRANSACTION = 1030,  // a transaction is open already
  ISAM_ERR_NO_TRANSACTION = 1031,  // no transaction is open
  ISAM_ERR_BUFFER = 1032,          // the buffer is too small (what fits was copied)
  ISAM_ERR_SLOT = 1033,            // unknown description slot
  ISAM_ERR_FULL = 1034,            // the file or table has reached its size limit
  ISAM_ERR_BLANK_KEY = 1035,       // a required key is blank
  ISAM_ERR_KEY_FIXED = 1036,       // an update changes a key that may not change
  ISAM_ERR_FAILED = 1037,          // an earlier write failed: roll back or close the file
  ISAM_ERR_TOO_MANY_KEYS = 1038,   // more keys than a table can hold
  ISAM_ERR_CHECK = 1039,           // the integrity check found a fault (report text)
  ISAM_ERR_LOG_DAMAGED = 1040,     // the log beside the file is damaged (detail: committed transactions lost)
  ISAM_ERR_LOG_UNREADABLE = 1041,  // the log beside the file cannot be read (detail: system error)
  ISAM_ERR_NOT_WRITABLE = 1042,    // the file or its folder cannot be written (detail: system error)
};
#define ISAM_FIRST_ERROR 1001u
#define ISAM_LAST_ERROR 1042u

// Open modes. Mode 4 reads like mode 5 and becomes the file's writer when its
// first change or transaction begins; mode 5 never writes.
enum : unsigned { ISAM_OPEN_READWRITE = 4, ISAM_OPEN_READONLY = 5 };
// Added to an open mode: opens a file whose log is damaged or cannot be read,
// with what can be used of it (the lost transactions stay lost once it is written).
enum : unsigned { ISAM_OPEN_ACCEPT_LOG_LOSS = 0x100 };
// ISAMCreateEx flags: the file is built under the name "<name>-new" and gets its
// own name when ISAMClose has made it complete (a killed program leaves no
// half-made file under the name).
enum : unsigned { ISAM_CREATE_NAMED_ON_CLOSE = 1 };

// Iteration flags.
enum : unsigned {
  ISAM_ITER_FORWARD = 0,
  ISAM_ITER_BACKWARD = 16,
  ISAM_ITER_FROM_ADDRESS = 12,
  ISAM_ITER_BACKWARD_FROM_ADDRESS = 28,
};

// Option flags of an index (ISAMIDT::options[i] non-zero switches option i + 1 on).
enum : unsigned {
  ISAM_OPT_UNIQUE = 0,      // 1: no two records with equal keys
  ISAM_OPT_SKIP_BLANK = 1,  // 2: records whose key parts are all blank or zero are left out
  ISAM_OPT_REQUIRED = 2,    // 3: a record with an all blank or zero key is refused
  ISAM_OPT_FIXED = 3,       // 4: an update may not change the key
  ISAM_OPT_DESCENDING = 4,  // 5: the index runs from the highest key to the lowest
};

// Key types: how a key part is ordered.
enum : unsigned {
  ISAM_KEY_TEXT = 0,   // bytes as unsigned values
  ISAM_KEY_ITEXT = 1,  // text ignoring case (Windows-1252 folding)
  ISAM_KEY_UINT8 = 2,  // unsigned little-endian integers of 1, 2, 4, 8 bytes
  ISAM_KEY_UINT16 = 3,
  ISAM_KEY_UINT32 = 4,
  ISAM_KEY_UINT64 = 5,
  ISAM_KEY_INT8 = 6,  // signed little-endian integers of 1, 2, 4, 8 bytes
  ISAM_KEY_INT16 = 7,
  ISAM_KEY_INT32 = 8,
  ISAM_KEY_INT64 = 9,
  ISAM_KEY_FLOAT = 10,     // IEEE 32-bit float
  ISAM_KEY_DOUBLE = 11,    // IEEE 64-bit float
  ISAM_KEY_EXTENDED = 12,  // x87 80-bit float
  ISAM_KEY_NUMTEXT = 13,   // digit text in numeric order
  ISAM_KEY_UTEXT = 14,     // UTF-16 text, little-endian code units
  ISAM_KEY_TYPE_COUNT = 15
};

// Limits.
enum : unsigned {
  ISAM_MAX_KEYS = 32,
  ISAM_MIN_NODE_SIZE = 32,
  ISAM_MAX_NODE_SIZE = 65535,
  ISAM_MAX_RECORD_SIZE = 65535,
  ISAM_DESC_SLOTS = 4,
};

// Byte offsets inside the 60-byte index descriptor of ISAMGetIndexDesc.
enum : unsigned {
  ISAM_DESC_OPTIONS = 0,      // 5 option bytes
  ISAM_DESC_PART_COUNT = 5,   // 1 byte
  ISAM_DESC_PARTS = 6,        // 4 x (type, offset, length, 0) as 16-bit values
  ISAM_DESC_KEY_LENGTH = 38,  // u32: bytes of a complete key
  ISAM_DESC_HEIGHT = 42,      // u32: levels of the tree (0 when empty)
  ISAM_DESC_ENTRIES = 46,     // u32: number of entries
  ISAM_DESC_NODE_SIZE = 50,   // u32: index node size
  ISAM_DESC_NODES = 54,       // u32: number of nodes
  ISAM_DESC_SIZE = 60
};

extern "C" {
// Files. ISAMOpen mode 4 reads and writes (one writer at a time: a second one's
// first change gets ISAM_ERR_LOCKED), mode 5 only reads; readers of both modes
// read a snapshot of the file as of their opening and never wait for a writer.
ZT_ISA32_API unsigned ISAMCreate(ISAMFILE* file, const char* fileName, unsigned* extError);
ZT_ISA32_API unsigned ISAMCreateEx(ISAMFILE* file, const char* fileName, unsigned flags, unsigned* extError);
ZT_ISA32_API unsigned ISAMOpen(ISAMFILE* file, const char* fileName, unsigned mode, unsigned* extError);
// Closes the file and every table handle still open on it; an open transaction is rolled back.
ZT_ISA32_API unsigned ISAMClose(ISAMFILE file, unsigned* extError);
// Closes a file made by ISAMCreate or ISAMCreateEx and removes it with its log.
ZT_ISA32_API unsigned ISAMDiscard(ISAMFILE file, unsigned* extError);
ZT_ISA32_API unsigned ISAMGetTableCount(ISAMFILE file, unsigned* count);
ZT_ISA32_API unsigned ISAMGetTableName(ISAMFILE file, unsigned index, char* name, unsigned size);
// Bytes of page cache the file may use (default 64 MB, at least 64 KB).
ZT_ISA32_API unsigned ISAMSetCacheSize(ISAMFILE file, unsigned bytes);

// Tables.
ZT_ISA32_API unsigned ISAMCreateTable(ISAMFILE file, const char* tableName, const ISAMIDT* idt, unsigned keyCount,
                                      unsigned recordSize, unsigned nodeSize);
// The checks of ISAMCreateTable on a table's definition, without a file: the
// error ISAMCreateTable would give (0 when it would take it). *key gets the key
// at fault and *part its part (ISAM_NO_KEY, ISAM_NO_PART where the fault is not one
// of a key or part).
#define ISAM_NO_KEY 0xFFFFFFFFu
#define ISAM_NO_PART 0xFFFFFFFFu
ZT_ISA32_API unsigned ISAMCheckTableDef(const ISAMIDT* idt, unsigned keyCount, unsigned recordSize, unsigned nodeSize,
                                        unsigned* key, unsigned* part);
ZT_ISA32_API unsigned ISAMOpenTable(ISAMFILE file, const char* tableName, ISAMTABLE* table);
ZT_ISA32_API unsigned ISAMCloseTable(ISAMTABLE table);
ZT_ISA32_API unsigned ISAMWriteTableDesc(ISAMTABLE table, unsigned slot, const char* text, unsigned length);
ZT_ISA32_API unsigned ISAMGetTableDescSize(ISAMTABLE table, unsigned slot, unsigned* size);
ZT_ISA32_API unsigned ISAMReadTableDesc(ISAMTABLE table, unsigned slot, char* buffer, unsigned size,
                                        unsigned* lengthRead);
ZT_ISA32_API unsigned ISAMGetIndexRecSize(ISAMTABLE table, unsigned* nodeSize);
ZT_ISA32_API unsigned ISAMGetDataRecSize(ISAMTABLE table, unsigned* recordSize);
ZT_ISA32_API unsigned ISAMGetRecordCount(ISAMTABLE table, unsigned* count);
// A descriptor of 60 bytes (ISAM_DESC_...); the 32-bit entry count at byte 46.
ZT_ISA32_API unsigned ISAMGetIndexDesc(ISAMTABLE table, unsigned index, void* descriptor);

// Reading records. Limits are complete keys (the parts one after the other, each
// of its part length), both inclusive; a null limit leaves that end open.
ZT_ISA32_API unsigned ISAMSetupIterationLimits(ISAMTABLE table, unsigned index, unsigned flags, const void* lowKey,
                                               const void* highKey);
ZT_ISA32_API unsigned ISAMSetupIterationAddress(ISAMTABLE table, unsigned index, unsigned flags, unsigned address,
                                                void* reserved);
// Positions the iteration on entry number `entry` (from 0, in the order of the
// index), found in logarithmic time: the next read returns that entry and the
// iteration goes on forwards (flags 0) or backwards (16). An entry beyond the
// last ends the iteration.
ZT_ISA32_API unsigned ISAMSetupIterationEntry(ISAMTABLE table, unsigned index, unsigned flags, unsigned entry);
// The reverse: the number (from 0, in the order of the index) of the entry of
// the record at `address`, found in logarithmic time. ISAM_END_OF_ITERATION
// when the index leaves that record out (a blank key of an index that skips them).
ZT_ISA32_API unsigned ISAMGetEntryNumber(ISAMTABLE table, unsigned index, unsigned address, unsigned* entry);
ZT_ISA32_API unsigned ISAMReadNextRecord(ISAMTABLE table, unsigned index, void* record, unsigned* address,
                                         void* reserved);
// The index entries of an iteration without the records, as many as fit: each
// the key in its ordered form (ISAMKeyEntrySize bytes: text as stored, ITEXT
// folded to lower case, integers big-endian with the sign bit flipped, and so
// on) followed by the record address in 4 bytes, most significant first. Continues and
// advances the iteration that ISAMReadNextRecord would; 1022 when none is left.
ZT_ISA32_API unsigned ISAMReadNextKeys(ISAMTABLE table, unsigned index, void* buffer, unsigned size, unsigned* count);
// Bytes of one entry of ISAMReadNextKeys for an index.
ZT_ISA32_API unsigned ISAMKeyEntrySize(ISAMTABLE table, unsigned index, unsigned* size);
// The records in the order they are stored, as many whole records as fit,
// following the one at *address (0: from the first). *address is then where the
// next call continues. The fastest way through every record; 1022 at the end.
ZT_ISA32_API unsigned ISAMReadRecords(ISAMTABLE table, unsigned* address, void* buffer, unsigned size, unsigned* count);
ZT_ISA32_API unsigned ISAMReadRecordByAddress(ISAMTABLE table, unsigned address, void* buffer, unsigned size,
                                              void* reserved);

// Writing records (outside a transaction every write is its own transaction).
ZT_ISA32_API unsigned ISAMInsertRecord(ISAMTABLE table, const void* record, unsigned* address);
ZT_ISA32_API unsigned ISAMUpdateRecord(ISAMTABLE table, unsigned address, const void* record);
ZT_ISA32_API unsigned ISAMDeleteRecord(ISAMTABLE table, unsigned address);
ZT_ISA32_API unsigned ISAMBeginTransaction(ISAMFILE file);
ZT_ISA32_API unsigned ISAMCommitTransaction(ISAMFILE file);
ZT_ISA32_API unsigned ISAMRollbackTransaction(ISAMFILE file);

// Verifies every page, every index's order and counts, and that every record is
// indexed exactly once; the first problem found is returned (ISAM_ERR_CHECK or
// the read error) with its description in report.
ZT_ISA32_API unsigned ISAMCheckFile(ISAMFILE file, char* report, unsigned size);

// Errors.
ZT_ISA32_API const char* ISAMErrorText(unsigned error);
// The system error (errno or GetLastError) behind the last failed call of this
// program, 0 when that failure had none.
ZT_ISA32_API unsigned ISAMLastSystemError(void);
// identification: the file name, or a file handle from ISAMCreate/ISAMOpen.
ZT_ISA32_API void ISAMDispError(const void* identification, const char* functionName, unsigned error,
                                unsigned extError);

// Key types.
ZT_ISA32_API const char* ISAMKeyType(unsigned code);
// The code of a key type name (ASCII case ignored); ISAM_UNKNOWN_KEY_TYPE for
// a name that is none.
#define ISAM_UNKNOWN_KEY_TYPE 0xFFFFFFFFu
ZT_ISA32_API unsigned ISAMGetKeyType(const char* name);
ZT_ISA32_API extern CZTListBox ISAMLBKeyTypes;
}
