#include "zt_lib32/strings.h"

#include <stdint.h>
#include <string.h>

unsigned ztStrCopy(char* dest, const char* src, unsigned size) {
  if (!dest || !src || size == 0) return 0;
  unsigned n = 0;
  while (n + 1 < size && src[n]) {
    dest[n] = src[n];
    ++n;
  }
  dest[n] = '\0';
  return n;
}

unsigned ztStrCopyN(char* dest, const char* src, unsigned srcLength, unsigned size) {
  if (!dest || !src || size == 0) return 0;
  unsigned n = 0;
  while (n + 1 < size && n < srcLength && src[n]) {
    dest[n] = src[n];
    ++n;
  }
  dest[n] = '\0';
  return n;
}

unsigned ztStrAppend(char* dest, const char* src, unsigned size) {
  if (!dest || size == 0) return 0;
  unsigned len = 0;
  while (len < size && dest[len]) ++len;
  if (len >= size) {  // unterminated: terminate at the end
    dest[size - 1] = '\0';
    return size - 1;
  }
  return len + ztStrCopy(dest + len, src, size - len);
}

namespace {

// Windows-1252 letters: a-z, the accented letters 0xE0-0xFE (not 0xF7), and the
// pairs 0x8A/0x9A, 0x8C/0x9C, 0x8E/0x9E, 0x9F/0xFF.
struct CaseTables {
  unsigned char upper[256];
  unsigned char lower[256];
  constexpr CaseTables() : upper(), lower() {
    for (int c = 0; c < 256; ++c) {
      upper[c] = static_cast<unsigned char>(c);
      lower[c] = static_cast<unsigned char>(c);
    }
    for (int c = 'a'; c <= 'z'; ++c) pair(c - 0x20, c);
    for (int c = 0xE0; c <= 0xFE; ++c)
      if (c != 0xF7) pair(c - 0x20, c);
    pair(0x8A, 0x9A);
    pair(0x8C, 0x9C);
    pair(0x8E, 0x9E);
    pair(0x9F, 0xFF);
  }
  constexpr void pair(int up, int low) {
    upper[low] = static_cast<unsigned char>(up);
    lower[up] = static_cast<unsigned char>(low);
  }
};

constexpr CaseTables kCase;

}  // namespace

const unsigned char ztUpperTable[256] = {
#define ZT_ROW(i)                                                                                                     \
  kCase.upper[i], kCase.upper[i + 1], kCase.upper[i + 2], kCase.upper[i + 3], kCase.upper[i + 4], kCase.upper[i + 5], \
      kCase.upper[i + 6], kCase.upper[i + 7]
    ZT_ROW(0),   ZT_ROW(8),   ZT_ROW(16),  ZT_ROW(24),  ZT_ROW(32),  ZT_ROW(40),  ZT_ROW(48),  ZT_ROW(56),
    ZT_ROW(64),  ZT_ROW(72),  ZT_ROW(80),  ZT_ROW(88),  ZT_ROW(96),  ZT_ROW(104), ZT_ROW(112), ZT_ROW(120),
    ZT_ROW(128), ZT_ROW(136), ZT_ROW(144), ZT_ROW(152), ZT_ROW(160), ZT_ROW(168), ZT_ROW(176), ZT_ROW(184),
    ZT_ROW(192), ZT_ROW(200), ZT_ROW(208), ZT_ROW(216), ZT_ROW(224), ZT_ROW(232), ZT_ROW(240), ZT_ROW(248),
#undef ZT_ROW
};

const unsigned char ztLowerTable[256] = {
#define ZT_ROW(i)                                                                                                     \
  kCase.lower[i], kCase.lower[i + 1], kCase.lower[i + 2], kCase.lower[i + 3], kCase.lower[i + 4], kCase.lower[i + 5], \
      kCase.lower[i + 6], kCase.lower[i + 7]
    ZT_ROW(0),   ZT_ROW(8),   ZT_ROW(16),  ZT_ROW(24),  ZT_ROW(32),  ZT_ROW(40),  ZT_ROW(48),  ZT_ROW(56),
    ZT_ROW(64),  ZT_ROW(72),  ZT_ROW(80),  ZT_ROW(88),  ZT_ROW(96),  ZT_ROW(104), ZT_ROW(112), ZT_ROW(120),
    ZT_ROW(128), ZT_ROW(136), ZT_ROW(144), ZT_ROW(152), ZT_ROW(160), ZT_ROW(168), ZT_ROW(176), ZT_ROW(184),
    ZT_ROW(192), ZT_ROW(200), ZT_ROW(208), ZT_ROW(216), ZT_ROW(224), ZT_ROW(232), ZT_ROW(240), ZT_ROW(248),
#undef ZT_ROW
};

void ztStrUpper(char* text) {
  if (!text) return;
  for (; *text; ++text) *text = static_cast<char>(ztUpperTable[static_cast<unsigned char>(*text)]);
}

int ztStrICmp(const char* a, const char* b) { return ztStrNICmp(a, b, UINT32_MAX); }

int ztStrNICmp(const char* a, const char* b, unsigned count) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  for (unsigned i = 0; i < count; ++i) {
    int ca = ztUpperTable[static_cast<unsigned char>(a[i])];
    int cb = ztUpperTable[static_cast<unsigned char>(b[i])];
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
  return 0;
}

