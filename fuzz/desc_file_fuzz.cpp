// Description-file text through the table block reader, as a description file
// (every "Table:" block) and as the one-table text stored in an ISAM table; what
// reads is written and must read again to the same text.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "zt_tbl32.h"

namespace {
int Silent(const ZTBoxRequest*, void*) { return IDNO; }

std::string Write(const CZTTableDesc& table) {
  CZTConfFile conf;
  if (!conf.StartEdit(0x10000, 8, 32, 24, 80, 104)) return std::string();
  if (!table.WriteDef(conf, "Table:") || conf.GetEditError()) return std::string();
  return conf.m_pEditText ? std::string(conf.m_pEditText, conf.m_uEditLength) : std::string();
}

void CheckRoundTrip(const CZTTableDesc& table) {
  std::string text = Write(table);
  if (text.empty()) return;
  CZTConfFile conf;
  if (!conf.ReadIt(text.c_str(), static_cast<unsigned>(text.size()))) return;
  CZTTableDesc again;
  if (!again.ReadDef(conf, "TABLE", 0)) __builtin_trap();
  if (Write(again) != text) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool init = (ztSetBoxHandler(Silent, nullptr), true);
  (void)init;
  if (size > 1 << 16) return 0;
  CZTConfFile conf;
  if (!conf.ReadIt(reinterpret_cast<const char*>(data), static_cast<unsigned>(size))) return 0;

  unsigned count = 0;
  if (conf.GetBlockCount("TABLE", &count) && count && count < 64 && conf.SelectBlock("TABLE")) {
    for (unsigned i = 0; i < count; ++i) {
      CZTTableDesc table;
      if (table.ReadDef(conf, "TABLE", i)) {
        table.VerifyTable();
        CheckRoundTrip(table);
      }
      if (i + 1 < count && !conf.SelectNextBlock()) break;
    }
    conf.LeaveBlock();
  }
  CZTConfFile top;
  if (top.ReadIt(reinterpret_cast<const char*>(data), static_cast<unsigned>(size))) {
    CZTTableDesc table;
    if (table.ReadDef(top, "TABLE", 0)) CheckRoundTrip(table);
  }
  return 0;
}
