// The field data codec: raw field bytes to values and display texts, key-range
// fillers and comparisons. Hot paths: fixed stack buffers, no heap, no locale.
#include <math.h>
#include <string.h>

#include "digits.h"
#include "model_codes.h"
#include "zt_tbl32/date_text.h"
#include "zt_tbl32/field_desc.h"
#include "zt_tbl32/number_text.h"

using zt_digits::PutDigitsBack;

namespace {

// Work area of a number text and of a decimal text.
constexpr unsigned kNumberArea = 32;
constexpr unsigned kDecimalArea = 48;
// Date and time text of a field: date, blanks, time.
constexpr unsigned kDateTimeArea = 64;

const uint64_t kPow10U[16] = {1ull,
                              10ull,
                              100ull,
                              1000ull,
                              10000ull,
                              100000ull,
                              1000000ull,
                              10000000ull,
                              100000000ull,
                              1000000000ull,
                              10000000000ull,
                              100000000000ull,
                              1000000000000ull,
                              10000000000000ull,
                              100000000000000ull,
                              1000000000000000ull};

// Bytes the encoding reads from the record.
unsigned EncodedWidth(unsigned encoding, unsigned length) {
  static const unsigned char kWidth[7] = {1, 2, 4, 8, 4, 8, 10};
  return encoding < 7 ? kWidth[encoding] : length;
}

template <class T>
T Load(const unsigned char* p) {
  T v;
  memcpy(&v, p, sizeof(v));
  return v;
}

template <class T>
int Compare3(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// A text of the record as a terminated string in a local buffer (at most size - 1
// characters); the date parser reads fixed positions and must not run past the field.
void CopyField(char* dest, unsigned size, const unsigned char* p, unsigned length) {
  const unsigned n = length < size - 1 ? length : size - 1;
  memcpy(dest, p, n);
  dest[n] = '\0';
}

// Length of the text up to its first zero byte (at most length), eight bytes at a time.
inline unsigned TextEnd(const char* p, unsigned length) {
  const uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  unsigned i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t v;
    memcpy(&v, p + i, 8);
    if ((v - kOnes) & ~v & kHighs) break;
  }
  while (i < length && p[i]) ++i;
  return i;
}

// Copies up to length bytes, stopping at a zero byte (not copied); the count.
inline unsigned CopyToZero(char* dest, const char* src, unsigned length) {
  const uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  unsigned i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t v;
    memcpy(&v, src + i, 8);
    if ((v - kOnes) & ~v & kHighs) break;
    memcpy(dest + i, &v, 8);
  }
  for (; i < length && src[i]; ++i) dest[i] = src[i];
  return i;
}

// Copies a short text in eight-byte steps (fixed-size copies compile to moves).
inline void CopySmall(char* dest, const char* src, unsigned n) {
  unsigned i = 0;
  for (; i + 8 <= n; i += 8) memcpy(dest + i, src + i, 8);
  for (; i < n; ++i) dest[i] = src[i];
}

}  // namespace

unsigned FormatNumber(char* text, unsigned size, const numVal& value, unsigned valueKind, unsigned contentType,
                      unsigned displayType) {
  if (!text || size == 0) return 0;
  if (valueKind == ZT_VAL_DOUBLE) {
    const unsigned decimals = ztFmtDecimals(displayType);
    if (decimals == 0) {
      // Rounded half away from zero, as a whole number.
      const double r = round(value.dbl);
      if (fabs(r) < 9.2e18) return FormatInt64(text, (int64_t)r, size);
      return FormatFixedDouble(text, size, r, 0);
    }
    return FormatFixedDouble(text, size, value.dbl, decimals <= 10 ? decimals : 6);
  }
  bool negative = false;
  uint64_t magnitude;
  switch (valueKind) {
    case ZT_VAL_UINT32:
      magnitude = value.u32;
      break;
    case ZT_VAL_INT32:
      negative = value.i32 < 0;
      magnitude = negative ? 0 - (uint64_t)(int64_t)value.i32 : (uint64_t)value.i32;
      break;
    case ZT_VAL_UINT64:
      magnitude = value.u64;
      break;
    case ZT_VAL_INT64:
      negative = value.i64 < 0;
      magnitude = negative ? 0 - (uint64_t)value.i64 : (uint64_t)value.i64;
      break;
    default:
      text[0] = '\0';
      return 0;
  }
  char buf[kNumberArea + 8];
  char* end = buf + sizeof(buf);
  char* p;
  const unsigned decimals = ztFmtDecimals(contentType);
  if (decimals == 0) {
    p = PutDigitsBack(end, magnitude);
  } else {
    p = PutDigitsBack(end, magnitude % kPow10U[decimals], decimals);
    *--p = ',';
    p = PutDigitsBack(p, magnitude / kPow10U[decimals]);
  }
  if (negative) *--p = '-';
  const unsigned length = unsigned(end - p);
  if (length >= size) {
    text[0] = '\0';
    return 0;
  }
  memcpy(text, p, length);
  text[length] = '\0';
  return length;
}

