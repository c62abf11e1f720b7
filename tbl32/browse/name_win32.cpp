#include "zt_tbl32/name.h"

#include <string.h>

CZTName::CZTName() : m_uLength(0), m_szName{}, m_szUpper{} {}

void CZTName::set(const char* text, unsigned length) {
  if (!text) {
    m_uLength = 0;
    m_szName[0] = m_szUpper[0] = '\0';
    return;
  }
  if (length == 0) length = static_cast<unsigned>(strnlen(text, kZTNameMax));
  m_uLength = ztStrCopyN(m_szName, text, length, sizeof(m_szName));
  ztStrCopy(m_szUpper, m_szName, sizeof(m_szUpper));
  ztStrUpper(m_szUpper);
}
