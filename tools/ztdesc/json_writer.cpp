#include "json_writer.h"

#include <math.h>
#include <string.h>

#include <charconv>

#include "text_utf8.h"

namespace {

constexpr size_t kBufferSize = 1 << 20;

unsigned PutInteger(char* out, int64_t value) {
  return static_cast<unsigned>(std::to_chars(out, out + 24, value).ptr - out);
}

}  // namespace

ZTJsonWriter::ZTJsonWriter(FILE* out, const CZTFieldDescList& fields) : m_Out(out), m_Buffer(kBufferSize) {
  std::vector<char> text;
  for (unsigned f = 0; f < fields.m_uCount; ++f) {
    std::string name = ztUtf8From1252(fields.m_pFields[f].m_szName);
    text.resize(name.size() * 6 + 2);
    std::string key(f ? "," : "{");
    key.append(text.data(), PutString(text.data(), name.data(), static_cast<unsigned>(name.size())));
    key += ':';
    m_Keys.push_back(key);
  }
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
  ZTValue value;
  for (unsigned f = 0; f < m_Keys.size(); ++f) {
    values.Read(f, record, value);
    const std::string& key = m_Keys[f];
    char* o = Room(key.size() + 6 * size_t(value.length) + 48);
    char* start = o;
    memcpy(o, key.data(), key.size());
    o += key.size();
    switch (value.type) {
      case ZTValueType::Integer:
        o += PutInteger(o, value.integer);
        break;
      case ZTValueType::Unsigned:
        o = std::to_chars(o, o + 24, value.big).ptr;
        break;
      case ZTValueType::Real:
        if (value.text) {
          memcpy(o, value.text, value.length);
          o += value.length;
        } else if (isfinite(value.real)) {
          o = std::to_chars(o, o + 40, value.real).ptr;
        } else {
          memcpy(o, "null", 4);  // JSON has no infinity or NaN
          o += 4;
        }
        break;
      case ZTValueType::Text:
        o += PutString(o, value.text, value.length);
        break;
      default:
        memcpy(o, "null", 4);
        o += 4;
    }
    m_Used += static_cast<size_t>(o - start);
  }
  char* o = Room(2);
  if (m_Keys.empty()) *o++ = '{', ++m_Used;
  o[0] = '}';
  o[1] = '\n';
  m_Used += 2;
}

bool ZTJsonWriter::Flush() {
  if (m_Used && !m_Failed && fwrite(m_Buffer.data(), 1, m_Used, m_Out) != m_Used) m_Failed = true;
  m_Used = 0;
  if (!m_Failed && fflush(m_Out)) m_Failed = true;
  return !m_Failed;
}
