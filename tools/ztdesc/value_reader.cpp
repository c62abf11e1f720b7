#include "value_reader.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <charconv>

#include "code_page.h"
#include "zt_tbl32/date_text.h"

namespace {

const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr unsigned kNumberRoom = 48;  // the longest exact number text and more
constexpr unsigned kMaxDateField = 63;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned WriteUInt(char* out, uint64_t value) {
  char digits[24];
  unsigned n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value);
  for (unsigned i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
  return n;
}

}  // namespace

unsigned ZTValueReader::PutExact(char* out, bool negative, uint64_t magnitude, unsigned decimals) {
  char digits[24];
  unsigned n = WriteUInt(digits, magnitude);
  char* o = out;
  if (negative && magnitude) *o++ = '-';
  if (n <= decimals) {
    *o++ = '0';
    *o++ = '.';
    for (unsigned i = n; i < decimals; ++i) *o++ = '0';
    memcpy(o, digits, n);
    o += n;
  } else {
    memcpy(o, digits, n - decimals);
    o += n - decimals;
    if (decimals) {
      *o++ = '.';
      memcpy(o, digits + n - decimals, decimals);
      o += decimals;
    }
  }
  return static_cast<unsigned>(o - out);
}

namespace {

void Put2(char* out, unsigned value) {
  out[0] = static_cast<char>('0' + value / 10 % 10);
  out[1] = static_cast<char>('0' + value % 10);
}

// A number in German notation: sign, digits with thousands points between
// groups of three, a comma and the fraction. false when the text is not one.
bool ParseGerman(const char* t, unsigned n, bool* negative, uint64_t* magnitude, unsigned* fraction) {
  unsigned i = 0, whole = 0, frac = 0;
  int sincePoint = -1;
  bool comma = false;
  uint64_t value = 0;
  *negative = false;
  if (i < n && (t[i] == '-' || t[i] == '+')) *negative = t[i++] == '-';
  for (; i < n; ++i) {
    char c = t[i];
    if (IsDigit(c)) {
      unsigned digit = static_cast<unsigned>(c - '0');
      if (value > (UINT64_MAX - digit) / 10) return false;
      value = value * 10 + digit;
      if (comma) {
        ++frac;
      } else {
        ++whole;
        if (sincePoint >= 0) ++sincePoint;
      }
    } else if (c == '.' && !comma && whole && sincePoint != 0 && (sincePoint < 0 || sincePoint == 3)) {
      sincePoint = 0;
    } else if (c == ',' && !comma && whole && (sincePoint < 0 || sincePoint == 3)) {
      comma = true;
    } else {
      return false;
    }
  }
  if (!whole || (sincePoint >= 0 && sincePoint != 3) || (comma && !frac)) return false;
  *magnitude = value;
  *fraction = frac;
  return true;
}

// A whole number as Integer, or Unsigned above the signed range. false when a
// negative one does not fit.
bool SetWhole(bool negative, uint64_t magnitude, ZTValue& value) {
  if (negative) {
    if (magnitude > (uint64_t)INT64_MAX + 1) return false;
    value.type = ZTValueType::Integer;
    value.integer = magnitude == (uint64_t)INT64_MAX + 1 ? INT64_MIN : -static_cast<int64_t>(magnitude);
  } else if (magnitude > (uint64_t)INT64_MAX) {
    value.type = ZTValueType::Unsigned;
    value.big = magnitude;
  } else {
    value.type = ZTValueType::Integer;
    value.integer = static_cast<int64_t>(magnitude);
  }
  return true;
}

void SetExact(bool negative, uint64_t magnitude, unsigned decimals, char* out, ZTValue& value) {
  value.type = ZTValueType::Real;
  double real = static_cast<double>(magnitude) / kPow10[decimals];
  value.real = negative ? -real : real;
  value.text = out;
  value.length = ZTValueReader::PutExact(out, negative, magnitude, decimals);
}

// The trimmed stored text, as UTF-8.
void SetText(const char* text, unsigned length, char* out, ZTValue& value) {
  while (length && (text[0] == ' ' || text[0] == '\t')) ++text, --length;
  while (length && (text[length - 1] == ' ' || text[length - 1] == '\t')) --length;
  value.type = ZTValueType::Text;
  value.text = out;
  value.length = ztCp1252ToUtf8(text, length, out);
}

// Length up to the first NUL.
unsigned TextLength(const char* text, unsigned length) {
  const void* nul = memchr(text, 0, length);
  return nul ? static_cast<unsigned>(static_cast<const char*>(nul) - text) : length;
}

double Float80(const unsigned char* b) {
  uint64_t mantissa = 0;
  for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | b[i];
  unsigned exponent = (b[8] | (b[9] << 8)) & 0x7FFF;
  bool negative = (b[9] & 0x80) != 0;
  double value;
  if (exponent == 0x7FFF)
    value = (mantissa << 1) ? NAN : INFINITY;
  else
    value = ldexp(static_cast<double>(mantissa), (exponent ? static_cast<int>(exponent) : 1) - 16383 - 63);
  return negative ? -value : value;
}

// UTF-16 text, little-endian, up to its first NUL; an unpaired surrogate gives U+FFFD.
unsigned Utf16ToUtf8(const unsigned char* b, unsigned units, char* out) {
  char* o = out;
  for (unsigned i = 0; i < units; ++i) {
    unsigned u = b[2 * i] | (b[2 * i + 1] << 8);
    if (!u) break;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      unsigned low = b[2 * i + 2] | (b[2 * i + 3] << 8);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        o += ztPutUtf8(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00), o);
        ++i;
        continue;
      }
    }
    o += ztPutUtf8(u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u, o);
  }
  while (o > out && o[-1] == ' ') --o;
  return static_cast<unsigned>(o - out);
}

}  // namespace

