#include "zt_tbl32/key_desc.h"

#include "zt_isa32.h"
#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/field_desc.h"
#include "zt_tbl32/grid_def.h"

namespace {
const char kSource[] = "CZTKeyDesc";
}

CZTKeyDesc::CZTKeyDesc() : m_uOption{0, 0, 0, 0, 0}, m_uPartCount(0) {
  for (SZTKeyPart& part : m_Part) {
    part.uKeyType = kZTNoKeyType;
    part.szFieldName[0] = 0;
  }
}

int CZTKeyDesc::ReadDef(CZTConfFile& conf, const char* keyword, unsigned index) {
  unsigned words[5] = {0, 0, 0, 0, 0};
  unsigned count = 0;
  unsigned e = conf.GetWords(keyword, words, 5, &count);
  if (e) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on reading key keyword %s(%u)", e, keyword, index);
    ztTbl32Lib.DispError(ZT_ERR_KEY_READ, e, keyword, index);
    return 0;
  }
  for (unsigned i = 0; i < 5; ++i) m_uOption[i] = i < count ? words[i] : 0;

  m_uPartCount = conf.GetKeyCount("KEYPART");
  if (m_uPartCount == 0) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "No key partitions defined for keyword %s(%u)", keyword, index);
    ztTbl32Lib.DispError(ZT_ERR_KEY_NO_PARTS, keyword, index);
    return 0;
  }
  if (m_uPartCount > kZTMaxKeyParts) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Too many partitions (%u) defined for key %s(%u)", m_uPartCount, keyword,
                      index);
    ztTbl32Lib.DispError(ZT_ERR_KEY_TOO_MANY, keyword, index, m_uPartCount);
    return 0;
  }

  conf.StartRange();
  int result = 1;
  for (unsigned i = 0; i < m_uPartCount; ++i) {
    char typeName[kZTNameSize];
    unsigned typeLength = 0, nameLength = 0;
    e = conf.Get2Text("KEYPART", typeName, sizeof(typeName), &typeLength, m_Part[i].szFieldName, kZTNameSize,
                      &nameLength);
    if (e == ZT_CONF_NO_LINE) break;
    if (e) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u reading key part %u of %s(%u)", e, i, keyword, index);
      ztTbl32Lib.DispError(ZT_ERR_KEY_PART_READ, e, i, keyword, index);
      result = 0;
      break;
    }
    m_Part[i].uKeyType = ISAMGetKeyType(typeName);
    if (m_Part[i].uKeyType == kZTNoKeyType) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Illegal key partition type %s", typeName);
      ztTbl32Lib.DispError(ZT_ERR_KEY_PART_TYPE, typeName, i, keyword, index);
      result = 0;
      break;
    }
  }
  conf.EndRange();
  return result;
}

int CZTKeyDesc::WriteDef(CZTConfFile& conf) const {
  char text[128];
  conf.EditComment(nullptr);
  ztFormat(text, sizeof(text), "%u, %u, %u, %u, %u", m_uOption[0], m_uOption[1], m_uOption[2], m_uOption[3],
           m_uOption[4]);
  conf.EditDataLine("Key:", text, nullptr);
  for (unsigned i = 0; i < m_uPartCount && i < kZTMaxKeyParts; ++i) {
    const char* typeName = ISAMKeyType(m_Part[i].uKeyType);
    // Both texts quoted as the reader expects them: a quote inside is doubled.
    unsigned n = CZTConfFile::QuoteText(text, sizeof(text), typeName ? typeName : "");
    n += ztStrCopy(text + n, ", ", sizeof(text) - n);
    CZTConfFile::QuoteText(text + n, sizeof(text) - n, m_Part[i].szFieldName);
    conf.EditDataLine("KeyPart:", text, nullptr);
  }
  return 1;
}

int CZTKeyDesc::DispDef(CGridDef& grid, unsigned keyIndex, unsigned firstRow) const {
  IGridView* view = grid.m_pGrid;
  if (!view) return 1;
  for (unsigned i = 0; i < m_uPartCount && i < kZTMaxKeyParts; ++i) {
    unsigned row = firstRow + i;
    if (i == 0) {
      view->SetItemUInt(row, 0, keyIndex + 1);
      for (unsigned k = 0; k < 5; ++k) view->SetItemUInt(row, 1 + k, m_uOption[k]);
      view->SetItemUInt(row, 6, m_uPartCount);
    } else {
      view->SetItemText(row, 0, "");
      for (unsigned k = 0; k < 5; ++k) view->SetItemUInt(row, 1 + k, ZT_NOT_SET);
      view->SetItemText(row, 6, "");
    }
    const char* typeName = "";
    if (m_Part[i].uKeyType != kZTNoKeyType) {
      typeName = ISAMKeyType(m_Part[i].uKeyType);
      if (!typeName) typeName = "???";
    }
    view->SetItemText(row, 7, typeName);
    view->SetItemText(row, 8, m_Part[i].szFieldName);
  }
  return 1;
}
