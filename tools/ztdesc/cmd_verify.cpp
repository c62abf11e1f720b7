// ztdesc verify: checks every table of a description, printing the boxes.
#include "commands.h"

namespace {
unsigned s_boxes = 0;

// Prints every box on stdout, so that the check reads as one report.
int PrintBox(const ZTBoxRequest* box, void*) {
  ++s_boxes;
  if (box->code != ZT_BOX_NO_CODE)
    printf("  box %u: %s\n", box->code, ztdescToOutput(box->text).c_str());
  else
    printf("  box: %s\n", ztdescToOutput(box->text).c_str());
  return (box->style & 0x0F) == MB_YESNO ? IDNO : IDOK;
}
}  // namespace

int ztdescVerify(int argc, char** argv) {
  if (ztdescWantsHelp("verify", argc, argv)) return kExitOk;
  if (argc != 1 || argv[0][0] == '-') return ztdescUsage("verify", argc ? "unexpected arguments" : "FILE is missing");
  CZTFileDesc desc;
  if (!ztdescLoad(desc, argv[0])) return kExitFailed;

  ZTBoxHandler oldHandler = nullptr;
  void* oldContext = nullptr;
  ztSetBoxHandler(PrintBox, nullptr, &oldHandler, &oldContext);
  unsigned bad = 0;
  unsigned failed = 0;
  if (!desc.m_Tables.m_uCount) {
    printf("%s: no tables\n", argv[0]);
    desc.VerifyDesc(&bad);
    failed = 1;
  }
  for (unsigned t = 0; t < desc.m_Tables.m_uCount; ++t) {
    const CZTTableDesc& table = desc.m_Tables.m_pTables[t];
    printf("Table %s\n", table.m_szName[0] ? ztdescToOutput(table.m_szName).c_str() : "(no name)");
    s_boxes = 0;
    int ok = table.VerifyTable();
    if (!ok) ++failed;
    printf("  %s\n", !ok ? "failed" : s_boxes ? "usable, with warnings" : "ok");
  }
  // What concerns more than one table: their names.
  if (desc.m_Tables.m_uCount && !desc.VerifyTableNames(&bad)) {
    printf("File %s\n  failed\n", argv[0]);
    ++failed;
  }
  ztSetBoxHandler(oldHandler, oldContext);
  if (failed) {
    printf("%u of %u tables failed\n", failed > desc.m_Tables.m_uCount ? 0 : failed, desc.m_Tables.m_uCount);
    return kExitFailed;
  }
  printf("%u tables verified\n", desc.m_Tables.m_uCount);
  return kExitOk;
}
