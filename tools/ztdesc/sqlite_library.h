// The few functions of SQLite's C interface that ztdesc uses, as a table:
// natively Debian's libsqlite3, linked; in the Windows build sqlite3.dll,
// loaded when export-sqlite first needs it, so that ztdesc.exe runs without it.
#pragma once

struct sqlite3;
struct sqlite3_stmt;

enum : int { kZTSqliteOk = 0, kZTSqliteRow = 100, kZTSqliteDone = 101 };
enum : int { kZTSqliteOpenReadWrite = 0x2, kZTSqliteOpenCreate = 0x4 };

struct ZTSqliteApi {
  int (*open_v2)(const char* fileName, sqlite3** db, int flags, const char* vfs);
  int (*close)(sqlite3* db);
  int (*exec)(sqlite3* db, const char* sql, int (*callback)(void*, int, char**, char**), void* context, char** error);
  const char* (*errmsg)(sqlite3* db);
  int (*prepare_v2)(sqlite3* db, const char* sql, int bytes, sqlite3_stmt** statement, const char** tail);
  int (*bind_int64)(sqlite3_stmt* statement, int index, long long value);
  int (*bind_double)(sqlite3_stmt* statement, int index, double value);
  int (*bind_text)(sqlite3_stmt* statement, int index, const char* text, int bytes, void (*destructor)(void*));
  int (*bind_null)(sqlite3_stmt* statement, int index);
  int (*step)(sqlite3_stmt* statement);
  int (*reset)(sqlite3_stmt* statement);
  int (*finalize)(sqlite3_stmt* statement);
  const char* (*libversion)(void);
};

// The functions; null with the reason in message when the library cannot be had.
const ZTSqliteApi* ztSqliteApi(char* message, unsigned size);
