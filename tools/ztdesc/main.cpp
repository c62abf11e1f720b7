// ztdesc: command-line tool over zt_tbl32. Options, then one command; each
// command lives in its own cmd_*.cpp.
#include <stdio.h>
#include <string.h>

#include "commands.h"

namespace {

void PrintUsage(FILE* out) {
  fputs(
      "usage: ztdesc [--language D|E] [--log FILE] COMMAND [ARGS]\n"
      "       ztdesc --help | --version\n"
      "       ztdesc COMMAND --help\n"
      "\n"
      "commands:\n",
      out);
  for (unsigned i = 0; i < kCommandCount; ++i) fprintf(out, "  %-14s %s\n", kCommands[i].name, kCommands[i].summary);
  fputs("\nexit codes: 0 ok, 1 the operation failed, 2 usage\n", out);
}

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
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  ztSetBoxHandler(ztdescBoxHandler, nullptr);
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const char* a = argv[i];
    if (!strcmp(a, "--help") || !strcmp(a, "-h")) {
      PrintUsage(stdout);
      return kExitOk;
    }
    if (!strcmp(a, "--version")) return version();
    if (!strcmp(a, "--language") && i + 1 < argc) {
      if (!ztSetTbl32Language(argv[++i])) {
        fprintf(stderr, "ztdesc: unknown language '%s'\n", argv[i]);
        return kExitUsage;
      }
      continue;
    }
    if (!strcmp(a, "--log") && i + 1 < argc) {
      if (!ztOpenTbl32Log(argv[++i])) {
        fprintf(stderr, "ztdesc: cannot open log file '%s'\n", argv[i]);
        return kExitFailed;
      }
      continue;
    }
    fprintf(stderr, "ztdesc: unknown option '%s'\n", a);
    PrintUsage(stderr);
    return kExitUsage;
  }
  if (i >= argc) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  const char* command = argv[i];
  for (unsigned c = 0; c < kCommandCount; ++c)
    if (!strcmp(kCommands[c].name, command)) return kCommands[c].run(argc - i - 1, argv + i + 1);
  fprintf(stderr, "ztdesc: unknown command '%s'\n", command);
  PrintUsage(stderr);
  return kExitUsage;
}
