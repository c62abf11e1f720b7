// ztdesc export-desc: the descriptions stored in an ISAM file written as a
// description file.
#include "commands.h"

int ztdescExportDesc(int argc, char** argv) {
  if (ztdescWantsHelp("export-desc", argc, argv)) return kExitOk;
  if (argc != 2) return ztdescUsage("export-desc", "ISAMFILE and OUT.CFG are needed");
  if (ztdescExists(argv[1])) return ztdescFail("%s exists already", argv[1]);
  CZTFileDesc isam;
  if (!ztdescLoad(isam, argv[0])) return kExitFailed;
  if (!isam.m_bIsamFile) return ztdescFail("%s is not an ISAM file", argv[0]);
  CZTFileDesc out(isam);
  out.m_bIsamFile = out.m_bReadOnly = out.m_bNewFile = 0;
  ztStrCopy(out.m_szFileName, argv[1], sizeof(out.m_szFileName));
  if (!out.WriteDesc()) return ztdescFail("%s cannot be written", argv[1]);
  printf("%s: %u tables written\n", argv[1], out.m_Tables.m_uCount);
  return kExitOk;
}
