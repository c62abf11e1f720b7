// zt_isa32: the ISAM engine. Plain C functions; every ISAM function except the
// three key-type functions returns an error code, 0 for success. File and table
// handles are opaque pointers.
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
  unsigned char options[5];  // option flags 1-5
  unsigned char partCount;   // 1-4
  struct Part {
    unsigned short keyType;
    unsigned short offset;
    unsigned short length;
    unsigned short reserved;
  } parts[4];
  unsigned char reserved[20];
};
#pragma pack(pop)
static_assert(sizeof(ISAMIDT) == 58, "ISAMIDT is 58 bytes");

// Error codes.
enum : unsigned {
  ISAM_OK = 0,
  ISAM_END_OF_ITERATION = 1022,
};

// Open modes.
enum : unsigned { ISAM_OPEN_READWRITE = 4, ISAM_OPEN_READONLY = 5 };

// Iteration flags.
enum : unsigned {
  ISAM_ITER_FORWARD = 0,
  ISAM_ITER_BACKWARD = 16,
  ISAM_ITER_FROM_ADDRESS = 12,
  ISAM_ITER_BACKWARD_FROM_ADDRESS = 28,
};

extern "C" {
// Files.
ZT_ISA32_API unsigned ISAMCreate(ISAMFILE* file, const char* fileName, unsigned* extError);
ZT_ISA32_API unsigned ISAMOpen(ISAMFILE* file, const char* fileName, unsigned mode, unsigned* extError);
ZT_ISA32_API unsigned ISAMClose(ISAMFILE file, unsigned* extError);
ZT_ISA32_API unsigned ISAMGetTableCount(ISAMFILE file, unsigned* count);
ZT_ISA32_API unsigned ISAMGetTableName(ISAMFILE file, unsigned index, char* name, unsigned size);

// Tables.
ZT_ISA32_API unsigned ISAMCreateTable(ISAMFILE file, const char* tableName, const ISAMIDT* idt, unsigned keyCount,
                                      unsigned recordSize, unsigned nodeSize);
ZT_ISA32_API unsigned ISAMOpenTable(ISAMFILE file, const char* tableName, ISAMTABLE* table);
ZT_ISA32_API unsigned ISAMCloseTable(ISAMTABLE table);
ZT_ISA32_API unsigned ISAMWriteTableDesc(ISAMTABLE table, unsigned slot, const char* text, unsigned length);
ZT_ISA32_API unsigned ISAMGetTableDescSize(ISAMTABLE table, unsigned slot, unsigned* size);
ZT_ISA32_API unsigned ISAMReadTableDesc(ISAMTABLE table, unsigned slot, char* buffer, unsigned size,
                                        unsigned* lengthRead);
ZT_ISA32_API unsigned ISAMGetIndexRecSize(ISAMTABLE table, unsigned* nodeSize);
ZT_ISA32_API unsigned ISAMGetDataRecSize(ISAMTABLE table, unsigned* recordSize);
// A descriptor of at most 60 bytes; the 32-bit entry count at byte 46.
ZT_ISA32_API unsigned ISAMGetIndexDesc(ISAMTABLE table, unsigned index, void* descriptor);

// Reading records.
ZT_ISA32_API unsigned ISAMSetupIterationLimits(ISAMTABLE table, unsigned index, unsigned flags, const void* lowKey,
                                               const void* highKey);
ZT_ISA32_API unsigned ISAMSetupIterationAddress(ISAMTABLE table, unsigned index, unsigned flags, unsigned address,
                                                void* reserved);
ZT_ISA32_API unsigned ISAMReadNextRecord(ISAMTABLE table, unsigned index, void* record, unsigned* address,
                                         void* reserved);
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
// indexed exactly once; the first problem found is returned.
ZT_ISA32_API unsigned ISAMCheckFile(ISAMFILE file, char* report, unsigned size);

// Errors.
ZT_ISA32_API const char* ISAMErrorText(unsigned error);
// identification: the file name (isHandle 0) or the file handle.
ZT_ISA32_API void ISAMDispError(const void* identification, const char* functionName, unsigned error,
                                unsigned extError);

// Key types.
ZT_ISA32_API const char* ISAMKeyType(unsigned code);
ZT_ISA32_API unsigned ISAMGetKeyType(const char* name);
ZT_ISA32_API extern CZTListBox ISAMLBKeyTypes;
}
