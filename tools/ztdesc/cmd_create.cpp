// ztdesc create: a new ISAM file from a description file.
#include <string.h>

#include "commands.h"

int ztdescCreate(int argc, char** argv) {
  if (ztdescWantsHelp("create", argc, argv)) return kExitOk;
  if (argc != 2) return ztdescUsage("create", "DESC.CFG and OUT are needed");
  const char* source = argv[0];
  const char* out = argv[1];
  if (ztdescExists(out)) return ztdescFail("%s exists already", out);
  CZTFileDesc desc;
  if (!ztdescLoad(desc, source)) return kExitFailed;
  if (desc.m_bIsamFile) return ztdescFail("%s is an ISAM file; use copy", source);
  unsigned bad = 0;
  if (!desc.VerifyDesc(&bad)) {
    if (bad == kZTNoTable) return ztdescFail("%s describes no tables", source);
    return ztdescFail("%s: table %s is not usable", source,
                      ztdescToOutput(desc.m_Tables.m_pTables[bad].m_szName).c_str());
  }
  if (!desc.CreateISAMFile(nullptr, out)) return ztdescFail("%s cannot be created", out);
  printf("%s: %u tables created\n", out, desc.m_Tables.m_uCount);
  return kExitOk;
}
