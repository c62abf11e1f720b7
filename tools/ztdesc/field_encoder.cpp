#include "field_encoder.h"

#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "code_page.h"
#include "commands.h"
#include "zt_tbl32/date_text.h"
#include "zt_tbl32/exact_number.h"
#include "zt_tbl32/number_text.h"

namespace {

const char* const kDatePatterns[] = {
    "DD.MM.YYYY", "MM.DD.YYYY", "DDMMYYYY", "MMDDYYYY", "DD.MM.YY", "MM.DD.YY",           "DDMMYY",
    "MMDDYY",     "YYYYMMDD",   "YYMMDD",   "YYYYMM",   "YYMM",     "99999999 - YYYYMMDD"};
const char* const kTimePatterns[] = {"HH:MM:SS", "HHMMSS", "HH:MM", "HHMM"};

std::string Trim(const char* text, size_t length) {
  const char* b = text;
  const char* e = text + length;
  while (b < e && (*b == ' ' || *b == '\t')) ++b;
  while (e > b && (e[-1] == ' ' || e[-1] == '\t')) --e;
  return std::string(b, e);
}
std::string Trim(const char* text) { return Trim(text, strlen(text)); }

// A German number (thousands points between groups of three digits, one decimal
// comma) with at most maxDecimals decimals: its sign and its magnitude scaled by
// 10^maxDecimals. false with a reason when the text is not such a number.
bool ParseGermanNumber(const std::string& text, unsigned maxDecimals, bool* negative, uint64_t* scaled, char* reason,
                       unsigned reasonSize) {
  CZTExactNumber number;
  if (!number.Read(text.data(), static_cast<unsigned>(text.size()), ZT_NUM_GERMAN)) {
    ztFormat(reason, reasonSize, "not a number");
    return false;
  }
  bool exact = false;
  if (!number.Scaled(maxDecimals, ZT_ROUND_DOWN, negative, scaled, &exact)) {
    ztFormat(reason, reasonSize, "number too large");
    return false;
  }
  if (!exact) {
    if (maxDecimals)
      ztFormat(reason, reasonSize, "more than %u decimals", maxDecimals);
    else
      ztFormat(reason, reasonSize, "not a whole number");
    return false;
  }
  return true;
}

bool EncodeInteger(const CZTFieldDesc& field, const std::string& text, unsigned char* bytes, char* reason,
                   unsigned reasonSize) {
  static const unsigned kWidths[] = {1, 2, 4, 8};
  unsigned width = kWidths[field.m_uEncodeType];
  bool isSigned = (field.m_uContentType & ZT_FMT_SIGNED) != 0;
  unsigned decimals = ztFmtDecimals(field.m_uContentType);
  bool negative = false;
  uint64_t magnitude = 0;
  if (!ParseGermanNumber(text, decimals, &negative, &magnitude, reason, reasonSize)) return false;
  if (negative && !isSigned) {
    ztFormat(reason, reasonSize, "negative value in an unsigned field");
    return false;
  }
  uint64_t limit = width == 8 ? UINT64_MAX : ((uint64_t)1 << (width * 8)) - 1;
  if (isSigned) limit = (limit >> 1) + (negative ? 1 : 0);
  if (magnitude > limit) {
    ztFormat(reason, reasonSize, "value out of the range of a %s %u-bit integer", isSigned ? "signed" : "unsigned",
             width * 8);
    return false;
  }
  uint64_t raw = negative ? (uint64_t)0 - magnitude : magnitude;
  unsigned n = width < field.m_uLength ? width : field.m_uLength;
  for (unsigned b = 0; b < n; ++b) bytes[b] = static_cast<unsigned char>(raw >> (8 * b));
  return true;
}

bool EncodeFloating(const CZTFieldDesc& field, const std::string& text, unsigned char* bytes, char* reason,
                    unsigned reasonSize) {
  // Doubles are shown with a '.' (or rounded to integers); German numbers and
  // exponents are taken as well.
  CZTExactNumber number;
  if (text.empty() || !number.Read(text.data(), static_cast<unsigned>(text.size()), ZT_NUM_FLOATING)) {
    ztFormat(reason, reasonSize, "not a number");
    return false;
  }
  double value = number.ToDouble();
  if (field.m_uEncodeType == ite32FLOATING) {
    if (fabs(value) > 3.4028234663852886e38) {
      ztFormat(reason, reasonSize, "value out of the range of a 32-bit float");
      return false;
    }
    float f = static_cast<float>(value);
    memcpy(bytes, &f, sizeof(f) < field.m_uLength ? sizeof(f) : field.m_uLength);
  } else {
    if (!isfinite(value)) {
      ztFormat(reason, reasonSize, "value out of the range of a 64-bit float");
      return false;
    }
    memcpy(bytes, &value, sizeof(value) < field.m_uLength ? sizeof(value) : field.m_uLength);
  }
  return true;
}

// Right-aligned in the field: zeros in front of a plain non-negative number,
// blanks otherwise.
bool StoreRight(const CZTFieldDesc& field, const std::string& digits, bool zeroFill, unsigned char* bytes, char* reason,
                unsigned reasonSize) {
  if (digits.size() > field.m_uLength) {
    ztFormat(reason, reasonSize, "does not fit %u characters", field.m_uLength);
    return false;
  }
  size_t pad = field.m_uLength - digits.size();
  memset(bytes, zeroFill ? '0' : ' ', pad);
  memcpy(bytes + pad, digits.data(), digits.size());
  return true;
}

std::string ScaledText(bool negative, uint64_t scaled, unsigned decimals) {
  char digits[32];
  FormatUInt64(digits, scaled, sizeof(digits));
  std::string s(digits);
  if (decimals) {
    if (s.size() <= decimals) s.insert(0, decimals + 1 - s.size(), '0');
    s.insert(s.size() - decimals, ",");
  }
  if (negative && scaled) s.insert(0, "-");
  return s;
}

bool EncodeNumberText(const CZTFieldDesc& field, const std::string& text, unsigned char* bytes, char* reason,
                      unsigned reasonSize) {
  unsigned decimals = ztFmtDecimals(field.m_uContentType);
  bool negative = false;
  uint64_t scaled = 0;
  if (!ParseGermanNumber(text, decimals, &negative, &scaled, reason, reasonSize)) return false;
  if (negative && !(field.m_uContentType & ZT_FMT_SIGNED)) {
    ztFormat(reason, reasonSize, "negative value in an unsigned field");
    return false;
  }
  std::string stored = ScaledText(negative, scaled, decimals);
  return StoreRight(field, stored, !decimals && !(negative && scaled), bytes, reason, reasonSize);
}

bool EncodeDecimalText(const CZTFieldDesc& field, const std::string& text, unsigned char* bytes, char* reason,
                       unsigned reasonSize) {
  unsigned decimals = ztFmtDecimals(field.m_uContentType);
  bool negative = false;
  uint64_t scaled = 0;
  if (!ParseGermanNumber(text, decimals, &negative, &scaled, reason, reasonSize)) return false;
  if (scaled > (uint64_t)INT64_MAX) {
    ztFormat(reason, reasonSize, "number too large");
    return false;
  }
  return StoreRight(field, ScaledText(negative, scaled, decimals), false, bytes, reason, reasonSize);
}

// Reads a date exactly in the format (checked by formatting it again) and gives
// day, month and year of a valid calendar date.
bool ReadDate(const std::string& text, unsigned format, unsigned* day, unsigned* month, unsigned* year, char* reason,
              unsigned reasonSize) {
  unsigned length = DateTextLength(format);
  char again[ZT_DATE_TEXT_SIZE + 8];
  if (text.size() == length && ParseDateText(day, month, year, text.c_str(), format) &&
      FormatDateText(again, *day, *month, *year, format, 1, sizeof(again)) == length && text == again &&
      DateToDayNumber(*day ? *day : 1, *month, *year) != ZT_INVALID_DAY)
    return true;
  ztFormat(reason, reasonSize, "not a valid date in the form %s", kDatePatterns[format]);
  return false;
}

bool ReadTime(const std::string& text, unsigned format, unsigned* hour, unsigned* minute, unsigned* second,
              char* reason, unsigned reasonSize) {
  char again[ZT_TIME_TEXT_SIZE + 8];
  if (ParseTimeText(hour, minute, second, text.c_str(), format) &&
      FormatTimeText(again, *hour, *minute, *second, format, sizeof(again)) == text.size() && text == again &&
      *hour < 24 && *minute < 60 && *second < 60)
    return true;
  ztFormat(reason, reasonSize, "not a valid time in the form %s", kTimePatterns[format]);
  return false;
}

bool EncodeDateText(const CZTFieldDesc& field, const std::string& text, unsigned char* bytes, char* reason,
                    unsigned reasonSize) {
  unsigned content = field.m_uContentType;
  // The text is shown in the display formats when the display is a date.
  unsigned shown = (field.m_uDisplayType & 0xF) == ZT_KIND_DATETIME ? field.m_uDisplayType : content;
  bool hasDate = (content & ZT_FMT_DATE) != 0, hasTime = (content & ZT_FMT_TIME) != 0;
  memset(bytes, ' ', field.m_uLength);
  if (text.empty()) return true;  // an empty date is stored as blanks
  if (!hasDate && !hasTime) {
    ztFormat(reason, reasonSize, "the field holds neither a date nor a time");
    return false;
  }
  unsigned dateIn = ztFmtDateFormat(shown), dateOut = ztFmtDateFormat(content);
  unsigned timeIn = ztFmtTimeFormat(shown), timeOut = ztFmtTimeFormat(content);
  if ((hasDate && (dateIn >= ZT_DATE_FORMAT_COUNT || dateOut >= ZT_DATE_FORMAT_COUNT)) ||
      (hasTime && (timeIn >= ZT_TIME_FORMAT_COUNT || timeOut >= ZT_TIME_FORMAT_COUNT))) {
    ztFormat(reason, reasonSize, "unknown date or time format");
    return false;
  }
  std::string datePart = text, timePart;
  if (hasDate && hasTime) {
    size_t blank = text.find(' ');
    datePart = text.substr(0, blank);
    if (blank != std::string::npos) timePart = Trim(text.substr(blank).c_str());
  } else if (hasTime) {
    datePart.clear();
    timePart = text;
  }
  char stored[64];
  unsigned length = 0;
  if (hasDate) {
    unsigned day = 0, month = 0, year = 0;
    if (!ReadDate(datePart, dateIn, &day, &month, &year, reason, reasonSize)) return false;
    length = FormatDateText(stored, day, month, year, dateOut, 1, sizeof(stored));
  }
  if (hasTime) {
    unsigned hour = 0, minute = 0, second = 0;
    if (timePart.empty() && hasDate) {
      ztFormat(reason, reasonSize, "the time is missing (form %s)", kTimePatterns[timeIn]);
      return false;
    }
    if (!ReadTime(timePart, timeIn, &hour, &minute, &second, reason, reasonSize)) return false;
    length += FormatTimeText(stored + length, hour, minute, second, timeOut, sizeof(stored) - length);
  }
  if (length > field.m_uLength) {
    ztFormat(reason, reasonSize, "does not fit %u characters", field.m_uLength);
    return false;
  }
  memcpy(bytes, stored, length);
  return true;
}

}  // namespace

