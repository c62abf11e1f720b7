// ztdesc import: loads the records of a ';'-separated text file into a table in
// one transaction; every value is checked before anything is stored.
#include <errno.h>
#include <string.h>
#ifdef _WIN32
#include <io.h>
#define ZT_ISATTY _isatty
#define ZT_FILENO _fileno
#else
#include <unistd.h>
#define ZT_ISATTY isatty
#define ZT_FILENO fileno
#endif

#include <string>
#include <vector>

#include "code_page.h"
#include "commands.h"
#include "csv_reader.h"
#include "field_encoder.h"
#include "zt_lib32/system_error.h"

namespace {

struct FileCloser {
  FILE* file;
  ~FileCloser() {
    if (file) fclose(file);
  }
};

}  // namespace

void ztdescBlankField(const CZTFieldDesc& field, unsigned char* record) {
  memset(record + field.m_uOffset, field.m_uEncodeType == iteASCIITEXT ? ' ' : 0, field.m_uLength);
}

unsigned ztdescFindField(const CZTFieldDescList& fields, const std::string& name) {
  // A zero byte would end the name early: no field is named so.
  if (name.size() >= sizeof(fields.m_pFields[0].m_szName) || name.find('\0') != std::string::npos)
    return fields.m_uCount;
  unsigned f = 0;
  while (f < fields.m_uCount && ztStrICmpAscii(fields.m_pFields[f].m_szName, name.c_str())) ++f;
  return f;
}

int ztdescImport(int argc, char** argv) {
  if (ztdescWantsHelp("import", argc, argv)) return kExitOk;
  std::vector<const char*> positional;
  bool json = false;
  for (int i = 0; i < argc; ++i) {
    if (!strcmp(argv[i], "--json"))
      json = true;
    else if (argv[i][0] == '-' && argv[i][1])
      return ztdescUsage("import", "unknown option '%s'", argv[i]);
    else
      positional.push_back(argv[i]);
  }
  if (positional.size() != 3) return ztdescUsage("import", "ISAMFILE, TABLE and the data file are needed");
  const char* isamName = positional[0];
  const char* tableName = positional[1];
  const char* dataName = positional[2];

  if (ztdescIsFolder(dataName)) return kExitFailed;
  FileCloser data{fopen(dataName, "rb")};
  if (!data.file) {
    char reason[256];
    return ztdescFail("%s: cannot be opened (%s)", dataName,
                      ztSystemErrorText(unsigned(errno), reason, sizeof(reason)));
  }
  ZTOpenTable open;
  if (!ztdescOpenTable(open, isamName, tableName, ISAM_OPEN_READWRITE)) return kExitFailed;
  const CZTFieldDescList& fields = open.tableDesc->m_Fields;
  if (json) return ztdescImportJson(open, data.file, isamName, dataName);

  CsvReader reader(data.file);
  std::vector<std::string> values;
  if (!reader.Next(values)) return ztdescFail("%s: empty file, a header row naming the fields is needed", dataName);
    // Natively the file is UTF-8. On Windows it is when it begins with a byte order
    // mark; else it is taken as it is, in the ANSI code page.
#ifdef _WIN32
  const bool utf8 = reader.HadByteOrderMark();
#else
  const bool utf8 = true;
#endif
  std::vector<unsigned> columnField(values.size());
  std::vector<bool> filled(fields.m_uCount, false);
  for (size_t c = 0; c < values.size(); ++c) {
    const unsigned column = static_cast<unsigned>(c) + 1;
    std::string name = values[c];
    ZTCodePageError error;
    if (utf8 && !ztUtf8ToCp1252(values[c].data(), values[c].size(), &name, &error))
      return ztdescFail("%s:1: column %u: %s", dataName, column,
                        ztCodePageErrorText(values[c].data(), values[c].size(), error).c_str());
    const unsigned f = ztdescFindField(fields, name);
    const std::string shown = ztdescInputToOutput(values[c], utf8);
    if (f == fields.m_uCount)
      return ztdescFail("%s:1: column %u: no field %s in table %s", dataName, column, shown.c_str(),
                        ztdescToOutput(open.tableDesc->m_szName).c_str());
    if (filled[f]) return ztdescFail("%s:1: field %s named twice", dataName, shown.c_str());
    filled[f] = true;
    columnField[c] = f;
  }

  // Every record is encoded first, so that a bad value stores nothing.
  std::vector<unsigned char> template_(open.recordSize, 0);
  for (unsigned f = 0; f < fields.m_uCount; ++f)
    if (!filled[f]) ztdescBlankField(fields.m_pFields[f], template_.data());
  std::vector<unsigned char> records;
  std::vector<unsigned> lines;
  std::string message;
  while (reader.Next(values)) {
    if (values.size() == 1 && values[0].empty()) continue;  // empty line
    unsigned line = reader.LineNumber();
    if (reader.BadQuote()) return ztdescFail("%s:%u: a quoted value is not closed", dataName, line);
    if (values.size() != columnField.size())
      return ztdescFail("%s:%u: %u values, the header names %u fields", dataName, line, (unsigned)values.size(),
                        (unsigned)columnField.size());
    size_t at = records.size();
    records.insert(records.end(), template_.begin(), template_.end());
    for (size_t c = 0; c < values.size(); ++c) {
      const CZTFieldDesc& field = fields.m_pFields[columnField[c]];
      if (!ztImportValue(field, values[c], utf8, records.data() + at, open.recordSize, dataName, line, &message)) {
        // Printed whole: a long file name must not push the reason out.
        fprintf(stderr, "ztdesc: %s\n", message.c_str());
        return kExitFailed;
      }
    }
    lines.push_back(line);
  }
  if (ferror(data.file)) return ztdescFail("%s: read error", dataName);

  return ztdescStoreRecords(open, records, lines, isamName, dataName);
}

int ztdescStoreRecords(ZTOpenTable& open, const std::vector<unsigned char>& records, const std::vector<unsigned>& lines,
                       const char* isamName, const char* dataName) {
  const unsigned count = static_cast<unsigned>(lines.size());
  bool progress = ZT_ISATTY(ZT_FILENO(stderr)) != 0;
  unsigned e = ISAMBeginTransaction(open.file);
  if (e) return ztdescFail("%s: %s", isamName, ztdescEngineError(e).c_str());
  for (unsigned r = 0; r < count; ++r) {
    unsigned address = 0;
    e = ISAMInsertRecord(open.table, records.data() + (size_t)r * open.recordSize, &address);
    if (e) {
      ISAMRollbackTransaction(open.file);
      if (progress) fputc('\n', stderr);
      return ztdescFail("%s:%u: the record cannot be stored: %s; nothing was imported", dataName, lines[r],
                        ztdescEngineError(e).c_str());
    }
    if (progress && (r % 4096 == 0 || r + 1 == count)) fprintf(stderr, "\rimporting %u of %u records", r + 1, count);
  }
  if (progress) fputc('\n', stderr);
  e = ISAMCommitTransaction(open.file);
  if (e) return ztdescFail("%s: %s; nothing was imported", isamName, ztdescEngineError(e).c_str());
  printf("%s: %u records imported into %s\n", isamName, count, ztdescToOutput(open.tableDesc->m_szName).c_str());
  return kExitOk;
}
