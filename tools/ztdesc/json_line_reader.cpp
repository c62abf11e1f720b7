#include "json_line_reader.h"

#include <string.h>

#include "code_page.h"

namespace {

constexpr unsigned kMaxDepth = 64;  // nesting of arrays and objects inside a value

class Parser {
 public:
  Parser(const char* text, size_t length) : m_P(text), m_Begin(text), m_End(text + length) {}

  bool Line(std::vector<ZTJsonMember>& members, std::string& error) {
    members.clear();
    Blank();
    if (!Expect('{', "a line must hold one JSON object")) return Failed(error);
    Blank();
    if (!Peek('}')) {
      for (;;) {
        ZTJsonMember member;
        Blank();
        if (!Peek('"')) {
          Fail("a name in double quotes expected");
          return Failed(error);
        }
        if (!String(member.key)) return Failed(error);
        Blank();
        if (!Expect(':', "':' expected after the name")) return Failed(error);
        Blank();
        if (!Value(member, 0)) return Failed(error);
        members.push_back(std::move(member));
        Blank();
        if (Peek(',')) {
          ++m_P;
          continue;
        }
        if (!Peek('}')) {
          Fail("',' or '}' expected");
          return Failed(error);
        }
        break;
      }
    }
    ++m_P;
    Blank();
    if (m_P != m_End) {
      Fail("text after the object");
      return Failed(error);
    }
    return true;
  }

 private:
  bool Peek(char c) const { return m_P < m_End && *m_P == c; }
  void Blank() {
    while (m_P < m_End && (*m_P == ' ' || *m_P == '\t' || *m_P == '\r' || *m_P == '\n')) ++m_P;
  }
  bool Fail(const char* reason) {
    if (m_Reason.empty()) {
      size_t column = static_cast<size_t>(m_P - m_Begin) + 1;
      m_Reason = "column " + std::to_string(column) + ": " + reason;
    }
    return false;
  }
  bool Failed(std::string& error) {
    if (m_Reason.empty()) Fail("bad JSON");
    error = m_Reason;
    return false;
  }
  bool Expect(char c, const char* reason) {
    if (!Peek(c)) return Fail(reason);
    ++m_P;
    return true;
  }
  bool Word(const char* word) {
    size_t n = strlen(word);
    if (static_cast<size_t>(m_End - m_P) < n || memcmp(m_P, word, n)) return Fail("not a JSON value");
    m_P += n;
    return true;
  }

