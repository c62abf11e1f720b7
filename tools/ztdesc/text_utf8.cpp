#include "text_utf8.h"

#include <stdint.h>
#include <string.h>

#include "zt_tbl32.h"

namespace {

// Code points of the bytes 0x80-0x9F; the undefined ones keep their number.
const uint16_t kHigh1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// UTF-8 of every byte: length in byte 3.
struct Utf8Table {
  unsigned char bytes[256][4];
  Utf8Table() {
    for (unsigned b = 0; b < 256; ++b) {
      unsigned cp = b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : b;
      char utf8[4];
      unsigned n = ztPutUtf8(cp, utf8);
      memcpy(bytes[b], utf8, n);
      bytes[b][3] = static_cast<unsigned char>(n);
    }
  }
};
const Utf8Table kUtf8;

// The Windows-1252 byte of a code point; -1 when it has none.
int ByteOf(unsigned cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (unsigned i = 0; i < 32; ++i)
    if (kHigh1252[i] == cp) return static_cast<int>(0x80 + i);
  return -1;
}

}  // namespace

unsigned ztPutUtf8(unsigned cp, char* out) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

unsigned ztUtf8From1252(const char* text, unsigned length, char* out) {
  char* o = out;
  for (unsigned i = 0; i < length; ++i) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      *o++ = static_cast<char>(b);
      continue;
    }
    const unsigned char* u = kUtf8.bytes[b];
    o[0] = static_cast<char>(u[0]);
    o[1] = static_cast<char>(u[1]);
    o[2] = static_cast<char>(u[2]);
    o += u[3];
  }
  return static_cast<unsigned>(o - out);
}

std::string ztUtf8From1252(const char* text) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
    out.append(reinterpret_cast<const char*>(kUtf8.bytes[*p]), kUtf8.bytes[*p][3]);
  return out;
}

int ztUtf8To1252(const char* text, size_t length, std::string& out, char* reason, unsigned reasonSize) {
  out.clear();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  for (size_t i = 0; i < length;) {
    unsigned c = p[i];
    unsigned cp = 0, n = 0;
    if (c < 0x80) {
      cp = c;
      n = 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
      cp = c & 0x1F;
      n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      cp = c & 0x0F;
      n = 3;
    } else if (c >= 0xF0 && c <= 0xF4) {
      cp = c & 0x07;
      n = 4;
    } else {
      ztFormat(reason, reasonSize, "not UTF-8 (byte 0x%02X at %u)", c, (unsigned)i + 1);
      return 0;
    }
    if (i + n > length) {
      ztFormat(reason, reasonSize, "not UTF-8 (a character cut off at %u)", (unsigned)i + 1);
      return 0;
    }
    for (unsigned k = 1; k < n; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) {
        ztFormat(reason, reasonSize, "not UTF-8 (byte 0x%02X at %u)", p[i + k], (unsigned)(i + k) + 1);
        return 0;
      }
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8.
    static const unsigned kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
      ztFormat(reason, reasonSize, "not UTF-8 (bad sequence at %u)", (unsigned)i + 1);
      return 0;
    }
    if (cp == 0) {
      ztFormat(reason, reasonSize, "a NUL character");
      return 0;
    }
    int b = ByteOf(cp);
    if (b < 0) {
      ztFormat(reason, reasonSize, "the character U+%04X is not in Windows-1252", cp);
      return 0;
    }
    out += static_cast<char>(b);
    i += n;
  }
  return 1;
}
