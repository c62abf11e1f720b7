#include "code_page.h"

#include <string.h>

#include "zt_lib32.h"

namespace {

// The characters of the bytes 0x80-0x9F; the five bytes Windows-1252 leaves
// unassigned stand for the control character of the same number.
constexpr unsigned short kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                              0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The UTF-8 bytes of a code point (up to 4): their number.
constexpr unsigned EncodeUtf8(unsigned c, unsigned char* out) {
  if (c < 0x80) {
    out[0] = static_cast<unsigned char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
    out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
    out[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
  out[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
  return 4;
}

// The UTF-8 form of every byte (at most three), its length in the fourth;
// made by the compiler, so that it is ready for any caller, however early.
struct Utf8Table {
  unsigned char bytes[256][4] = {};
  constexpr Utf8Table() {
    for (unsigned b = 0; b < 256; ++b)
      bytes[b][3] =
          static_cast<unsigned char>(EncodeUtf8(b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : b, bytes[b]));
  }
};
constexpr Utf8Table kUtf8;

// The byte of a character, or -1 when Windows-1252 has none.
int ByteOf(unsigned c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (unsigned i = 0; i < 32; ++i)
    if (kHighControls[i] == c) return static_cast<int>(0x80 + i);
  return -1;
}

// The character at p and its length in bytes; 0 for bytes that are not UTF-8
// (stray continuation bytes, cut sequences, overlong forms, surrogates).
unsigned DecodeUtf8(const unsigned char* p, size_t left, unsigned* c) {
  const unsigned b = p[0];
  if (b < 0x80) {
    *c = b;
    return 1;
  }
  unsigned length, min;
  if ((b & 0xE0) == 0xC0) {
    length = 2, min = 0x80, *c = b & 0x1F;
  } else if ((b & 0xF0) == 0xE0) {
    length = 3, min = 0x800, *c = b & 0x0F;
  } else if ((b & 0xF8) == 0xF0) {
    length = 4, min = 0x10000, *c = b & 0x07;
  } else {
    return 0;
  }
  if (left < length) return 0;
  for (unsigned i = 1; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    *c = (*c << 6) | (p[i] & 0x3F);
  }
  if (*c < min || *c > 0x10FFFF || (*c >= 0xD800 && *c <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

bool ztUtf8ToCp1252(const char* text, size_t length, std::string* out, ZTCodePageError* error) {
  out->clear();
  out->reserve(length);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  for (size_t i = 0; i < length;) {
    unsigned c = 0;
    const unsigned n = DecodeUtf8(p + i, length - i, &c);
    const int byte = n ? ByteOf(c) : -1;
    if (byte < 0) {
      if (error) {
        error->offset = i;
        error->codePoint = n ? c : kNotUtf8;
      }
      return false;
    }
    *out += static_cast<char>(byte);
    i += n;
  }
  return true;
}

unsigned ztPutUtf8(unsigned c, char* out) {
  unsigned char bytes[4] = {};
  const unsigned n = EncodeUtf8(c, bytes);
  memcpy(out, bytes, n);
  return n;
}

unsigned ztCp1252ToUtf8(const char* text, unsigned length, char* out) {
  char* o = out;
  for (unsigned i = 0; i < length; ++i) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      *o++ = static_cast<char>(b);
      continue;
    }
    // Three bytes copied whatever the length: the room allows it.
    const unsigned char* u = kUtf8.bytes[b];
    o[0] = static_cast<char>(u[0]);
    o[1] = static_cast<char>(u[1]);
    o[2] = static_cast<char>(u[2]);
    o += u[3];
  }
  return static_cast<unsigned>(o - out);
}

std::string ztCp1252ToUtf8(const char* text, size_t length) {
  std::string out;
  // In pieces, so that the buffer form's unsigned length always holds.
  const size_t kPiece = 1u << 20;
  for (size_t at = 0; at < length; at += kPiece) {
    const unsigned n = static_cast<unsigned>(length - at < kPiece ? length - at : kPiece);
    const size_t used = out.size();
    out.resize(used + size_t(n) * kZTUtf8PerByte);
    out.resize(used + ztCp1252ToUtf8(text + at, n, &out[used]));
  }
  return out;
}

std::string ztCodePageErrorText(const char* utf8Text, size_t length, const ZTCodePageError& error) {
  char text[96];
  if (error.codePoint == kNotUtf8) {
    const unsigned byte = error.offset < length ? static_cast<unsigned char>(utf8Text[error.offset]) : 0;
    ztFormat(text, sizeof(text), "byte 0x%02X is not UTF-8", byte);
    return text;
  }
  char utf8[4];
  // Control characters are named by their number alone.
  const std::string character(utf8, error.codePoint < 0xA0 ? 0 : ztPutUtf8(error.codePoint, utf8));
  ztFormat(text, sizeof(text), "U+%04X%s%s%s is not in Windows-1252", error.codePoint, character.empty() ? "" : " (",
           character.c_str(), character.empty() ? "" : ")");
  return text;
}
