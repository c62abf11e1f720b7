// A customer table description and records for the selection tests.
#pragma once

#include <stdio.h>
#include <string.h>

#include <string>

#include "zt_isa32.h"
#include "zt_tbl32/date_text.h"
#include "zt_tbl32/table_desc.h"

namespace select_test {

struct FieldSpec {
  const char* name;
  unsigned offset, length, encoding, content, display;
};

// Offsets of the test record.
enum : unsigned {
  kName = 0,     // text 20
  kNameI = 20,   // text 20, compared without case
  kPlz = 40,     // digit text 5
  kNum = 45,     // signed 32-bit
  kU8 = 49,      // unsigned 8-bit
  kDatum = 50,   // date text DD.MM.YYYY
  kBetrag = 60,  // decimal text with two decimals, 12
  kDbl = 72,     // double
  kDint = 80,    // 32-bit with date kind (not comparable)
  kCent = 84,    // unsigned 32-bit with two implied decimals
  kDecBin = 88,  // 32-bit with decimal kind (not comparable)
  kRecordSize = 92
};

inline void AddFields(CZTTableDesc& table, const FieldSpec* specs, unsigned count) {
  table.m_Fields.Free();
  table.m_Fields.m_pFields = new CZTFieldDesc[count];
  table.m_Fields.m_uCount = table.m_Fields.m_uAlloc = count;
  for (unsigned i = 0; i < count; ++i) {
    CZTFieldDesc& f = table.m_Fields.m_pFields[i];
    ztStrCopy(f.m_szName, specs[i].name, sizeof(f.m_szName));
    f.m_uOffset = specs[i].offset;
    f.m_uLength = specs[i].length;
    f.m_uEncodeType = specs[i].encoding;
    f.m_uContentType = specs[i].content;
    f.m_uDisplayType = specs[i].display;
  }
}

inline void MakeCustomerTable(CZTTableDesc& table) {
  const unsigned date = ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE, ZT_DATE_DD_MM_YYYY);
  const unsigned number = ztMakeFmt(ZT_KIND_NUMBER, 0, 0);
  const FieldSpec specs[] = {
      {"NAME", kName, 20, iteASCIITEXT, 0, 0},
      {"NameI", kNameI, 20, iteASCIITEXT, ZT_FMT_NO_CASE, ZT_FMT_NO_CASE},
      {"PLZ", kPlz, 5, iteASCIITEXT, number, number},
      {"NUM", kNum, 4, ite32INTEGER, ztMakeFmt(ZT_KIND_NUMBER, ZT_FMT_SIGNED, 0), number},
      {"U8", kU8, 1, ite8INTEGER, number, number},
      {"DATUM", kDatum, 10, iteASCIITEXT, date, date},
      {"BETRAG", kBetrag, 12, iteASCIITEXT, ztMakeFmt(ZT_KIND_DECIMAL, ZT_FMT_SIGNED, 2),
       ztMakeFmt(ZT_KIND_DECIMAL, ZT_FMT_SIGNED, 2)},
      {"DBL", kDbl, 8, ite64FLOATING, number, ztMakeFmt(ZT_KIND_NUMBER, 0, 2)},
      {"DINT", kDint, 4, ite32INTEGER, date, date},
      {"CENT", kCent, 4, ite32INTEGER, ztMakeFmt(ZT_KIND_NUMBER, 0, 2), ztMakeFmt(ZT_KIND_NUMBER, 0, 2)},
      {"DECBIN", kDecBin, 4, ite32INTEGER, ztMakeFmt(ZT_KIND_DECIMAL, 0, 2), 0},
  };
  AddFields(table, specs, sizeof(specs) / sizeof(specs[0]));
}

// A blank record with some fields set.
struct Record {
  char bytes[kRecordSize];
  Record() { memset(bytes, ' ', sizeof(bytes)); }
  Record& Text(unsigned offset, unsigned length, const char* text) {
    memset(bytes + offset, ' ', length);
    memcpy(bytes + offset, text, strnlen(text, length));
    return *this;
  }
  template <class T>
  Record& Raw(unsigned offset, T value) {
    memcpy(bytes + offset, &value, sizeof(value));
    return *this;
  }
};

}  // namespace select_test

namespace select_test {

struct KeySpec {
  unsigned parts;
  const char* names[4];
  unsigned types[4];
  unsigned skipBlank = 0;
};

inline void AddKeys(CZTTableDesc& table, const KeySpec* specs, unsigned count) {
  table.m_Keys.Free();
  table.m_Keys.m_pKeys = new CZTKeyDesc[count];
  table.m_Keys.m_uCount = table.m_Keys.m_uAlloc = count;
  for (unsigned k = 0; k < count; ++k) {
    CZTKeyDesc& key = table.m_Keys.m_pKeys[k];
    key.m_uPartCount = specs[k].parts;
    key.m_uOption[1] = specs[k].skipBlank;
    for (unsigned p = 0; p < specs[k].parts; ++p) {
      key.m_Part[p].uKeyType = specs[k].types[p];
      ztStrCopy(key.m_Part[p].szFieldName, specs[k].names[p], sizeof(key.m_Part[p].szFieldName));
    }
  }
}

}  // namespace select_test

namespace select_test {

// A new ISAM file (an old one of the name is removed) with one table of the
// description's keys, opened. 0 or the engine's error.
inline unsigned CreateIsamTable(const CZTTableDesc& table, const std::string& file, const char* name,
                                unsigned recordSize, unsigned nodeSize, ISAMFILE* isam, ISAMTABLE* handle) {
  remove(file.c_str());
  unsigned detail = 0;
  unsigned e = ISAMCreate(isam, file.c_str(), &detail);
  if (e) return e;
  ISAMIDT* idt = table.m_Keys.CreateIDT(table.m_Fields);
  if (!idt) return ISAM_ERR_ARGUMENT;
  e = ISAMCreateTable(*isam, name, idt, table.m_Keys.m_uCount, recordSize, nodeSize);
  CZTKeyDescList::FreeIDT(idt);
  return e ? e : ISAMOpenTable(*isam, name, handle);
}

}  // namespace select_test