int ztStrICmpAscii(const char* a, const char* b) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  for (;; ++a, ++b) {
    int ca = static_cast<unsigned char>(*a);
    int cb = static_cast<unsigned char>(*b);
    if (ca >= 'a' && ca <= 'z') ca -= 0x20;
    if (cb >= 'a' && cb <= 'z') cb -= 0x20;
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

namespace {

// Appends into a bounded buffer, counting what fits.
struct Out {
  char* dest;
  unsigned size;
  unsigned len;
  void put(char c) {
    if (len + 1 < size) dest[len++] = c;
  }
  void puts(const char* s, unsigned n) {
    for (unsigned i = 0; i < n; ++i) put(s[i]);
  }
};

void putPadded(Out& out, const char* text, unsigned n, unsigned width, bool left, char pad) {
  if (!left)
    for (unsigned i = n; i < width; ++i) out.put(pad);
  out.puts(text, n);
  if (left)
    for (unsigned i = n; i < width; ++i) out.put(' ');
}

}  // namespace

unsigned ztFormatV(char* dest, unsigned size, const char* format, va_list args, const char* marker,
                   unsigned* failures) {
  if (!dest || size == 0) return 0;
  Out out{dest, size, 0};
  unsigned failed = 0;
  if (!format) format = "";
  for (const char* p = format; *p; ++p) {
    if (*p != '%') {
      out.put(*p);
      continue;
    }
    const char* start = p++;
    if (*p == '%') {
      out.put('%');
      continue;
    }
    bool left = false, zero = false;
    for (; *p == '-' || *p == '0' || *p == '+' || *p == ' ' || *p == '#'; ++p) {
      if (*p == '-') left = true;
      if (*p == '0') zero = true;
    }
    unsigned width = 0;
    for (; *p >= '0' && *p <= '9'; ++p) width = width < 1000 ? width * 10 + unsigned(*p - '0') : width;
    int precision = -1;
    if (*p == '.') {
      ++p;
      precision = 0;
      for (; *p >= '0' && *p <= '9'; ++p) precision = precision < 100000 ? precision * 10 + (*p - '0') : precision;
    }
    bool wide64 = false;
    if (p[0] == 'l' && p[1] == 'l') {
      wide64 = true;
      p += 2;
    } else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
      wide64 = true;
      p += 3;
    } else if (*p == 'l' || *p == 'h') {
      ++p;
    }
    char num[32];
    unsigned n = 0;
    char conv = *p;
    switch (conv) {
      case 'd':
      case 'i': {
        long long v = wide64 ? va_arg(args, long long) : va_arg(args, int);
        unsigned long long u = v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
        char tmp[24];
        unsigned t = 0;
        do {
          tmp[t++] = char('0' + u % 10);
          u /= 10;
        } while (u);
        if (v < 0 && !(zero && !left)) num[n++] = '-';
        if (v < 0 && zero && !left) {
          out.put('-');
          if (width) --width;
        }
        while (t) num[n++] = tmp[--t];
        putPadded(out, num, n, width, left, zero && !left ? '0' : ' ');
        break;
      }
      case 'u':
      case 'x':
      case 'X': {
        unsigned long long u = wide64 ? va_arg(args, unsigned long long) : va_arg(args, unsigned int);
        unsigned base = conv == 'u' ? 10 : 16;
        const char* digits = conv == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
        char tmp[24];
        unsigned t = 0;
        do {
          tmp[t++] = digits[u % base];
          u /= base;
        } while (u);
        while (t) num[n++] = tmp[--t];
        putPadded(out, num, n, width, left, zero && !left ? '0' : ' ');
        break;
      }
      case 'p': {
        uintptr_t u = reinterpret_cast<uintptr_t>(va_arg(args, void*));
        for (int shift = int(sizeof(u) * 8) - 4; shift >= 0; shift -= 4)
          num[n++] = "0123456789ABCDEF"[(u >> shift) & 15];
        putPadded(out, num, n, width, left, ' ');
        break;
      }
      case 'c': {
        num[0] = static_cast<char>(va_arg(args, int));
        putPadded(out, num, 1, width, left, ' ');
        break;
      }
      case 's': {
        const char* s = va_arg(args, const char*);
        if (!s) {
          ++failed;
          if (marker) out.puts(marker, unsigned(strlen(marker)));
          break;
        }
        unsigned len = 0;
        while (s[len] && (precision < 0 || len < unsigned(precision))) ++len;
        putPadded(out, s, len, width, left, ' ');
        break;
      }
      default:
        // Unknown or truncated conversion: the argument list cannot be followed
        // any further, so the rest of the format is dropped.
        ++failed;
        if (marker)
          out.puts(marker, unsigned(strlen(marker)));
        else
          out.puts(start, unsigned(p - start) + (*p ? 1 : 0));
        p = *p ? p + strlen(p) - 1 : p - 1;
        break;
    }
  }
  out.dest[out.len] = '\0';
  if (failures) *failures = failed;
  return out.len;
}

unsigned ztFormat(char* dest, unsigned size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  unsigned n = ztFormatV(dest, size, format, args);
  va_end(args);
  return n;
}

unsigned ztFileNameStart(const char* path) {
  if (!path) return 0;
  unsigned start = 0;
  for (unsigned i = 0; path[i]; ++i)
    if (path[i] == '\\' || path[i] == '/') start = i + 1;
  return start;
}

unsigned ztFileNameDot(const char* path) {
  if (!path) return ZT_NO_DOT;
  unsigned dot = ZT_NO_DOT;
  for (unsigned i = ztFileNameStart(path); path[i]; ++i)
    if (path[i] == '.') dot = i;
  return dot;
}