  static int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }
  bool Hex4(unsigned* value) {
    if (m_End - m_P < 4) return Fail("\\u needs four hexadecimal digits");
    unsigned v = 0;
    for (int i = 0; i < 4; ++i) {
      int h = Hex(m_P[i]);
      if (h < 0) return Fail("\\u needs four hexadecimal digits");
      v = v * 16 + static_cast<unsigned>(h);
    }
    m_P += 4;
    *value = v;
    return true;
  }
  // A string at the opening quote; its text with the escapes resolved.
  bool String(std::string& out) {
    ++m_P;
    out.clear();
    for (;;) {
      const char* start = m_P;
      while (m_P < m_End && *m_P != '"' && *m_P != '\\' && static_cast<unsigned char>(*m_P) >= 0x20) ++m_P;
      out.append(start, m_P);
      if (m_P == m_End) return Fail("the string is not closed");
      char c = *m_P;
      if (c == '"') {
        ++m_P;
        return true;
      }
      if (c != '\\') return Fail("a control character in a string (write it as an escape)");
      ++m_P;
      if (m_P == m_End) return Fail("the string is not closed");
      c = *m_P++;
      switch (c) {
        case '"':
        case '\\':
        case '/':
          out += c;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          unsigned cp = 0;
          if (!Hex4(&cp)) return false;
          if (cp >= 0xDC00 && cp <= 0xDFFF) return Fail("a lone low surrogate in \\u");
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            unsigned low = 0;
            if (m_End - m_P < 2 || m_P[0] != '\\' || m_P[1] != 'u') return Fail("a lone high surrogate in \\u");
            m_P += 2;
            if (!Hex4(&low)) return false;
            if (low < 0xDC00 || low > 0xDFFF) return Fail("a lone high surrogate in \\u");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          char utf8[4];
          out.append(utf8, ztPutUtf8(cp, utf8));
          break;
        }
        default:
          --m_P;
          return Fail("an unknown escape");
      }
    }
  }

  bool Digits() {
    const char* start = m_P;
    while (m_P < m_End && *m_P >= '0' && *m_P <= '9') ++m_P;
    return m_P != start;
  }
  // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
  bool Number(std::string& out) {
    const char* start = m_P;
    if (Peek('-')) ++m_P;
    if (Peek('0')) {
      ++m_P;
    } else if (!Digits()) {
      return Fail("not a JSON value");
    }
    if (Peek('.')) {
      ++m_P;
      if (!Digits()) return Fail("digits expected after the decimal point");
    }
    if (Peek('e') || Peek('E')) {
      ++m_P;
      if (Peek('+') || Peek('-')) ++m_P;
      if (!Digits()) return Fail("digits expected in the exponent");
    }
    out.assign(start, m_P);
    return true;
  }

  // An array or object inside a value: checked, not kept.
  bool Skip(unsigned depth) {
    if (depth >= kMaxDepth) return Fail("values nested too deeply");
    char close = *m_P == '[' ? ']' : '}';
    ++m_P;
    Blank();
    if (Peek(close)) {
      ++m_P;
      return true;
    }
    for (;;) {
      Blank();
      ZTJsonMember inner;
      if (close == '}') {
        if (!Peek('"')) return Fail("a name in double quotes expected");
        if (!String(inner.key)) return false;
        Blank();
        if (!Expect(':', "':' expected after the name")) return false;
        Blank();
      }
      if (!Value(inner, depth + 1)) return false;
      Blank();
      if (Peek(',')) {
        ++m_P;
        continue;
      }
      return Expect(close, close == '}' ? "',' or '}' expected" : "',' or ']' expected");
    }
  }

  bool Value(ZTJsonMember& member, unsigned depth) {
    if (m_P == m_End) return Fail("a value expected");
    switch (*m_P) {
      case '"':
        member.type = ZTJsonType::String;
        return String(member.text);
      case '{':
      case '[':
        member.type = *m_P == '{' ? ZTJsonType::Object : ZTJsonType::Array;
        return Skip(depth);
      case 't':
        member.type = ZTJsonType::True;
        return Word("true");
      case 'f':
        member.type = ZTJsonType::False;
        return Word("false");
      case 'n':
        member.type = ZTJsonType::Null;
        return Word("null");
      default:
        member.type = ZTJsonType::Number;
        return Number(member.text);
    }
  }

  const char* m_P;
  const char* m_Begin;
  const char* m_End;
  std::string m_Reason;
};

}  // namespace

bool ZTJsonLineReader::ParseLine(const char* text, size_t length, std::vector<ZTJsonMember>& members,
                                 std::string& error) {
  error.clear();
  return Parser(text, length).Line(members, error);
}

bool ZTJsonLineReader::ReadLine() {
  m_Text.clear();
  bool any = false;
  for (;;) {
    if (m_At == m_End) {
      m_At = 0;
      m_End = fread(m_Buffer.data(), 1, m_Buffer.size(), m_File);
      if (!m_End) break;
    }
    any = true;
    const char* start = m_Buffer.data() + m_At;
    const void* newline = memchr(start, '\n', m_End - m_At);
    size_t n = newline ? static_cast<size_t>(static_cast<const char*>(newline) - start) : m_End - m_At;
    m_Text.append(start, n);
    m_At += n;
    if (newline) {
      ++m_At;
      break;
    }
  }
  if (!any) return false;
  if (++m_Line == 1 && m_Text.compare(0, 3, "\xEF\xBB\xBF") == 0) m_Text.erase(0, 3);  // byte order mark
  if (!m_Text.empty() && m_Text.back() == '\r') m_Text.pop_back();
  return true;
}

bool ZTJsonLineReader::Next(std::vector<ZTJsonMember>& members) {
  members.clear();
  m_Error.clear();
  while (ReadLine()) {
    if (m_Text.find_first_not_of(" \t") == std::string::npos) continue;  // blank line
    ParseLine(m_Text.data(), m_Text.size(), members, m_Error);
    return true;
  }
  return false;
}