ZTValueReader::ZTValueReader(const CZTFieldDescList& fields) {
  size_t scratch = 0;
  for (unsigned f = 0; f < fields.m_uCount; ++f) {
    const CZTFieldDesc& d = fields.m_pFields[f];
    FieldPlan p = {};
    p.offset = d.m_uOffset;
    p.length = d.m_uLength;
    p.isSigned = (d.m_uContentType & ZT_FMT_SIGNED) != 0;
    p.decimals = ztFmtDecimals(d.m_uContentType);
    unsigned room = kNumberRoom;
    static const unsigned kWidths[] = {1, 2, 4, 8};
    switch (d.m_uEncodeType) {
      case ite8INTEGER:
      case ite16INTEGER:
      case ite32INTEGER:
      case ite64INTEGER:
        p.width = kWidths[d.m_uEncodeType];
        p.plan = d.m_uLength >= p.width ? kInteger : kNone;
        break;
      case ite32FLOATING:
        p.plan = d.m_uLength >= 4 ? kFloat32 : kNone;
        break;
      case ite64FLOATING:
        p.plan = d.m_uLength >= 8 ? kFloat64 : kNone;
        break;
      case ite80FLOATING:
        p.plan = d.m_uLength >= 10 ? kFloat80 : kNone;
        break;
      case iteUNICODETEXT:
        p.plan = kUnicode;
        room = d.m_uLength / 2 * 3;
        break;
      case iteASCIITEXT:
        room = d.m_uLength * kZTUtf8PerByte;
        switch (ztFmtKind(d.m_uContentType)) {
          case ZT_KIND_NUMBER:
            p.plan = kNumberText;
            break;
          case ZT_KIND_DECIMAL:
            p.plan = kDecimalText;
            break;
          case ZT_KIND_DATETIME:
            p.plan = kDateText;
            p.hasDate = (d.m_uContentType & ZT_FMT_DATE) != 0;
            p.hasTime = (d.m_uContentType & ZT_FMT_TIME) != 0;
            p.dateFormat = ztFmtDateFormat(d.m_uContentType);
            p.timeFormat = ztFmtTimeFormat(d.m_uContentType);
            p.dateLength = p.hasDate ? DateTextLength(p.dateFormat) : 0;
            // A date or time the field cannot hold is shown as its text.
            if ((!p.hasDate && !p.hasTime) || (p.hasDate && (p.dateFormat >= ZT_DATE_FORMAT_COUNT || !p.dateLength)) ||
                (p.hasTime && p.timeFormat >= ZT_TIME_FORMAT_COUNT) || p.dateLength > p.length ||
                p.length > kMaxDateField)
              p.plan = kText;
            break;
          default:
            p.plan = kText;
        }
        break;
      default:
        p.plan = kNone;
    }
    if (room < kNumberRoom) room = kNumberRoom;
    p.scratch = scratch;
    scratch += room;
    m_Plans.push_back(p);
  }
  m_Scratch.resize(scratch + 1);
}

