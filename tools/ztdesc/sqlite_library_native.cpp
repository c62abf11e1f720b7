#include <sqlite3.h>

#include "sqlite_library.h"

static_assert(kZTSqliteOk == SQLITE_OK && kZTSqliteRow == SQLITE_ROW && kZTSqliteDone == SQLITE_DONE, "result codes");
static_assert(kZTSqliteOpenReadWrite == SQLITE_OPEN_READWRITE && kZTSqliteOpenCreate == SQLITE_OPEN_CREATE,
              "open flags");

const ZTSqliteApi* ztSqliteApi(char*, unsigned) {
  static const ZTSqliteApi kApi = {sqlite3_open_v2,    sqlite3_close,      sqlite3_exec,        sqlite3_errmsg,
                                   sqlite3_prepare_v2, sqlite3_bind_int64, sqlite3_bind_double, sqlite3_bind_text,
                                   sqlite3_bind_null,  sqlite3_step,       sqlite3_reset,       sqlite3_finalize,
                                   sqlite3_libversion};
  return &kApi;
}
