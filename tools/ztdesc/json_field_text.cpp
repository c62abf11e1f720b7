#include "json_field_text.h"

#include <stdlib.h>
#include <string.h>

#include "field_encoder.h"
#include "zt_tbl32/date_text.h"

namespace {

constexpr int kMaxShift = 400;  // exponents beyond any number a field holds

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A JSON number as a plain German number: "-1.5e3" gives "-1500", "0.250" "0,25".
bool GermanNumber(const std::string& json, std::string& out) {
  size_t i = 0;
  bool negative = i < json.size() && json[i] == '-';
  if (negative) ++i;
  std::string digits;
  long point = -1;
  for (; i < json.size() && (IsDigit(json[i]) || json[i] == '.'); ++i) {
    if (json[i] == '.') {
      if (point >= 0) return false;
      point = static_cast<long>(digits.size());
    } else {
      digits += json[i];
    }
  }
  if (digits.empty()) return false;
  if (point < 0) point = static_cast<long>(digits.size());
  if (i < json.size()) {
    if (json[i] != 'e' && json[i] != 'E') return false;
    char* end = nullptr;
    const char* exponent = json.c_str() + i + 1;
    if (!*exponent) return false;
    long shift = strtol(exponent, &end, 10);
    if (*end || end == exponent || shift > kMaxShift || shift < -kMaxShift) return false;
    point += shift;
  }
  if (point < 0) {
    digits.insert(0, static_cast<size_t>(-point), '0');
    point = 0;
  }
  if (point > static_cast<long>(digits.size())) digits.append(static_cast<size_t>(point) - digits.size(), '0');
  std::string whole = digits.substr(0, static_cast<size_t>(point)),
              fraction = digits.substr(static_cast<size_t>(point));
  size_t first = whole.find_first_not_of('0');
  whole = first == std::string::npos ? "0" : whole.substr(first);
  size_t last = fraction.find_last_not_of('0');
  fraction = last == std::string::npos ? "" : fraction.substr(0, last + 1);
  out = negative && (whole != "0" || !fraction.empty()) ? "-" : "";
  out += whole;
  if (!fraction.empty()) out += "," + fraction;
  return true;
}

bool Number2(const char* p, unsigned* value) {
  if (!IsDigit(p[0]) || !IsDigit(p[1])) return false;
  *value = static_cast<unsigned>((p[0] - '0') * 10 + (p[1] - '0'));
  return true;
}

// "YYYY-MM-DD" at text.
bool IsoDate(const char* text, unsigned* day, unsigned* month, unsigned* year) {
  unsigned high = 0, low = 0;
  return Number2(text, &high) && Number2(text + 2, &low) && text[4] == '-' && Number2(text + 5, month) &&
         text[7] == '-' && Number2(text + 8, day) && ((*year = high * 100 + low), true) &&
         DateToDayNumber(*day, *month, *year) != ZT_INVALID_DAY;
}

// "HH:MM:SS" or "HH:MM" at text, length characters.
bool IsoTime(const char* text, size_t length, unsigned* hour, unsigned* minute, unsigned* second) {
  *second = 0;
  if (length != 5 && length != 8) return false;
  if (!Number2(text, hour) || text[2] != ':' || !Number2(text + 3, minute)) return false;
  if (length == 8 && (text[5] != ':' || !Number2(text + 6, second))) return false;
  return *hour < 24 && *minute < 60 && *second < 60;
}

int DateText(const CZTFieldDesc& field, const std::string& iso, std::string& text, char* reason, unsigned reasonSize) {
  const unsigned content = field.m_uContentType;
  const bool hasDate = (content & ZT_FMT_DATE) != 0, hasTime = (content & ZT_FMT_TIME) != 0;
  const unsigned dateFormat = ztFmtDateFormat(content), timeFormat = ztFmtTimeFormat(content);
  unsigned day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
  bool ok = false;
  const char* form = "YYYY-MM-DD HH:MM:SS";
  if (hasDate && hasTime) {
    ok = iso.size() > 11 && (iso[10] == ' ' || iso[10] == 'T') && IsoDate(iso.c_str(), &day, &month, &year) &&
         IsoTime(iso.c_str() + 11, iso.size() - 11, &hour, &minute, &second);
  } else if (hasDate) {
    form = "YYYY-MM-DD";
    ok = iso.size() == 10 && IsoDate(iso.c_str(), &day, &month, &year);
  } else if (hasTime) {
    form = "HH:MM:SS";
    ok = IsoTime(iso.c_str(), iso.size(), &hour, &minute, &second);
  }
  if (!ok) {
    ztFormat(reason, reasonSize, "not a date or time in the form %s", form);
    return 0;
  }
  // Written in the stored formats and read back: what they cannot hold (a year
  // outside 2000-2099 in two digits, seconds where there are none) is refused.
  char stored[32];
  unsigned length = 0, d = 0, m = 0, y = 0, h = 0, mi = 0, s = 0;
  if (hasDate) {
    length = FormatDateText(stored, day, month, year, dateFormat, 1, sizeof(stored));
    stored[length] = 0;
    if (!length || !ParseDateText(&d, &m, &y, stored, dateFormat) || d != day || m != month || y != year) {
      ztFormat(reason, reasonSize, "the field's date format cannot hold %s", iso.c_str());
      return 0;
    }
    if (hasTime) stored[length++] = ' ';
  }
  if (hasTime) {
    unsigned n = FormatTimeText(stored + length, hour, minute, second, timeFormat, sizeof(stored) - length);
    if (!n || !ParseTimeText(&h, &mi, &s, stored + length, timeFormat) || h != hour || mi != minute || s != second) {
      ztFormat(reason, reasonSize, "the field's time format cannot hold %s", iso.c_str());
      return 0;
    }
    length += n;
  }
  text.assign(stored, length);
  return 1;
}

// A value as the line writes it, as a message shows it.
std::string Shown(const ZTJsonMember& value) {
  switch (value.type) {
    case ZTJsonType::String:
    case ZTJsonType::Number:
      return ztImportShownValue(value.text, true, value.type == ZTJsonType::String);
    case ZTJsonType::True:
      return "true";
    case ZTJsonType::False:
      return "false";
    case ZTJsonType::Array:
      return "[...]";
    case ZTJsonType::Object:
      return "{...}";
    default:
      return "null";
  }
}

const char* TypeName(ZTJsonType type) {
  switch (type) {
    case ZTJsonType::True:
    case ZTJsonType::False:
      return "a boolean";
    case ZTJsonType::Array:
      return "an array";
    case ZTJsonType::Object:
      return "an object";
    default:
      return "this value";
  }
}

}  // namespace