const char* ZTValueReader::ColumnType(unsigned f) const {
  const FieldPlan& p = m_Plans[f];
  switch (p.plan) {
    case kInteger:
    case kNumberText:
    case kDecimalText:
      return p.decimals ? "REAL" : "INTEGER";
    case kFloat32:
    case kFloat64:
    case kFloat80:
      return "REAL";
    default:
      return "TEXT";
  }
}

void ZTValueReader::Read(unsigned f, const unsigned char* record, ZTValue& value) {
  const FieldPlan& p = m_Plans[f];
  const unsigned char* bytes = record + p.offset;
  char* out = &m_Scratch[p.scratch];
  value.text = nullptr;
  value.length = 0;
  value.plain = false;
  switch (p.plan) {
    case kInteger: {
      uint64_t raw = 0;
      for (unsigned b = p.width; b-- > 0;) raw = (raw << 8) | bytes[b];
      bool negative = false;
      if (p.isSigned && p.width < 8 && (raw >> (p.width * 8 - 1)) & 1) raw |= ~uint64_t(0) << (p.width * 8);
      if (p.isSigned && (raw >> 63)) {
        negative = true;
        raw = 0 - raw;
      }
      if (p.decimals)
        SetExact(negative, raw, p.decimals, out, value);
      else
        SetWhole(negative, raw, value);
      return;
    }
    case kFloat32: {
      float single;
      memcpy(&single, bytes, sizeof(single));
      value.type = ZTValueType::Real;
      if (!isfinite(single)) {
        value.real = single;
        return;
      }
      // The float's shortest decimal form, so that 0.1f reads as 0.1 and not 0.100000001.
      std::to_chars_result r = std::to_chars(out, out + kNumberRoom - 1, single);
      *r.ptr = 0;
      value.real = strtod(out, nullptr);
      value.text = out;
      value.length = static_cast<unsigned>(r.ptr - out);
      return;
    }
    case kFloat64:
      value.type = ZTValueType::Real;
      memcpy(&value.real, bytes, sizeof(value.real));
      return;
    case kFloat80:
      value.type = ZTValueType::Real;
      value.real = Float80(bytes);
      return;
    case kUnicode:
      value.type = ZTValueType::Text;
      value.text = out;
      value.length = Utf16ToUtf8(bytes, p.length / 2, out);
      return;
    case kText: {
      unsigned length = TextLength(reinterpret_cast<const char*>(bytes), p.length);
      while (length && bytes[length - 1] == ' ') --length;
      value.type = ZTValueType::Text;
      value.text = out;
      value.length = ztCp1252ToUtf8(reinterpret_cast<const char*>(bytes), length, out);
      return;
    }
    case kNumberText:
    case kDecimalText:
      ReadNumberText(p, reinterpret_cast<const char*>(bytes), p.length, out, value);
      return;
    case kDateText:
      ReadDateText(p, reinterpret_cast<const char*>(bytes), p.length, out, value);
      return;
    default:
      value.type = ZTValueType::Null;
  }
}

