#include "zt_tbl32/field_desc.h"

#include "model_codes.h"
#include "zt_tbl32/grid_def.h"

// The list-box objects of the field types. They keep only the library object's
// address while they are constructed.
namespace {

const ZTListEntry kEncodeTypes[] = {{0, 2100}, {1, 2101}, {2, 2102}, {3, 2103}, {4, 2104},
                                    {5, 2105}, {6, 2106}, {7, 2107}, {8, 2108}};
const ZTListEntry kKinds[] = {{0, 2200}, {1, 2201}, {2, 2202}, {3, 2203}, {4, 2204}, {5, 2205}};
const ZTListEntry kDataJust[] = {{0, 2400}, {2, 2402}};
const ZTListEntry kDispJust[] = {{0, 2400}, {1, 2401}, {2, 2402}};

template <unsigned N>
constexpr unsigned Count(const ZTListEntry (&)[N]) {
  return N;
}

CZTListBox lbEncodeTypes(Count(kEncodeTypes), kEncodeTypes, &ztTbl32Lib);
CZTListBox lbContentTypes(Count(kKinds), kKinds, &ztTbl32Lib);
CZTListBox lbDisplayTypes(Count(kKinds), kKinds, &ztTbl32Lib);
CZTListBox lbDataJustTypes(Count(kDataJust), kDataJust, &ztTbl32Lib);
CZTListBox lbDispJustTypes(Count(kDispJust), kDispJust, &ztTbl32Lib);

// Length each encoding needs: 0 any non-zero length, 0xFF a non-zero even one.
const unsigned char kRequiredLength[ZT_ENCODE_COUNT] = {0, 2, 4, 8, 4, 8, 10, 0, 0xFF};

bool ValidIndex(const CZTListBox& list, unsigned index) { return index != ZT_NOT_SET && index < list.m_uCount; }

// A text of the language resource library; empty when it has none.
void LoadText(unsigned id, char* text, unsigned size) {
  if (!ztTbl32Lib.LoadResString(id, text, size)) text[0] = '\0';
}

}  // namespace

CZTFieldDesc::CZTFieldDesc()
    : m_uOffset(0),
      m_uLength(0),
      m_uDispWidth(0),
      m_uEncodeType(ZT_NOT_SET),
      m_uContentType(0),
      m_uDisplayType(0),
      m_uDataJust(0),
      m_uDispJust(0),
      m_szName{} {}

void CZTFieldDesc::SetEncodeType(unsigned code) {
  m_uEncodeType = code;
  if (code >= ite16INTEGER && code <= ite80FLOATING) m_uLength = kRequiredLength[code];
}

int CZTFieldDesc::SetEncodeTypeIdx(unsigned index) {
  if (!ValidIndex(lbEncodeTypes, index)) return 0;
  SetEncodeType(lbEncodeTypes.m_pEntries[index].value);
  return 1;
}

int CZTFieldDesc::SetContentTypeIdx(unsigned index) {
  if (!ValidIndex(lbContentTypes, index)) return 0;
  m_uContentType = lbContentTypes.m_pEntries[index].value;
  return 1;
}

int CZTFieldDesc::SetDisplayTypeIdx(unsigned index) {
  if (!ValidIndex(lbDisplayTypes, index)) return 0;
  m_uDisplayType = lbDisplayTypes.m_pEntries[index].value;
  return 1;
}

int CZTFieldDesc::SetDataJustTypeIdx(unsigned index) {
  if (!ValidIndex(lbDataJustTypes, index)) return 0;
  m_uDataJust = lbDataJustTypes.m_pEntries[index].value;
  return 1;
}

int CZTFieldDesc::SetDispJustTypeIdx(unsigned index) {
  if (!ValidIndex(lbDispJustTypes, index)) return 0;
  m_uDispJust = lbDispJustTypes.m_pEntries[index].value;
  return 1;
}

int CZTFieldDesc::DispEncodeTypeLB(HWND listBox) const { return lbEncodeTypes.Display(listBox, m_uEncodeType); }
int CZTFieldDesc::DispContentTypeLB(HWND listBox) const {
  return lbContentTypes.Display(listBox, ztFmtKind(m_uContentType));
}
int CZTFieldDesc::DispDisplayTypeLB(HWND listBox) const {
  return lbDisplayTypes.Display(listBox, ztFmtKind(m_uDisplayType));
}
int CZTFieldDesc::DispDataJustTypeLB(HWND listBox) const { return lbDataJustTypes.Display(listBox, m_uDataJust); }
int CZTFieldDesc::DispDispJustTypeLB(HWND listBox) const { return lbDispJustTypes.Display(listBox, m_uDispJust); }

int CZTFieldDesc::ReadDef(CZTConfFile& conf, const char* keyword, unsigned index) {
  // Numbers missing at the end of the line read as 0.
  unsigned values[8] = {};
  unsigned count = 0, nameLength = 0;
  const unsigned error = conf.GetWordsText(keyword, values, 8, &count, m_szName, sizeof(m_szName), &nameLength);
  if (error) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Error %u on reading field keyword %s(%u)", error, keyword, index);
    ztTbl32Lib.DispError(ZT_ERR_FIELD_READ, error, keyword, index);
    return 0;
  }
  if (!m_szName[0]) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Field name is empty in data field %s(%u)", keyword, index);
    ztTbl32Lib.DispError(ZT_ERR_FIELD_EMPTY_NAME, keyword, index);
    return 0;
  }
  // A field that would end beyond 4 GB cannot be placed in any record.
  if (uint64_t(values[0]) + values[1] > UINT32_MAX) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Error %u on reading field keyword %s(%u)", ZT_CONF_BAD_NUMBER,
                      keyword, index);
    ztTbl32Lib.DispError(ZT_ERR_FIELD_READ, ZT_CONF_BAD_NUMBER, keyword, index);
    return 0;
  }
  m_uOffset = values[0];
  m_uLength = values[1];
  m_uEncodeType = values[2];
  m_uContentType = values[3];
  m_uDataJust = values[4];
  m_uDisplayType = values[5];
  m_uDispJust = values[6];
  m_uDispWidth = values[7];
  return 1;
}

