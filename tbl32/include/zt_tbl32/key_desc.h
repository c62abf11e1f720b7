// One index of an ISAM table: five option flags and up to four key parts, each
// naming a field and the engine's key type for it.
#pragma once

#include "zt_tbl32/frame.h"

class CGridDef;

constexpr unsigned kZTMaxKeyParts = 4;
constexpr unsigned kZTNameSize = 32;
// The key type of a part that has none yet, and the engine's answer for an unknown type name.
constexpr unsigned kZTNoKeyType = 0xFFFFFFFFu;

struct ZT_TBL32_API SZTKeyPart {
  unsigned uKeyType;              // engine key type code; kZTNoKeyType: not set
  char szFieldName[kZTNameSize];  // the field the part is made of
};

class ZT_TBL32_API CZTKeyDesc {
 public:
  unsigned m_uOption[5];  // passed to the engine unchanged
  unsigned m_uPartCount;  // 1-4 in a valid key
  SZTKeyPart m_Part[kZTMaxKeyParts];

  CZTKeyDesc();

  // Reads the selected "Key:" block and its "KeyPart:" lines. int: 1 ok.
  int ReadDef(CZTConfFile& conf, const char* keyword, unsigned index);
  // An empty comment line, the "Key:" line and one "KeyPart:" line per part.
  int WriteDef(CZTConfFile& conf) const;
  // One grid row per part from firstRow on.
  int DispDef(CGridDef& grid, unsigned keyIndex, unsigned firstRow) const;
};
