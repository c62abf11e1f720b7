// Field descriptions and records for the tests of ztdesc's value conversions.
#pragma once

#include <string.h>

#include <string>
#include <vector>

#include "zt_tbl32.h"

inline CZTFieldDesc ztTestField(unsigned encoding, unsigned length, unsigned content, unsigned display = 0,
                                unsigned offset = 0, const char* name = "F") {
  CZTFieldDesc f;
  f.m_uOffset = offset;
  f.m_uLength = length;
  f.m_uEncodeType = encoding;
  f.m_uContentType = content;
  f.m_uDisplayType = display ? display : content;
  ztStrCopy(f.m_szName, name, sizeof(f.m_szName));
  return f;
}

// A field list that owns a copy of the fields.
struct ZTTestFields {
  std::vector<CZTFieldDesc> fields;
  CZTFieldDescList list;
  explicit ZTTestFields(std::vector<CZTFieldDesc> f) : fields(std::move(f)) {
    list.m_pFields = fields.data();
    list.m_uCount = list.m_uAlloc = static_cast<unsigned>(fields.size());
  }
  ~ZTTestFields() {
    list.m_pFields = nullptr;  // the vector frees them
    list.m_uCount = list.m_uAlloc = 0;
  }
};