int CZTFieldDesc::ParseData(numVal* value, unsigned* valueKind, const unsigned char* record,
                            unsigned recordSize) const {
  if (!value || !valueKind || !record) return 0;
  const unsigned width = EncodedWidth(m_uEncodeType, m_uLength);
  if (recordSize && (m_uOffset > recordSize || width > recordSize - m_uOffset)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Field %s (offset %u, %u bytes) lies outside a record of %u bytes",
                      m_szName, m_uOffset, width, recordSize);
    return 0;
  }
  const unsigned char* p = record + m_uOffset;
  const bool isSigned = (m_uContentType & ZT_FMT_SIGNED) != 0;
  switch (m_uEncodeType) {
    case ite8INTEGER:
      if (isSigned)
        value->i32 = (int8_t)p[0];
      else
        value->u32 = p[0];
      *valueKind = isSigned ? ZT_VAL_INT32 : ZT_VAL_UINT32;
      return 1;
    case ite16INTEGER:
      if (isSigned)
        value->i32 = Load<int16_t>(p);
      else
        value->u32 = Load<uint16_t>(p);
      *valueKind = isSigned ? ZT_VAL_INT32 : ZT_VAL_UINT32;
      return 1;
    case ite32INTEGER:
      value->u32 = Load<uint32_t>(p);
      *valueKind = isSigned ? ZT_VAL_INT32 : ZT_VAL_UINT32;
      return 1;
    case ite64INTEGER:
      value->u64 = Load<uint64_t>(p);
      *valueKind = isSigned ? ZT_VAL_INT64 : ZT_VAL_UINT64;
      return 1;
    case ite32FLOATING:
      value->dbl = Load<float>(p);
      *valueKind = ZT_VAL_DOUBLE;
      return 1;
    case ite64FLOATING:
      value->dbl = Load<double>(p);
      *valueKind = ZT_VAL_DOUBLE;
      return 1;
    case ite80FLOATING:
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Cannot process data type ite80FLOATING.");
      return 0;
    case iteUNICODETEXT:
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Cannot process data type iteUNOCDETEXT.");
      return 0;
    case iteASCIITEXT:
      break;
    default:
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Unknown data encoding type %u on ParseData", m_uEncodeType);
      return 0;
  }

  // Text: a length of 0 is an empty text (the parsers would read up to a zero byte).
  const unsigned length = m_uLength;
  const char* text = reinterpret_cast<const char*>(p);
  switch (ztFmtKind(m_uContentType)) {
    case ZT_KIND_NUMBER:
      if (ztFmtDecimals(m_uContentType)) {
        value->dbl = length ? ParseDoubleText(text, length) : 0.0;
        *valueKind = ZT_VAL_DOUBLE;
      } else if (!isSigned) {
        value->u64 = length ? ParseUnsignedText(text, length) : 0;
        *valueKind = ZT_VAL_UINT64;
      } else {
        value->i64 = length ? ParseSignedText(text, length) : 0;
        *valueKind = ZT_VAL_INT64;
      }
      return 1;
    case ZT_KIND_DATETIME: {
      char date[ZT_DATE_TEXT_SIZE];
      CopyField(date, sizeof(date), p, length);
      unsigned d, m, y;
      if (!ParseDateText(&d, &m, &y, date, ztFmtDateFormat(m_uContentType))) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Cannot parse a date format.");
        return 0;
      }
      value->u32 = DateToDayNumber(d, m, y);
      *valueKind = ZT_VAL_UINT32;
      return 1;
    }
    case ZT_KIND_DECIMAL:
      value->i64 = length ? ParseDecimalText(text, length, ztFmtDecimals(m_uContentType)) : 0;
      *valueKind = value->i64 > 0 ? ZT_VAL_UINT64 : ZT_VAL_INT64;
      return 1;
    default:
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Cannot parse text type %d", (int)ztFmtKind(m_uContentType));
      return 0;
  }
}