int ztJsonFieldText(const CZTFieldDesc& field, const ZTJsonMember& value, std::string& text, CZTFieldDesc& encodeAs,
                    char* reason, unsigned reasonSize) {
  encodeAs = field;
  text.clear();
  if (value.type == ZTJsonType::Null) return 1;  // blank or zero, as an empty ';' value
  if (value.type != ZTJsonType::String && value.type != ZTJsonType::Number) {
    ztFormat(reason, reasonSize, "%s cannot be stored in a field", TypeName(value.type));
    return 0;
  }
  const unsigned kind = ztFmtKind(field.m_uContentType);
  const bool isText = field.m_uEncodeType == iteASCIITEXT || field.m_uEncodeType == iteUNICODETEXT;
  if (isText && kind == ZT_KIND_DATETIME) {
    if (value.type != ZTJsonType::String) {
      ztFormat(reason, reasonSize, "a date or time is written as a string");
      return 0;
    }
    if (value.text.empty()) return 1;  // an empty date
    encodeAs.m_uDisplayType = field.m_uContentType;
    return DateText(field, value.text, text, reason, reasonSize);
  }
  if (!isText || kind == ZT_KIND_NUMBER || kind == ZT_KIND_DECIMAL) {
    // Numbers, also as strings ("12.5"), always with a decimal point.
    std::string number = value.text;
    if (value.type == ZTJsonType::String) {
      size_t b = number.find_first_not_of(' '), e = number.find_last_not_of(' ');
      number = b == std::string::npos ? "" : number.substr(b, e - b + 1);
      if (number.empty()) return 1;
    }
    if (!GermanNumber(number, text)) {
      ztFormat(reason, reasonSize, "not a number");
      return 0;
    }
    return 1;
  }
  // Text, as UTF-8; a number stands for its digits.
  text = value.text;
  return 1;
}

int ztJsonImportValue(const CZTFieldDesc& field, const ZTJsonMember& value, unsigned char* record, unsigned recordSize,
                      const char* source, unsigned line, std::string* message) {
  if (value.type == ZTJsonType::Null) return 1;
  std::string text;
  CZTFieldDesc encodeAs;
  char reason[160];
  if (ztJsonFieldText(field, value, text, encodeAs, reason, sizeof(reason)))
    return ztImportValue(encodeAs, text, true, record, recordSize, source, line, message, &value.text,
                         value.type == ZTJsonType::String);
  *message = ztImportMessage(source, line, field, Shown(value), reason);
  return 0;
}
