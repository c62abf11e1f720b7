// ztdesc check: the engine's integrity check of an ISAM file.
#include "commands.h"

int ztdescCheck(int argc, char** argv) {
  if (ztdescWantsHelp("check", argc, argv)) return kExitOk;
  if (argc != 1 || argv[0][0] == '-')
    return ztdescUsage("check", argc ? "unexpected arguments" : "ISAMFILE is missing");
  if (ztdescIsFolder(argv[0])) return kExitFailed;
  // Opened even with a damaged log, so that the check can say what it lost.
  ISAMFILE file = nullptr;
  unsigned detail = 0;
  unsigned e = ISAMOpen(&file, argv[0], ISAM_OPEN_READONLY | ISAM_OPEN_ACCEPT_LOG_LOSS, &detail);
  if (e) return ztdescFail("%s: %s", argv[0], ztdescEngineError(e, detail).c_str());
  char report[1024] = "";
  e = ISAMCheckFile(file, report, sizeof(report));
  unsigned tables = 0;
  ISAMGetTableCount(file, &tables);
  ISAMClose(file, &detail);
  if (e)
    return ztdescFail("%s: %s%s%s", argv[0], ztdescEngineError(e).c_str(), report[0] ? ": " : "",
                      ztdescToOutput(report).c_str());
  printf("%s: ok (%u tables)\n", argv[0], tables);
  return kExitOk;
}