int ztEncodeField(const CZTFieldDesc& field, const char* text, size_t length, unsigned char* record,
                  unsigned recordSize, char* reason, unsigned reasonSize) {
  if ((uint64_t)field.m_uOffset + field.m_uLength > recordSize || !field.m_uLength) {
    ztFormat(reason, reasonSize, "the field lies outside the record");
    return 0;
  }
  if (!text) length = 0;
  // A zero byte would end the text where the record is read.
  if (length && memchr(text, '\0', length)) {
    ztFormat(reason, reasonSize, "a NUL character (zero byte) cannot be stored");
    return 0;
  }
  unsigned char* bytes = record + field.m_uOffset;
  memset(bytes, 0, field.m_uLength);
  std::string trimmed = Trim(text ? text : "", length);
  switch (field.m_uEncodeType) {
    case ite8INTEGER:
    case ite16INTEGER:
    case ite32INTEGER:
    case ite64INTEGER:
      return EncodeInteger(field, trimmed, bytes, reason, reasonSize);
    case ite32FLOATING:
    case ite64FLOATING:
      return EncodeFloating(field, trimmed, bytes, reason, reasonSize);
    case iteASCIITEXT:
      switch (ztFmtKind(field.m_uContentType)) {
        case ZT_KIND_NUMBER:
          return EncodeNumberText(field, trimmed, bytes, reason, reasonSize);
        case ZT_KIND_DATETIME:
          return EncodeDateText(field, trimmed, bytes, reason, reasonSize);
        case ZT_KIND_DECIMAL:
          return EncodeDecimalText(field, trimmed, bytes, reason, reasonSize);
        case ZT_KIND_TEXT:
        case 4:
        case 5: {
          while (length && text[length - 1] == ' ') --length;  // trailing blanks are padding
          if (length > field.m_uLength) {
            ztFormat(reason, reasonSize, "text longer than %u characters", field.m_uLength);
            return 0;
          }
          memset(bytes, ' ', field.m_uLength);
          if (length) memcpy(bytes, text, length);
          return 1;
        }
        default:
          ztFormat(reason, reasonSize, "unknown content kind %u", ztFmtKind(field.m_uContentType));
          return 0;
      }
    default:
      ztFormat(reason, reasonSize, "%s fields cannot be imported",
               field.m_uEncodeType == ite80FLOATING    ? "80-bit floating point"
               : field.m_uEncodeType == iteUNICODETEXT ? "Unicode text"
                                                       : "unknown encoding");
      return 0;
  }
}

