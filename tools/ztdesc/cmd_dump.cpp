// ztdesc dump: the records of a table in index order, each field formatted as
// the grid shows it.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "commands.h"
#include "json_writer.h"
#include "select_scan.h"

namespace {

bool ParseCount(const char* text, unsigned* value) {
  if (!text || !*text) return false;
  char* end = nullptr;
  unsigned long v = strtoul(text, &end, 10);
  if (*end || text[0] == '-' || v > UINT32_MAX) return false;
  *value = static_cast<unsigned>(v);
  return true;
}

bool RightAligned(const CZTFieldDesc& field) {
  unsigned kind = field.m_uDisplayType & 0xF;
  return kind == 1 || kind == 3 || field.m_uDispJust == 1;
}

unsigned ColumnWidth(const CZTFieldDesc& field) {
  unsigned width = field.m_uEncodeType == iteASCIITEXT ? field.m_uLength : 12;
  if ((field.m_uDisplayType & 0xF) == 3) width = field.m_uLength + field.m_uLength / 3;
  if ((field.m_uDisplayType & 0xF) == ZT_KIND_DATETIME) {
    width = 0;
    if (field.m_uContentType & ZT_FMT_DATE) width += DateTextLength(ztFmtDateFormat(field.m_uDisplayType));
    if (field.m_uContentType & ZT_FMT_TIME) width += 9;
  }
  unsigned name = static_cast<unsigned>(strlen(field.m_szName));
  if (width < name) width = name;
  return width > 40 ? 40 : width;
}

// Characters on the screen: UTF-8 sequences count once.
unsigned ScreenLength(const std::string& text) {
  unsigned n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// One aligned cell; the last one of a line gets no trailing blanks.
void PrintCell(const std::string& text, unsigned width, bool right, unsigned column, unsigned columns) {
  if (column) putchar(' ');
  unsigned length = ScreenLength(text);
  unsigned pad = length < width ? width - length : 0;
  if (right) printf("%*s", (int)pad, "");
  fputs(text.c_str(), stdout);
  if (!right && column + 1 < columns) printf("%*s", (int)pad, "");
}

void PrintCsvValue(const char* text) {
  if (!strpbrk(text, ";\"\r\n")) {
    fputs(text, stdout);
    return;
  }
  putchar('"');
  for (const char* p = text; *p; ++p) {
    if (*p == '"') putchar('"');
    putchar(*p);
  }
  putchar('"');
}

// One JSON object per record, typed by the fields' content.
int DumpJson(ZTOpenTable& open, ZTSelectScan& scan, const char* fileName, unsigned limit) {
  const CZTTableDesc& table = *open.tableDesc;
  ZTValueReader values(table.m_Fields);
  ZTJsonWriter writer(stdout, table.m_Fields);
  std::vector<unsigned char> record(open.recordSize);
  for (unsigned shown = 0; shown < limit;) {
    unsigned address = 0;
    unsigned e = scan.ReadNext(open.table, record.data(), &address);
    if (e == ISAM_END_OF_ITERATION) break;
    if (e)
      return ztdescFail("%s: table %s: %s", fileName, ztdescToOutput(table.m_szName).c_str(),
                        ztdescEngineError(e).c_str());
    if (!scan.Matches(table, record.data(), open.recordSize)) continue;
    writer.Write(values, record.data());
    ++shown;
  }
  if (!writer.Flush()) return ztdescFail("the output cannot be written");
  return kExitOk;
}

}  // namespace

int ztdescDump(int argc, char** argv) {
  if (ztdescWantsHelp("dump", argc, argv)) return kExitOk;
  const char* positional[2] = {nullptr, nullptr};
  unsigned npos = 0, index = 1, limit = UINT32_MAX;  // no --limit: every record
  bool backward = false, csv = false, json = false, explain = false, indexGiven = false;
  const char* where = nullptr;
  for (int i = 0; i < argc; ++i) {
    const char* a = argv[i];
    if (!strcmp(a, "--index") || !strcmp(a, "--limit")) {
      unsigned value = 0;
      if (i + 1 >= argc || !ParseCount(argv[i + 1], &value)) return ztdescUsage("dump", "%s needs a number", a);
      ++i;
      if (a[2] == 'i') {
        index = value;
        indexGiven = true;
      } else {
        limit = value;
      }
    } else if (!strcmp(a, "--where")) {
      if (i + 1 >= argc) return ztdescUsage("dump", "--where needs an expression");
      where = argv[++i];
    } else if (!strcmp(a, "--explain")) {
      explain = true;
    } else if (!strcmp(a, "--backward")) {
      backward = true;
    } else if (!strcmp(a, "--csv")) {
      csv = true;
    } else if (!strcmp(a, "--json")) {
      json = true;
    } else if (a[0] == '-' && a[1]) {
      return ztdescUsage("dump", "unknown option '%s'", a);
    } else if (npos < 2) {
      positional[npos++] = a;
    } else {
      return ztdescUsage("dump", "too many arguments");
    }
  }
  if (npos != 2) return ztdescUsage("dump", "ISAMFILE and TABLE are needed");
  if (csv && json) return ztdescUsage("dump", "--csv and --json exclude each other");

  ZTOpenTable open;
  if (!ztdescOpenTable(open, positional[0], positional[1], ISAM_OPEN_READONLY)) return kExitFailed;
  const CZTTableDesc& table = *open.tableDesc;
  if (!table.m_Keys.m_uCount)
    return ztdescFail("%s: table %s has no keys", positional[0], ztdescToOutput(table.m_szName).c_str());
  if (index == 0 || index > table.m_Keys.m_uCount)
    return ztdescUsage("dump", "--index must be a key number from 1 to %u", table.m_Keys.m_uCount);
  ZTSelectScan scan;
  std::string expression;
  if (where && !ztdescArgument(where, "--where", &expression)) return kExitFailed;
  if (!scan.Prepare(table, where ? expression.c_str() : nullptr, index - 1, !where || indexGiven)) return kExitFailed;
  if (explain) scan.Explain(stdout, open.table, table, false);
  index = scan.m_uIndex + 1;
  unsigned e = scan.Start(open.table, backward ? ISAM_ITER_BACKWARD : ISAM_ITER_FORWARD);
  if (e)
    return ztdescFail("%s: table %s: %s", positional[0], ztdescToOutput(table.m_szName).c_str(),
                      ztdescEngineError(e).c_str());

  const CZTFieldDescList& fields = table.m_Fields;
  std::vector<unsigned char> record(open.recordSize);
  if (json) return DumpJson(open, scan, positional[0], limit);
  std::vector<unsigned> widths(fields.m_uCount);
  for (unsigned f = 0; f < fields.m_uCount; ++f) {
    widths[f] = ColumnWidth(fields.m_pFields[f]);
    if (csv) {
      if (f) putchar(';');
      PrintCsvValue(ztdescToOutput(fields.m_pFields[f].m_szName).c_str());
    } else {
      PrintCell(ztdescToOutput(fields.m_pFields[f].m_szName), widths[f], false, f, fields.m_uCount);
    }
  }
  putchar('\n');

  char text[512];
  unsigned shown = 0;
  while (shown < limit) {
    unsigned address = 0;
    e = scan.ReadNext(open.table, record.data(), &address);
    if (e == ISAM_END_OF_ITERATION) break;
    if (e)
      return ztdescFail("%s: table %s: %s", positional[0], ztdescToOutput(table.m_szName).c_str(),
                        ztdescEngineError(e).c_str());
    if (!scan.Matches(table, record.data(), open.recordSize)) continue;
    for (unsigned f = 0; f < fields.m_uCount; ++f) {
      const CZTFieldDesc& field = fields.m_pFields[f];
      unsigned length = 0;
      if (!field.FormatData(text, sizeof(text), &length, record.data(), open.recordSize))
        ztStrCopy(text, "?", sizeof(text));
      if (csv) {
        if (f) putchar(';');
        PrintCsvValue(ztdescToOutput(text).c_str());
      } else {
        PrintCell(ztdescToOutput(text), widths[f], RightAligned(field), f, fields.m_uCount);
      }
    }
    putchar('\n');
    ++shown;
  }
  if (!csv) printf("(%u records)\n", shown);
  return kExitOk;
}
