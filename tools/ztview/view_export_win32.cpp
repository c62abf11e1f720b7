#include "view_export.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "view_ids.h"
#include "view_texts.h"

namespace {

// Rows are gathered in memory and written in large pieces.
constexpr size_t kFlushSize = 1 << 16;

void PutValue(const char* text, std::string& out) {
  if (!strpbrk(text, ";\"\r\n")) {
    out += text;
    return;
  }
  out += '"';
  for (const char* p = text; *p; ++p) {
    if (*p == '"') out += '"';
    out += *p;
  }
  out += '"';
}

bool Flush(std::string& out, FILE* file) {
  const bool ok = fwrite(out.data(), 1, out.size(), file) == out.size();
  out.clear();
  return ok;
}

}  // namespace

int CViewExport::Write(const char* isamFile, const CZTTableDesc& table, unsigned index, bool backward,
                       CZTTblSelDesc* selection, const char* outFile) {
  m_uRecords = 0;
  m_uError = 0;
  if (selection && !selection->resolve(&table)) return 0;
  ISAMFILE file = nullptr;
  unsigned detail = 0;
  unsigned e = ISAMOpen(&file, isamFile, ISAM_OPEN_READONLY, &detail);
  if (e) {
    m_uError = e;
    ISAMDispError(isamFile, "ISAMOpen", e, detail);
    return 0;
  }
  ISAMTABLE handle = nullptr;
  e = ISAMOpenTable(file, table.m_szName, &handle);
  if (e) {
    m_uError = e;
    ISAMDispError(file, "ISAMOpenTable", e, 0);
    ISAMClose(file, &detail);
    return 0;
  }
  int ok = 0;
  FILE* out = fopen(outFile, "wb");
  if (!out) {
    ViewWarn(ZV_STR_CANNOT_WRITE, outFile);
  } else {
    ok = WriteRows(handle, table, index, backward, selection, out);
    if (fclose(out) != 0) ok = 0;
    if (!ok && !m_uError) ViewWarn(ZV_STR_CANNOT_WRITE, outFile);
    if (!ok) remove(outFile);
  }
  ISAMCloseTable(handle);
  ISAMClose(file, &detail);
  return ok;
}

int CViewExport::WriteRows(ISAMTABLE handle, const CZTTableDesc& table, unsigned index, bool backward,
                           const CZTTblSelDesc* selection, FILE* out) {
  const CZTFieldDescList& fields = table.m_Fields;
  std::string line;
  line.reserve(2 * kFlushSize);
  for (unsigned f = 0; f < fields.m_uCount; ++f) {
    if (f) line += ';';
    PutValue(fields.m_pFields[f].m_szName, line);
  }
  line += "\r\n";
  unsigned recordSize = 0;
  unsigned e = ISAMGetDataRecSize(handle, &recordSize);
  if (!e)
    e = ISAMSetupIterationLimits(handle, index, backward ? ISAM_ITER_BACKWARD : ISAM_ITER_FORWARD, nullptr, nullptr);
  std::vector<unsigned char> record(recordSize ? recordSize : 1);
  char text[512];
  bool written = true;
  while (!e && written) {
    unsigned address = 0;
    e = ISAMReadNextRecord(handle, index, record.data(), &address, nullptr);
    if (e) break;
    if (selection && !selection->testdata(&table, reinterpret_cast<const char*>(record.data()), recordSize)) continue;
    for (unsigned f = 0; f < fields.m_uCount; ++f) {
      unsigned length = 0;
      if (!fields.m_pFields[f].FormatData(text, sizeof(text), &length, record.data(), recordSize))
        ztStrCopy(text, "?", sizeof(text));
      if (f) line += ';';
      PutValue(text, line);
    }
    line += "\r\n";
    ++m_uRecords;
    if (line.size() >= kFlushSize) written = Flush(line, out);
  }
  if (written) written = Flush(line, out);
  if (!written) return 0;
  if (e != ISAM_END_OF_ITERATION) {
    m_uError = e;
    ISAMDispError(handle, "ISAMReadNextRecord", e, 0);
    return 0;
  }
  return 1;
}
