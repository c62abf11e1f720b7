// ztdesc: command-line tool over zt_tbl32.
#include <stdio.h>
#include <string.h>

#include "zt_tbl32.h"

namespace {

const char kUsage[] =
    "usage: ztdesc [--language D|E] [--log FILE] COMMAND [ARGS]\n"
    "       ztdesc --help | --version\n"
    "\n"
    "commands:\n"
    "  demo [DIR]   the built-in sample\n"
    "\n"
    "exit codes: 0 ok, 1 the operation failed, 2 usage\n";

int version() {
  unsigned v = ztGetTbl32Version();
  printf("zt_tbl32 version %u.%02u (release %s, build %s)\n", v >> 8, v & 0xFF, DllVersion, DllBuild);
  printf("%s\n", ztTbl32Lib.m_szBanner);
  const char* languages[] = {"D", "E"};
  for (const char* language : languages) {
    char path[MAX_PATH];
    ztTbl32Lib.ResDLLPath(language, path, sizeof(path));
    HINSTANCE h = ztLoadModule(path);
    printf("language %s: %s (%s)\n", language, path, h ? "found" : "missing");
    if (h) ztFreeModule(h);
  }
  printf("current language: %s\n", ztTbl32Lib.m_bResLoaded ? ztTbl32Lib.m_szLanguage : "(none)");
  return 0;
}

int demo(int, char**) {
  printf("ztdesc demo: the sample description and ISAM file are not built yet.\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ztSetBoxHandler(ztStderrBoxHandler, nullptr);
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const char* a = argv[i];
    if (!strcmp(a, "--help") || !strcmp(a, "-h")) {
      fputs(kUsage, stdout);
      return 0;
    }
    if (!strcmp(a, "--version")) return version();
    if (!strcmp(a, "--language") && i + 1 < argc) {
      if (!ztSetTbl32Language(argv[++i])) {
        fprintf(stderr, "ztdesc: unknown language '%s'\n", argv[i]);
        return 2;
      }
      continue;
    }
    if (!strcmp(a, "--log") && i + 1 < argc) {
      if (!ztOpenTbl32Log(argv[++i])) {
        fprintf(stderr, "ztdesc: cannot open log file '%s'\n", argv[i]);
        return 1;
      }
      continue;
    }
    fprintf(stderr, "ztdesc: unknown option '%s'\n%s", a, kUsage);
    return 2;
  }
  if (i >= argc) {
    fputs(kUsage, stderr);
    return 2;
  }
  const char* command = argv[i];
  if (!strcmp(command, "demo")) return demo(argc - i - 1, argv + i + 1);
  fprintf(stderr, "ztdesc: unknown command '%s'\n%s", command, kUsage);
  return 2;
}