namespace {

// Every other encoding and display kind: the base text first, then shaped by
// the display kind. Kept apart so that the plain-text path stays small.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
int FormatGeneral(const CZTFieldDesc& f, char* text, unsigned size, unsigned* length, const unsigned char* record,
                  unsigned recordSize) {
  char number[kNumberArea];
  const char* base;
  unsigned baseLength;
  if (f.m_uEncodeType <= ite80FLOATING) {
    numVal value;
    unsigned kind;
    if (!f.ParseData(&value, &kind, record, recordSize)) return 0;
    baseLength = FormatNumber(number, sizeof(number), value, kind, f.m_uContentType, f.m_uDisplayType);
    if (!baseLength) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Value of field %s does not fit a text of %u characters",
                        f.m_szName, kNumberArea - 1);
      return 0;
    }
    base = number;
  } else if (f.m_uEncodeType == iteASCIITEXT) {
    if (recordSize && (f.m_uOffset > recordSize || f.m_uLength > recordSize - f.m_uOffset)) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc,
                        "Field %s (offset %u, %u bytes) lies outside a record of %u bytes", f.m_szName, f.m_uOffset,
                        f.m_uLength, recordSize);
      return 0;
    }
    base = reinterpret_cast<const char*>(record + f.m_uOffset);
    // A zero byte ends the text: the rest of a C string field is not part of it.
    const void* zero = memchr(base, 0, f.m_uLength);
    baseLength = zero ? unsigned(static_cast<const char*>(zero) - base) : f.m_uLength;
  } else if (f.m_uEncodeType == iteUNICODETEXT) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Data type iteUNICODETEXT not yet supported.");
    return 0;
  } else {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Unkown data encoding type %d for field found.",
                      (int)f.m_uEncodeType);
    return 0;
  }

  // Shape the base text by the display kind; out/outLength is what gets copied.
  const char* out = base;
  unsigned outLength = baseLength;
  char area[kDateTimeArea];
  unsigned zeros = 0;  // fill zeros to put in front (after a sign)
  switch (ztFmtKind(f.m_uDisplayType)) {
    case ZT_KIND_TEXT:
      while (outLength && out[outLength - 1] == ' ') --outLength;
      break;
    case ZT_KIND_NUMBER:
      while (outLength && *out == ' ') ++out, --outLength;
      while (outLength && out[outLength - 1] == ' ') --outLength;
      if (f.m_uDisplayType & ZT_FMT_ZERO_FILL) {
        if (outLength < f.m_uLength) zeros = f.m_uLength - outLength;
      } else {
        // Leading zeros of a whole number; the zero of "0,05" or "0.5" stays.
        while (outLength > 1 && out[0] == '0' && zt_digits::IsDigit(out[1])) ++out, --outLength;
      }
      break;
    case ZT_KIND_DATETIME: {
      char source[kDateTimeArea];
      CopyField(source, sizeof(source), reinterpret_cast<const unsigned char*>(base), baseLength);
      out = area;
      outLength = 0;
      unsigned position = 0;
      const unsigned content = f.m_uContentType;
      if (content & ZT_FMT_DATE) {
        unsigned d, m, y;
        position = ParseDateText(&d, &m, &y, source, ztFmtDateFormat(content));
        if (position) outLength = FormatDateText(area, d, m, y, ztFmtDateFormat(f.m_uDisplayType), 0, sizeof(area));
        if (!position || !outLength) {
          outLength = 0;
          break;
        }
        if (content & ZT_FMT_TIME) {
          if (position > baseLength) position = baseLength;
          while (source[position] == ' ') ++position;
          area[outLength++] = ' ';
        }
      }
      if (content & ZT_FMT_TIME) {
        const unsigned timeIn = ztFmtTimeFormat(content), timeOut = ztFmtTimeFormat(f.m_uDisplayType);
        if (timeIn >= ZT_TIME_FORMAT_COUNT || timeOut >= ZT_TIME_FORMAT_COUNT) {
          // The date alone (without its separating blank), or nothing.
          ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Illegal time format %u on FormatData",
                            timeIn >= ZT_TIME_FORMAT_COUNT ? timeIn : timeOut);
          if (outLength) --outLength;
          break;
        }
        unsigned h, mi, s;
        ParseTimeText(&h, &mi, &s, source + position, timeIn);
        outLength += FormatTimeText(area + outLength, h, mi, s, timeOut, sizeof(area) - outLength);
      }
      break;
    }
    case ZT_KIND_DECIMAL: {
      const unsigned decimals = ztFmtDecimals(f.m_uContentType);
      const int64_t value = baseLength ? ParseDecimalText(base, baseLength, decimals) : 0;
      outLength = FormatDecimalText(area, kDecimalArea, value, decimals);
      out = area;
      break;
    }
    default:
      break;
  }

  // Copy, cut to the buffer; fill zeros go behind a sign.
  const unsigned room = size - 1;
  unsigned n = 0;
  if (zeros) {
    if (outLength && (*out == '-' || *out == '+') && n < room) {
      text[n++] = *out++;
      --outLength;
    }
    while (zeros-- && n < room) text[n++] = '0';
  }
  const unsigned rest = outLength < room - n ? outLength : room - n;
  memcpy(text + n, out, rest);
  n += rest;
  text[n] = '\0';
  if (length) *length = n;
  return 1;
}

}  // namespace

