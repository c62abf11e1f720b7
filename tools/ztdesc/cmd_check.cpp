// ztdesc check: the engine's integrity check of an ISAM file.
#include "commands.h"

int ztdescCheck(int argc, char** argv) {
  if (ztdescWantsHelp("check", argc, argv)) return kExitOk;
  if (argc != 1 || argv[0][0] == '-')
    return ztdescUsage("check", argc ? "unexpected arguments" : "ISAMFILE is missing");
  ISAMFILE file = nullptr;
  unsigned detail = 0;
  unsigned e = ISAMOpen(&file, argv[0], ISAM_OPEN_READONLY, &detail);
  if (e) return ztdescFail("%s: %s (error %u)", argv[0], ztdescErrorText(e).c_str(), e);
  char report[1024] = "";
  e = ISAMCheckFile(file, report, sizeof(report));
  unsigned tables = 0;
  ISAMGetTableCount(file, &tables);
  ISAMClose(file, &detail);
  if (e)
    return ztdescFail("%s: %s (error %u)%s%s", argv[0], ztdescErrorText(e).c_str(), e, report[0] ? ": " : "",
                      ztdescToOutput(report).c_str());
  printf("%s: ok (%u tables)\n", argv[0], tables);
  return kExitOk;
}
