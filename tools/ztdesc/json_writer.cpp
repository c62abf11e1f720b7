#include "json_writer.h"

#include <math.h>
#include <string.h>

#include <charconv>

#include "code_page.h"

namespace {

constexpr size_t kBufferSize = 1 << 16;
const double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

}  // namespace

ZTJsonWriter::ZTJsonWriter(FILE* out, const CZTFieldDescList& fields) : m_Out(out), m_Buffer(kBufferSize) {
  m_RecordRoom = 4;
  std::vector<char> text;
  for (unsigned f = 0; f < fields.m_uCount; ++f) {
    std::string name = ztCp1252ToUtf8(fields.m_pFields[f].m_szName);
    text.resize(name.size() * 6 + 2);
    std::string key(f ? "," : "{");
    key.append(text.data(), PutString(text.data(), name.data(), static_cast<unsigned>(name.size())));
    key += ':';
    m_Keys.push_back(key);
    // A value: a number of at most 48 bytes or a string of UTF-8 from the field's bytes.
    m_RecordRoom += key.size() + 48 + 6 * size_t(fields.m_pFields[f].m_uLength) * kZTUtf8PerByte;
  }
}

unsigned ZTJsonWriter::PutDouble(char* out, double value) {
  // Most stored amounts have a few decimals: the first count of decimals that
  // gives the value back exactly is its shortest form, which is what to_chars
  // writes as well wherever the fixed form is the shorter one (1 <= |x| < 1e15
  // with decimals; whole numbers below 10000).
  const double magnitude = fabs(value);
  if (magnitude < 1e15 && (magnitude >= 1 || (value == 0 && !signbit(value)))) {
    for (unsigned decimals = 0; decimals < sizeof(kPow10) / sizeof(kPow10[0]); ++decimals) {
      const double scaled = value * kPow10[decimals];
      if (fabs(scaled) >= 9007199254740992.0) break;
      const long long whole = llround(scaled);
      if (static_cast<double>(whole) / kPow10[decimals] != value) continue;
      if (!decimals && magnitude >= 1e4) break;
      const unsigned long long digits = whole < 0 ? 0ull - static_cast<unsigned long long>(whole) : whole;
      return ZTValueReader::PutExact(out, whole < 0, digits, decimals);
    }
  }
  return static_cast<unsigned>(std::to_chars(out, out + 40, value).ptr - out);
}

unsigned ZTJsonWriter::PutString(char* out, const char* text, unsigned length) {
  static const char kHex[] = "0123456789abcdef";
  char* o = out;
  *o++ = '"';
  for (unsigned i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') {
      *o++ = static_cast<char>(c);
      continue;
    }
    *o++ = '\\';
    switch (c) {
      case '"':
      case '\\':
        *o++ = static_cast<char>(c);
        break;
      case '\n':
        *o++ = 'n';
        break;
      case '\r':
        *o++ = 'r';
        break;
      case '\t':
        *o++ = 't';
        break;
      default:
        memcpy(o, "u00", 3);
        o[3] = kHex[c >> 4];
        o[4] = kHex[c & 15];
        o += 5;
    }
  }
  *o++ = '"';
  return static_cast<unsigned>(o - out);
}

char* ZTJsonWriter::Room(size_t bytes) {
  if (m_Used + bytes > m_Buffer.size()) {
    Flush();
    if (bytes > m_Buffer.size()) m_Buffer.resize(bytes);
  }
  return m_Buffer.data() + m_Used;
}

void ZTJsonWriter::Write(ZTValueReader& values, const unsigned char* record) {
  // Room for the whole record at once: every value's text at most six bytes a byte.
  char* o = Room(m_RecordRoom);
  char* const start = o;
  ZTValue value;
  for (unsigned f = 0; f < m_Keys.size(); ++f) {
    values.Read(f, record, value);
    const std::string& key = m_Keys[f];
    memcpy(o, key.data(), key.size());
    o += key.size();
    switch (value.type) {
      case ZTValueType::Integer:
        o = std::to_chars(o, o + 24, value.integer).ptr;
        break;
      case ZTValueType::Unsigned:
        o = std::to_chars(o, o + 24, value.big).ptr;
        break;
      case ZTValueType::Real:
        if (value.text) {
          memcpy(o, value.text, value.length);
          o += value.length;
        } else if (isfinite(value.real)) {
          o += PutDouble(o, value.real);
        } else {
          memcpy(o, "null", 4);  // JSON has no infinity or NaN
          o += 4;
        }
        break;
      case ZTValueType::Text:
        if (value.plain) {
          *o = '"';
          memcpy(o + 1, value.text, value.length);
          o[value.length + 1] = '"';
          o += value.length + 2;
        } else {
          o += PutString(o, value.text, value.length);
        }
        break;
      default:
        memcpy(o, "null", 4);
        o += 4;
    }
  }
  if (m_Keys.empty()) *o++ = '{';
  *o++ = '}';
  *o++ = '\n';
  m_Used += static_cast<size_t>(o - start);
}

bool ZTJsonWriter::Flush() {
  if (m_Used && !m_Failed && fwrite(m_Buffer.data(), 1, m_Used, m_Out) != m_Used) m_Failed = true;
  m_Used = 0;
  if (!m_Failed && fflush(m_Out)) m_Failed = true;
  return !m_Failed;
}