int ztEncodeField(const CZTFieldDesc& field, const char* text, unsigned char* record, unsigned recordSize, char* reason,
                  unsigned reasonSize) {
  return ztEncodeField(field, text, text ? strlen(text) : 0, record, recordSize, reason, reasonSize);
}

std::string ztImportShownValue(const std::string& value, bool utf8, bool quoted) {
  const size_t kShownCharacters = 40;
  std::string shown;
  size_t characters = 0, i = 0;
  for (; i < value.size() && characters < kShownCharacters; ++i) {
    shown += value[i];
    // In UTF-8 a character's continuation bytes go with it.
    if (!utf8 || i + 1 == value.size() || (static_cast<unsigned char>(value[i + 1]) & 0xC0) != 0x80) ++characters;
  }
  if (i < value.size()) shown += "...";
  // A zero byte would end the message.
  for (char& c : shown)
    if (c == '\0') c = ' ';
  shown = ztdescInputToOutput(shown, utf8);
  return quoted ? "\"" + shown + "\"" : shown;
}

std::string ztImportMessage(const char* source, unsigned line, const CZTFieldDesc& field, const std::string& shown,
                            const char* reason) {
  return std::string(source) + ":" + std::to_string(line) + ": field " + ztdescToOutput(field.m_szName) + ": " + shown +
         ": " + reason;
}

int ztImportValue(const CZTFieldDesc& field, const std::string& value, bool utf8, unsigned char* record,
                  unsigned recordSize, const char* source, unsigned line, std::string* message,
                  const std::string* written, bool quoted) {
  std::string converted;
  const std::string* text = &value;
  char reason[160];
  if (utf8) {
    ZTCodePageError error;
    if (!ztUtf8ToCp1252(value.data(), value.size(), &converted, &error)) {
      ztStrCopy(reason, ztCodePageErrorText(value.data(), value.size(), error).c_str(), sizeof(reason));
      text = nullptr;
    } else {
      text = &converted;
    }
  }
  if (text && ztEncodeField(field, text->data(), text->size(), record, recordSize, reason, sizeof(reason))) return 1;
  *message = ztImportMessage(source, line, field, ztImportShownValue(written ? *written : value, utf8, quoted), reason);
  return 0;
}
