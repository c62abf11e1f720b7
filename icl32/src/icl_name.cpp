#include "zt_icl32.h"

#include <string.h>

#include "zt_lib32/strings.h"

CICLName::CICLName() : m_szName{}, m_dwNumberLow(0), m_dwNumberHigh(0), m_szFileName{}, m_uFileNameLength(0) {}

int CICLName::SetFileName(const char* name, unsigned length) {
  if (!name || length >= sizeof(m_szFileName)) return 0;
  m_uFileNameLength = ztStrCopyN(m_szFileName, name, length, sizeof(m_szFileName));
  ztStrCopyN(m_szName, name, length, sizeof(m_szName));
  return 1;
}
