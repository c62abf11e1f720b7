// Image file names of a record from the gallery's image name patterns.
#include <stdint.h>
#include <string.h>

#include "zt_lib32/module.h"
#include "zt_tbl32/number_text.h"
#include "zt_tbl32/table_desc.h"
#include "zt_tbl32/table_isam.h"

namespace {

const char kSource[] = "CZTTableISAM";
constexpr unsigned kNameRoom = MAX_PATH;  // the name and its terminator
constexpr unsigned kCellSize = 512;       // a cell as the grid asks for it
constexpr unsigned kNumberFieldSize = 32;

// The name being built: at most kNameRoom - 1 characters; a piece that does not
// fit spoils it.
struct NameBuilder {
  char text[kNameRoom];
  unsigned length = 0;
  bool overflow = false;

  NameBuilder() { text[0] = '\0'; }
  void Put(const char* piece, unsigned n) {
    if (overflow || n >= kNameRoom - length) {
      overflow = true;
      return;
    }
    memcpy(text + length, piece, n);
    length += n;
    text[length] = '\0';
  }
};

bool StartsWith(const char* text, unsigned length, unsigned at, const char* token) {
  const unsigned n = static_cast<unsigned>(strlen(token));
  return at + n <= length && memcmp(text + at, token, n) == 0;
}

// The "#" that closes a token whose text starts at `from`; kZTNotFound when there is none.
unsigned Closing(const char* text, unsigned length, unsigned from) {
  for (unsigned i = from; i < length; ++i)
    if (text[i] == '#') return i;
  return kZTNotFound;
}

// A format from the description made harmless for one unsigned argument: its
// first integer conversion gets the number, every other "%" is shown as it
// stands, so that no text of a file makes the formatter read an argument that
// is not there. Length modifiers are dropped (the number has 32 bits).
void SafeNumberFormat(const char* format, unsigned length, char* safe, unsigned size) {
  unsigned n = 0;
  bool used = false;
  auto put = [&](char c) {
    if (n + 1 < size) safe[n++] = c;
  };
  for (unsigned i = 0; i < length;) {
    if (format[i] != '%') {
      put(format[i++]);
      continue;
    }
    if (i + 1 < length && format[i + 1] == '%') {
      put('%');
      put('%');
      i += 2;
      continue;
    }
    unsigned j = i + 1;
    while (j < length && strchr("-0+ #", format[j])) ++j;
    while (j < length && format[j] >= '0' && format[j] <= '9') ++j;
    if (j < length && format[j] == '.') {
      ++j;
      while (j < length && format[j] >= '0' && format[j] <= '9') ++j;
    }
    const unsigned modifiers = j;
    while (j < length && (format[j] == 'l' || format[j] == 'h')) ++j;
    if (j + 2 < length && format[j] == 'I' && format[j + 1] == '6' && format[j + 2] == '4') j += 3;
    if (!used && j < length && strchr("diuxX", format[j])) {
      for (unsigned k = i; k < modifiers; ++k) put(format[k]);
      put(format[j]);
      used = true;
      i = j + 1;
      continue;
    }
    put('%');
    put('%');
    ++i;
  }
  safe[n] = '\0';
}

}  // namespace

int CZTTableISAM::GetImageName(CICLName* name, const char* baseDir, unsigned line, unsigned image) {
  const CZTGallDesc* gallery = m_pTableDesc ? &m_pTableDesc->m_Gallery : nullptr;
  if (!gallery || !gallery->m_pImgNames || image >= gallery->m_uImgCount) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "GetImageName: No access to image %d possible.", int(image));
    return FALSE;
  }
  if (!name) return FALSE;
  const CZTImgNameDesc& pattern = gallery->m_pImgNames[image];
  const char* text = pattern.m_szText;
  unsigned length = static_cast<unsigned>(strnlen(text, sizeof(pattern.m_szText)));
  if (pattern.m_uLength < length) length = pattern.m_uLength;

  NameBuilder out;
  uint64_t number = 0;
  unsigned i = 0;
  if (length > 2 && text[0] == '.' && text[1] == '\\') {
    if (baseDir) out.Put(baseDir, static_cast<unsigned>(strnlen(baseDir, kNameRoom)));
    i = 2;
  }
  while (i < length && !out.overflow) {
    if (text[i] != '#') {
      unsigned run = i;
      while (run < length && text[run] != '#') ++run;
      out.Put(text + i, run - i);
      i = run;
      continue;
    }
    const bool program = StartsWith(text, length, i, "#PPN");
    const bool lineNumber = StartsWith(text, length, i, "#SN0") || StartsWith(text, length, i, "#SN1");
    const bool field = StartsWith(text, length, i, "#F") || StartsWith(text, length, i, "#T");
    const unsigned start = i + (program || lineNumber ? 4 : 2);
    const unsigned close = program || lineNumber || field ? Closing(text, length, start) : kZTNotFound;
    if (close == kZTNotFound) {
      // Not a token (or one that is never closed): the "#" stands for itself.
      out.Put("#", 1);
      ++i;
      continue;
    }
    if (program) {
      char path[kNameRoom];
      if (!ztModulePath(nullptr, path, sizeof(path))) path[0] = '\0';
      out.Put(path, static_cast<unsigned>(strlen(path)));
    } else if (lineNumber) {
      char format[2 * sizeof(pattern.m_szText) + 1];
      SafeNumberFormat(text + start, close - start, format, sizeof(format));
      char formatted[kCellSize];
      const unsigned n = ztFormat(formatted, sizeof(formatted), format, text[i + 3] == '1' ? line + 1 : line);
      if (n + 1 >= sizeof(formatted)) return FALSE;  // longer than any name
      out.Put(formatted, n);
    } else {
      unsigned end = close;
      if (end > start && text[end - 1] == '\\') --end;
      char fieldName[2 * kZTNameSize];
      ztStrCopyN(fieldName, text + start, end - start, sizeof(fieldName));
      unsigned column = kZTNotFound;
      if (end - start < kZTNameSize && m_pTableDesc->m_Fields.m_pFields) {
        for (unsigned f = 0; f < m_pTableDesc->m_Fields.m_uCount; ++f) {
          if (!ztStrICmpAscii(m_pTableDesc->m_Fields.m_pFields[f].m_szName, fieldName)) {
            column = f;
            break;
          }
        }
      }
      if (column == kZTNotFound) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Field <%s> not found in table record description.", fieldName);
        return FALSE;
      }
      const UINT_PTR self = reinterpret_cast<UINT_PTR>(this);
      unsigned n = 0;
      if (text[i + 1] == 'T') {
        char value[kNumberFieldSize];
        if (!CellCallback(line, column, value, sizeof(value), &n, self)) return FALSE;
        number = ParseUInt64Text(value, n);
      } else {
        char value[kCellSize];
        if (!CellCallback(line, column, value, sizeof(value), &n, self)) return FALSE;
        while (n && value[n - 1] == ' ') --n;
        out.Put(value, n);
      }
    }
    i = close + 1;
  }
  if (out.overflow) return FALSE;
  if (!name->SetFileName(out.text, out.length)) return FALSE;
  name->m_dwNumberLow = static_cast<DWORD>(number);
  name->m_dwNumberHigh = static_cast<DWORD>(number >> 32);
  return TRUE;
}
