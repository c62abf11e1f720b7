#include "sqlite_export.h"

#include <string.h>

#include "code_page.h"

const char ZTSqliteExport::kBulkSettings[] =
    "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA locking_mode=EXCLUSIVE; "
    "PRAGMA temp_store=MEMORY; PRAGMA cache_size=-65536;";

namespace {

const char kCreateDescriptions[] =
    "CREATE TABLE zt_descriptions (table_name TEXT PRIMARY KEY NOT NULL, description TEXT NOT NULL)";
const char kInsertDescription[] = "INSERT INTO zt_descriptions (table_name, description) VALUES (?1, ?2)";

unsigned FindField(const CZTTableDesc& table, const char* name) {
  for (unsigned f = 0; f < table.m_Fields.m_uCount; ++f)
    if (!ztStrICmpAscii(table.m_Fields.m_pFields[f].m_szName, name)) return f;
  return kZTNotFound;
}

}  // namespace

std::string ZTSqliteExport::Quote(const char* name1252) {
  std::string name = ztCp1252ToUtf8(name1252), quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string ZTSqliteExport::CreateTableSql(const CZTTableDesc& table, const ZTValueReader& values) {
  std::string sql = "CREATE TABLE " + Quote(table.m_szName) + " (";
  for (unsigned f = 0; f < table.m_Fields.m_uCount; ++f) {
    if (f) sql += ", ";
    sql += Quote(table.m_Fields.m_pFields[f].m_szName) + ' ' + values.ColumnType(f);
  }
  return sql + ')';
}

std::string ZTSqliteExport::InsertSql(const CZTTableDesc& table) {
  std::string sql = "INSERT INTO " + Quote(table.m_szName) + " VALUES (";
  for (unsigned f = 0; f < table.m_Fields.m_uCount; ++f) sql += f ? ", ?" : "?";
  return sql + ')';
}

int ZTSqliteExport::IndexSql(const CZTTableDesc& table, const ZTValueReader& values, std::vector<std::string>& sql,
                             std::string& error) {
  sql.clear();
  for (unsigned k = 0; k < table.m_Keys.m_uCount; ++k) {
    const CZTKeyDesc& key = table.m_Keys.m_pKeys[k];
    bool unique = key.m_uOption[ISAM_OPT_UNIQUE] != 0;
    const char* order = key.m_uOption[ISAM_OPT_DESCENDING] ? " DESC" : "";
    char name[64];
    ztFormat(name, sizeof(name), "%s_key%u", table.m_szName, k + 1);
    std::string text = std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " + Quote(name) + " ON " +
                       Quote(table.m_szName) + " (";
    std::string blank;  // the condition of a key whose parts are all blank or zero
    for (unsigned p = 0; p < key.m_uPartCount && p < kZTMaxKeyParts; ++p) {
      unsigned f = FindField(table, key.m_Part[p].szFieldName);
      if (f == kZTNotFound) {
        error = "key " + std::to_string(k + 1) + " names the field " + ztCp1252ToUtf8(key.m_Part[p].szFieldName) +
                ", which the table does not have";
        return 0;
      }
      std::string column = Quote(table.m_Fields.m_pFields[f].m_szName);
      text += (p ? ", " : "") + column;
      if (key.m_Part[p].uKeyType == ISAM_KEY_ITEXT) text += " COLLATE NOCASE";
      text += order;
      if (p) blank += " AND ";
      blank += strcmp(values.ColumnType(f), "TEXT") ? "coalesce(" + column + ", 0) = 0"
                                                    : "coalesce(" + column + ", '') = ''";
    }
    text += ')';
    // Records whose key is blank are not in such an index, so they need not be unique either.
    if (unique && key.m_uOption[ISAM_OPT_SKIP_BLANK]) text += " WHERE NOT (" + blank + ")";
    sql.push_back(text);
  }
  return 1;
}

int ZTSqliteExport::Fail(const char* what) {
  m_Error = std::string(what) + ": " + (m_Db ? m_Api.errmsg(m_Db) : "out of memory");
  return 0;
}

int ZTSqliteExport::Exec(const char* sql) {
  if (m_Api.exec(m_Db, sql, nullptr, nullptr, nullptr) != kZTSqliteOk) return Fail(sql);
  return 1;
}

int ZTSqliteExport::Open(const char* fileName) {
  if (m_Api.open_v2(fileName, &m_Db, kZTSqliteOpenReadWrite | kZTSqliteOpenCreate, nullptr) != kZTSqliteOk)
    return Fail("the database cannot be opened");
  return Exec(kBulkSettings) && Exec(kCreateDescriptions) &&
         (m_Api.prepare_v2(m_Db, kInsertDescription, -1, &m_Describe, nullptr) == kZTSqliteOk ||
          Fail(kInsertDescription));
}

int ZTSqliteExport::BeginTable(const CZTTableDesc& table, const char* description) {
  delete m_Values;
  m_Values = new ZTValueReader(table.m_Fields);
  m_Approximated = 0;
  m_TableName = ztCp1252ToUtf8(table.m_szName);
  if (!IndexSql(table, *m_Values, m_IndexSql, m_Error)) return 0;
  std::string create = CreateTableSql(table, *m_Values), insert = InsertSql(table);
  std::string text = ztCp1252ToUtf8(description);
  if (!Exec("BEGIN") || !Exec(create.c_str())) return 0;
  if (m_Api.prepare_v2(m_Db, insert.c_str(), -1, &m_Insert, nullptr) != kZTSqliteOk) return Fail(insert.c_str());
  m_Api.bind_text(m_Describe, 1, m_TableName.c_str(), -1, nullptr);
  m_Api.bind_text(m_Describe, 2, text.c_str(), static_cast<int>(text.size()), nullptr);
  int step = m_Api.step(m_Describe);
  m_Api.reset(m_Describe);
  if (step != kZTSqliteDone) return Fail("the description cannot be stored");
  return 1;
}

int ZTSqliteExport::Insert(const unsigned char* record) {
  ZTValue value;
  const unsigned count = m_Values->FieldCount();
  for (unsigned f = 0; f < count; ++f) {
    m_Values->Read(f, record, value);
    const int column = static_cast<int>(f) + 1;
    switch (value.type) {
      case ZTValueType::Integer:
        m_Api.bind_int64(m_Insert, column, value.integer);
        break;
      case ZTValueType::Unsigned:
        // SQLite's integers are signed 64-bit: the nearest REAL is all it can hold.
        ++m_Approximated;
        m_Api.bind_double(m_Insert, column, static_cast<double>(value.big));
        break;
      case ZTValueType::Real:
        m_Api.bind_double(m_Insert, column, value.real);
        break;
      case ZTValueType::Text:
        m_Api.bind_text(m_Insert, column, value.text, static_cast<int>(value.length), nullptr);
        break;
      default:
        m_Api.bind_null(m_Insert, column);
    }
  }
  int step = m_Api.step(m_Insert);
  m_Api.reset(m_Insert);
  if (step != kZTSqliteDone) return Fail("a record cannot be stored");
  return 1;
}

int ZTSqliteExport::EndTable() {
  m_Api.finalize(m_Insert);
  m_Insert = nullptr;
  for (const std::string& sql : m_IndexSql)
    if (!Exec(sql.c_str())) return 0;
  return Exec("COMMIT");
}

int ZTSqliteExport::Close() {
  delete m_Values;
  m_Values = nullptr;
  if (m_Insert) m_Api.finalize(m_Insert);
  if (m_Describe) m_Api.finalize(m_Describe);
  m_Insert = m_Describe = nullptr;
  if (!m_Db) return 1;
  int result = m_Api.close(m_Db);
  m_Db = nullptr;
  if (result != kZTSqliteOk) {
    m_Error = "the database cannot be closed";
    return 0;
  }
  return 1;
}
