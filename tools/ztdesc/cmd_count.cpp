// ztdesc count: the number of records a selection picks.
#include <string.h>

#include "commands.h"
#include "select_scan.h"

int ztdescCount(int argc, char** argv) {
  if (ztdescWantsHelp("count", argc, argv)) return kExitOk;
  const char* positional[2] = {nullptr, nullptr};
  const char* where = nullptr;
  unsigned npos = 0;
  bool explain = false, fullScan = false;
  for (int i = 0; i < argc; ++i) {
    const char* a = argv[i];
    if (!strcmp(a, "--where")) {
      if (i + 1 >= argc) return ztdescUsage("count", "--where needs an expression");
      where = argv[++i];
    } else if (!strcmp(a, "--explain")) {
      explain = true;
    } else if (!strcmp(a, "--full-scan")) {
      fullScan = true;
    } else if (a[0] == '-' && a[1]) {
      return ztdescUsage("count", "unknown option '%s'", a);
    } else if (npos < 2) {
      positional[npos++] = a;
    } else {
      return ztdescUsage("count", "too many arguments");
    }
  }
  if (npos != 2) return ztdescUsage("count", "ISAMFILE and TABLE are needed");

  ZTOpenTable open;
  if (!ztdescOpenTable(open, positional[0], positional[1], ISAM_OPEN_READONLY)) return kExitFailed;
  const CZTTableDesc& table = *open.tableDesc;
  if (table.m_Keys.m_uCount == 0)
    return ztdescFail("%s: table %s has no index", positional[0], ztdescToOutput(table.m_szName).c_str());
  ZTSelectScan scan;
  std::string expression;
  if (where && !ztdescArgument(where, "--where", &expression)) return kExitFailed;
  if (!scan.Prepare(table, where ? expression.c_str() : nullptr, ZTSelectScan::kAnyIndex, fullScan)) return kExitFailed;
  if (explain) scan.Explain(stdout, open.table, table, true);
  unsigned e = 0;
  const unsigned count = scan.Count(open.table, table, &e);
  if (e)
    return ztdescFail("%s: table %s: %s", positional[0], ztdescToOutput(table.m_szName).c_str(),
                      ztdescEngineError(e).c_str());
  printf("%u\n", count);
  return kExitOk;
}