int CZTFieldDesc::FormatData(char* text, unsigned size, unsigned* length, const unsigned char* record,
                             unsigned recordSize) const {
  if (length) *length = 0;
  if (!text || size == 0) return 0;
  text[0] = '\0';
  if (!record) return 0;

  // Plain text shown as text, the most common cell: copied up to a zero byte,
  // then cut at trailing blanks, without library calls.
  if (m_uEncodeType == iteASCIITEXT && ztFmtKind(m_uDisplayType) == ZT_KIND_TEXT &&
      (!recordSize || (m_uOffset <= recordSize && m_uLength <= recordSize - m_uOffset))) {
    const char* from = reinterpret_cast<const char*>(record + m_uOffset);
    if (m_uLength < size) {
      // The whole field fits: copy and look for a zero byte in one pass.
      unsigned n = CopyToZero(text, from, m_uLength);
      while (n && text[n - 1] == ' ') --n;
      text[n] = '\0';
      if (length) *length = n;
      return 1;
    }
    const unsigned field = TextEnd(from, m_uLength);  // up to a zero byte
    unsigned visible = field;
    while (visible && from[visible - 1] == ' ') --visible;
    const unsigned n = visible < size - 1 ? visible : size - 1;
    CopySmall(text, from, n);
    text[n] = '\0';
    if (length) *length = n;
    return 1;
  }

  return FormatGeneral(*this, text, size, length, record, recordSize);
}

unsigned CZTFieldDesc::GetSMaskFiller(unsigned highest, char* buffer, unsigned size) const {
  if (!buffer) return 0;
  char filler[kDateTimeArea];
  unsigned n = 0;
  const char* from = filler;
  const unsigned kind = ztFmtKind(m_uContentType);
  switch (m_uEncodeType) {
    case ite8INTEGER:
    case ite16INTEGER:
    case ite32INTEGER: {
      n = EncodedWidth(m_uEncodeType, m_uLength);
      memset(filler, highest ? 0xFF : 0x00, n);
      // Signed keys run from the most negative to the most positive value.
      if (m_uContentType & ZT_FMT_SIGNED) filler[n - 1] = char(highest ? 0x7F : 0x80);
      break;
    }
    case ite64INTEGER:
    case ite32FLOATING:
    case ite64FLOATING:
    case ite80FLOATING:
      ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcFieldDesc, "GetSMaskFiller for numerical type not yet supported.");
      return 0;
    case iteASCIITEXT:
      if (kind == ZT_KIND_TEXT || kind == ZT_KIND_NUMBER) {
        if (m_uLength > size) break;  // reported below
        memset(buffer, kind == ZT_KIND_TEXT ? (highest ? 0xFF : 0x00) : (highest ? '9' : '0'), m_uLength);
        return m_uLength;
      }
      if (kind == ZT_KIND_DATETIME) {
        if (m_uContentType & ZT_FMT_DATE) {
          const unsigned format = ztFmtDateFormat(m_uContentType);
          if (format == ZT_DATE_INVERTED) {
            // Inverted dates sort newest first: the whole eight-digit range.
            memset(filler, highest ? '9' : '0', 8);
            n = 8;
          } else {
            n = highest ? FormatDateText(filler, 31, 12, 9999, format, 1, sizeof(filler))
                        : FormatDateText(filler, 0, 0, 0, format, 1, sizeof(filler));
          }
        }
        if (m_uContentType & ZT_FMT_TIME) {
          const unsigned format = ztFmtTimeFormat(m_uContentType);
          n += highest ? FormatTimeText(filler + n, 23, 59, 59, format, sizeof(filler) - n)
                       : FormatTimeText(filler + n, 0, 0, 0, format, sizeof(filler) - n);
        }
        break;
      }
      if (kind <= 5) {
        ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcFieldDesc, "GetSMaskFiller: Data presentation type %u not yet supported.",
                          ztFmtKind(m_uDisplayType));
      }
      return 0;
    case iteUNICODETEXT:
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "GetSMaskFiller for UNICODETEXT not yet supported.");
      return 0;
    default:
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "GetSMaskFiller for unkown data encoding type %d.",
                        (int)m_uEncodeType);
      return 0;
  }
  const unsigned needed = (m_uEncodeType == iteASCIITEXT && kind != ZT_KIND_DATETIME) ? m_uLength : n;
  if (needed > size) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "GetSMaskFiller: buffer of %u bytes too small for %u bytes", size,
                      needed);
    return 0;
  }
  memcpy(buffer, from, n);
  return n;
}