int CZTFieldDesc::WriteDef(CZTConfFile& conf) const {
  char line[160];
  const unsigned n = ztFormat(line, sizeof(line), "%4u, %3u, %u, 0x%04X, %u, 0x%04X, %u, %2u, ", m_uOffset, m_uLength,
                              m_uEncodeType, m_uContentType, m_uDataJust, m_uDisplayType, m_uDispJust, m_uDispWidth);
  // The name in double quotes; a quote inside it is doubled so that it reads back.
  CZTConfFile::QuoteText(line + n, sizeof(line) - n, m_szName);
  conf.EditDataLine("Field:", line, nullptr);
  return 1;
}

int CZTFieldDesc::VerifyField() const {
  if (m_uEncodeType >= ZT_ENCODE_COUNT) return 1;
  const unsigned required = kRequiredLength[m_uEncodeType];
  bool ok;
  if (required == 0)
    ok = m_uLength != 0;
  else if (required == 0xFF)
    ok = m_uLength != 0 && m_uLength % 2 == 0;
  else
    ok = m_uLength == required;
  if (ok) return 1;
  ztTbl32Lib.DispError(ZT_ERR_FIELD_LENGTH + m_uEncodeType);
  return 0;
}

int CZTFieldDesc::DispDef(CGridDef& gridDef, unsigned row) const {
  IGridView* grid = gridDef.m_pGrid;
  if (!grid) return 1;
  char text[64];
  grid->SetItemUInt(row, 0, row + 1);
  grid->SetItemText(row, 1, m_szName);
  text[0] = '\0';
  if (m_uEncodeType != ZT_NOT_SET) LoadText(ZT_STR_ENCODING + m_uEncodeType, text, sizeof(text));
  grid->SetItemText(row, 2, text);
  grid->SetItemUInt(row, 3, m_uOffset);
  grid->SetItemUInt(row, 4, m_uLength);
  DispDataType(gridDef, row, 5, m_uContentType);
  text[0] = '\0';
  if (m_uDataJust != ZT_NOT_SET) LoadText(ZT_STR_JUSTIFY + m_uDataJust, text, sizeof(text));
  grid->SetItemText(row, 7, text);
  DispDataType(gridDef, row, 8, m_uDisplayType);
  text[0] = '\0';
  if (m_uDispJust != ZT_NOT_SET) LoadText(ZT_STR_JUSTIFY + m_uDispJust, text, sizeof(text));
  grid->SetItemText(row, 10, text);
  grid->SetItemUInt(row, 11, m_uDispWidth);
  return 1;
}

void CZTFieldDesc::DispDataType(CGridDef& gridDef, unsigned row, unsigned column, unsigned word) const {
  IGridView* grid = gridDef.m_pGrid;
  if (!grid) return;
  if (word == ZT_NOT_SET) {
    grid->SetItemText(row, column, "");
    grid->SetItemText(row, column + 1, "");
    return;
  }
  const unsigned kind = ztFmtKind(word);
  char text[64];
  LoadText(ZT_STR_KIND + kind, text, sizeof(text));
  grid->SetItemText(row, column, text);

  char format[64] = "";
  if (kind == ZT_KIND_NUMBER) {
    if (word & ZT_FMT_SIGNED) ztStrAppend(format, "-", sizeof(format));
    if (word & ZT_FMT_ZERO_FILL) ztStrAppend(format, "0", sizeof(format));
    if (word & ZT_FMT_THOUSANDS) ztStrAppend(format, ".", sizeof(format));
  } else if (kind == ZT_KIND_DATETIME) {
    if (word & ZT_FMT_DATE) {
      LoadText(ZT_STR_DATE_FORMAT + ztFmtDateFormat(word), format, sizeof(format));
      if (word & ZT_FMT_TIME) ztStrAppend(format, "+", sizeof(format));
    }
    if (word & ZT_FMT_TIME) {
      LoadText(ZT_STR_TIME_FORMAT + ztFmtTimeFormat(word), text, sizeof(text));
      ztStrAppend(format, text, sizeof(format));
    }
  } else if (kind == ZT_KIND_DECIMAL) {
    if (word & ZT_FMT_THOUSANDS) ztStrAppend(format, ".", sizeof(format));
  }
  const unsigned decimals = ztFmtDecimals(word);
  if ((kind == ZT_KIND_NUMBER || kind == ZT_KIND_DECIMAL) && decimals) {
    if (word & ZT_FMT_COMMA) ztStrAppend(format, ",", sizeof(format));
    const char digit[2] = {char(decimals < 10 ? '0' + decimals : 'A' + decimals - 10), '\0'};
    ztStrAppend(format, digit, sizeof(format));
  }
  grid->SetItemText(row, column + 1, format);
}

int CmpFieldName(const void* key, const void* field) {
  return ztStrICmpAscii(static_cast<const char*>(key), static_cast<const CZTFieldDesc*>(field)->m_szName);
}

int CmpFieldPos(const void* a, const void* b) {
  const unsigned pa = static_cast<const CZTFieldDesc*>(a)->m_uOffset;
  const unsigned pb = static_cast<const CZTFieldDesc*>(b)->m_uOffset;
  return pa < pb ? -1 : (pa > pb ? 1 : 0);
}
