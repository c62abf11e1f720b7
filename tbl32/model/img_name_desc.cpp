#include "zt_tbl32/img_name_desc.h"

CZTImgNameDesc::CZTImgNameDesc() : m_uLength(0) { m_szText[0] = 0; }

int CZTImgNameDesc::ReadDef(CZTConfFile& conf, const char* keyword, unsigned) {
  if (conf.GetText(keyword, m_szText, sizeof(m_szText), &m_uLength)) {
    m_uLength = 0;
    m_szText[0] = 0;
  }
  return 1;
}
