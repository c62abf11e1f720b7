// Writes tables into a new SQLite database: per table one transaction that
// creates the table with columns typed by the fields' content, inserts the
// records, makes one index per key and keeps the description in zt_descriptions.
#pragma once

#include <string>
#include <vector>

#include "sqlite_library.h"
#include "value_reader.h"

class ZTSqliteExport {
 public:
  explicit ZTSqliteExport(const ZTSqliteApi& api) : m_Api(api) {}
  ~ZTSqliteExport() { Close(); }
  ZTSqliteExport(const ZTSqliteExport&) = delete;
  ZTSqliteExport& operator=(const ZTSqliteExport&) = delete;

  // Opens the database file (UTF-8 name) for a bulk load and creates zt_descriptions. int: 1 ok.
  int Open(const char* fileName);
  // Starts the table's transaction: the table and its row of zt_descriptions
  // (description: the stored description text, Windows-1252). int: 1 ok.
  int BeginTable(const CZTTableDesc& table, const char* description);
  // One record of the table (of at least the description's record size). int: 1 ok.
  int Insert(const unsigned char* record);
  // The indexes, then the commit. int: 1 ok.
  int EndTable();
  // Closes the database. int: 1 ok.
  int Close();

  // What failed, after a result of 0.
  const std::string& Error() const { return m_Error; }
  // Values above the largest signed 64-bit integer, stored as REAL, in the last table.
  unsigned long long Approximated() const { return m_Approximated; }

  // "name" with inner quotes doubled, UTF-8: a table, column or index name.
  static std::string Quote(const char* name1252);
  // The statements for a table: CREATE TABLE, INSERT, one CREATE INDEX per key.
  static std::string CreateTableSql(const CZTTableDesc& table, const ZTValueReader& values);
  static std::string InsertSql(const CZTTableDesc& table);
  static int IndexSql(const CZTTableDesc& table, const ZTValueReader& values, std::vector<std::string>& sql,
                      std::string& error);
  // The connection settings of a bulk load into a file that nobody else uses.
  static const char kBulkSettings[];

 private:
  int Exec(const char* sql);
  int Fail(const char* what);
  const ZTSqliteApi& m_Api;
  sqlite3* m_Db = nullptr;
  sqlite3_stmt* m_Insert = nullptr;
  sqlite3_stmt* m_Describe = nullptr;
  ZTValueReader* m_Values = nullptr;
  std::vector<std::string> m_IndexSql;
  std::string m_TableName;
  std::string m_Error;
  unsigned long long m_Approximated = 0;
};
