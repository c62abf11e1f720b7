// A small application built only against the installed prefix.
#include <stdio.h>

#include "zt_tbl32.h"

int main() {
  printf("zt_tbl32 version %u, release %s build %s\n", ztGetTbl32Version(), DllVersion, DllBuild);
  return ztGetTbl32Version() == 256 ? 0 : 1;
}