void ZTValueReader::ReadNumberText(const FieldPlan& p, const char* text, unsigned length, char* out, ZTValue& value) {
  // Blanks around the number; a NUL ends the text.
  unsigned b = 0, e = 0;
  while (b < length && (text[b] == ' ' || text[b] == '\t')) ++b;
  for (e = b; e < length && text[e] && text[e] != ' ' && text[e] != '\t';) ++e;
  unsigned n = e;
  while (n < length && (text[n] == ' ' || text[n] == '\t')) ++n;
  if (n < length && text[n]) {  // more text after a blank: not a number
    SetText(text + b, TextLength(text + b, length - b), out, value);
    return;
  }
  if (b == e) {
    value.type = ZTValueType::Null;
    return;
  }
  bool negative = false;
  uint64_t magnitude = 0;
  unsigned fraction = 0;
  bool ok = ParseGerman(text + b, e - b, &negative, &magnitude, &fraction);
  // Decimal text is stored with all its decimals; anything else would read
  // differently here than where the library shows it.
  if (ok && p.plan == kDecimalText && fraction != p.decimals && fraction) ok = false;
  for (; ok && fraction < p.decimals; ++fraction) {
    if (magnitude > UINT64_MAX / 10) ok = false;
    magnitude *= 10;
  }
  if (ok && fraction >= sizeof(kPow10) / sizeof(kPow10[0])) ok = false;
  if (ok && fraction)
    SetExact(negative, magnitude, fraction, out, value);
  else if (!ok || !SetWhole(negative, magnitude, value))
    SetText(text + b, e - b, out, value);
}

void ZTValueReader::ReadDateText(const FieldPlan& p, const char* text, unsigned length, char* out, ZTValue& value) {
  // A copy with room behind it: the date parsers read at fixed positions.
  char copy[kMaxDateField + 24];
  memcpy(copy, text, length);
  memset(copy + length, ' ', 23);
  copy[length + 23] = 0;
  // Blank, or zeros and separators alone: an empty date. A time alone is empty only when blank.
  bool blank = true, zero = true, strange = false;
  for (unsigned i = 0; i < length; ++i) {
    char c = copy[i];
    if (c == ' ') continue;
    if (!c) {
      copy[i] = ' ';
      continue;
    }
    blank = false;
    if (IsDigit(c)) {
      if (c != '0') zero = false;
    } else if (c != '.' && c != '-' && c != '/' && c != ':') {
      strange = true;
    }
  }
  if (blank || (p.hasDate && zero && !strange)) {
    value.type = ZTValueType::Null;
    return;
  }
  char* o = out;
  bool ok = !strange;
  unsigned at = 0;
  if (ok && p.hasDate) {
    unsigned day = 0, month = 0, year = 0;
    ok = ParseDateText(&day, &month, &year, copy, p.dateFormat) && year <= 9999 &&
         DateToDayNumber(day, month, year) != ZT_INVALID_DAY;
    if (ok) {
      Put2(o, year / 100);
      Put2(o + 2, year % 100);
      o[4] = '-';
      Put2(o + 5, month);
      o[7] = '-';
      Put2(o + 8, day);
      o += 10;
    }
    at = p.dateLength;
    while (at < length && copy[at] == ' ') ++at;
  }
  if (ok && p.hasTime) {
    unsigned hour = 0, minute = 0, second = 0;
    ok = ParseTimeText(&hour, &minute, &second, copy + at, p.timeFormat) && hour < 24 && minute < 60 && second < 60;
    if (ok) {
      if (p.hasDate) *o++ = ' ';
      Put2(o, hour);
      o[2] = ':';
      Put2(o + 3, minute);
      o[5] = ':';
      Put2(o + 6, second);
      o += 8;
    }
  }
  if (!ok) {
    SetText(text, TextLength(text, length), out, value);
    return;
  }
  value.type = ZTValueType::Text;
  value.plain = true;
  value.text = out;
  value.length = static_cast<unsigned>(o - out);
}