int CZTFieldDesc::CompareData(const void* record1, const void* record2) const {
  if (!record1 || !record2) return 0;
  const unsigned char* p1 = static_cast<const unsigned char*>(record1) + m_uOffset;
  const unsigned char* p2 = static_cast<const unsigned char*>(record2) + m_uOffset;
  const bool isSigned = (m_uContentType & ZT_FMT_SIGNED) != 0;
  switch (m_uEncodeType) {
    case ite8INTEGER:
      return isSigned ? Compare3<int8_t>((int8_t)p1[0], (int8_t)p2[0]) : Compare3<uint8_t>(p1[0], p2[0]);
    case ite16INTEGER:
      return isSigned ? Compare3(Load<int16_t>(p1), Load<int16_t>(p2))
                      : Compare3(Load<uint16_t>(p1), Load<uint16_t>(p2));
    case ite32INTEGER:
      return isSigned ? Compare3(Load<int32_t>(p1), Load<int32_t>(p2))
                      : Compare3(Load<uint32_t>(p1), Load<uint32_t>(p2));
    case ite64INTEGER:
      return isSigned ? Compare3(Load<int64_t>(p1), Load<int64_t>(p2))
                      : Compare3(Load<uint64_t>(p1), Load<uint64_t>(p2));
    case ite32FLOATING: {
      const float a = Load<float>(p1), b = Load<float>(p2);
      return a < b ? -1 : (a == b ? 0 : 1);
    }
    case ite64FLOATING: {
      const double a = Load<double>(p1), b = Load<double>(p2);
      return a < b ? -1 : (a == b ? 0 : 1);
    }
    case ite80FLOATING:
      ztTbl32Lib.DispWarnText("Cannot compare two 80-bit floating point fields.");
      return 0;
    case iteUNICODETEXT:
      ztTbl32Lib.DispWarnText("Cannot compare two unicode data fields.");
      return 0;
    case iteASCIITEXT:
      break;
    default:
      return 0;
  }

  const unsigned length = m_uLength;
  if (length == 0) return 0;
  const char* t1 = reinterpret_cast<const char*>(p1);
  const char* t2 = reinterpret_cast<const char*>(p2);
  switch (ztFmtKind(m_uContentType)) {
    case ZT_KIND_NUMBER:
      if (ztFmtDecimals(m_uContentType)) {
        const double a = ParseDoubleText(t1, length), b = ParseDoubleText(t2, length);
        return a < b ? -1 : (a == b ? 0 : 1);
      }
      return CompareDigitText(t1, length, t2, length);
    case ZT_KIND_DATETIME: {
      char date1[ZT_DATE_TEXT_SIZE], date2[ZT_DATE_TEXT_SIZE];
      CopyField(date1, sizeof(date1), p1, length);
      CopyField(date2, sizeof(date2), p2, length);
      unsigned d1, m1, y1, d2, m2, y2;
      const unsigned format = ztFmtDateFormat(m_uContentType);
      if (!ParseDateText(&d1, &m1, &y1, date1, format) || !ParseDateText(&d2, &m2, &y2, date2, format)) return 0;
      return Compare3(DateToDayNumber(d1, m1, y1), DateToDayNumber(d2, m2, y2));
    }
    case ZT_KIND_DECIMAL: {
      // Signed: negative amounts rank below the others.
      const unsigned decimals = ztFmtDecimals(m_uContentType);
      return Compare3(ParseDecimalText(t1, length, decimals), ParseDecimalText(t2, length, decimals));
    }
    default: {
      const int r = memcmp(p1, p2, length);
      return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
  }
}
