// ztdesc copy: a new, empty ISAM file with the structure of another.
#include "commands.h"

int ztdescCopy(int argc, char** argv) {
  if (ztdescWantsHelp("copy", argc, argv)) return kExitOk;
  if (argc != 2) return ztdescUsage("copy", "SRC and DST are needed");
  CZTFileDesc desc;
  if (!desc.CopyISAMStructure(argv[0], argv[1]))
    return ztdescFail("the structure of %s cannot be copied to %s", argv[0], argv[1]);
  printf("%s: %u tables copied from %s\n", argv[1], desc.m_Tables.m_uCount, argv[0]);
  return kExitOk;
}
