#include "zt_lib32/file.h"

#include <stdlib.h>
#include <string.h>

#include "zt_lib32/strings.h"

CZTFile::CZTFile()
    : m_szFileName(), m_uLastError(0), m_pText(nullptr), m_uTextLength(0), m_pLines(nullptr), m_uLineCount(0) {}

CZTFile::~CZTFile() { FreeText(); }

void CZTFile::FreeText() {
  free(m_pText);
  free(m_pLines);
  m_pText = nullptr;
  m_pLines = nullptr;
  m_uTextLength = 0;
  m_uLineCount = 0;
}

namespace {

// Error codes of the platform for the two failures found here.
#ifdef _WIN32
constexpr unsigned kNoMemory = 8;      // ERROR_NOT_ENOUGH_MEMORY
constexpr unsigned kTooLarge = 223;    // ERROR_FILE_TOO_LARGE
constexpr unsigned kBadArgument = 87;  // ERROR_INVALID_PARAMETER
#else
constexpr unsigned kNoMemory = 12;     // ENOMEM
constexpr unsigned kTooLarge = 27;     // EFBIG
constexpr unsigned kBadArgument = 22;  // EINVAL
#endif

constexpr unsigned kNoLine = ~0u;

// Drops a UTF-8 byte-order mark from the front of the text.
void StripByteOrderMark(char* text, unsigned* length) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  if (*length >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
    memmove(text, text + 3, *length - 3);
    *length -= 3;
    text[*length] = '\0';
  }
}

}  // namespace

int CZTFile::Load(const char* fileName) {
  FreeText();
  m_szFileName[0] = '\0';
  if (!fileName || !*fileName) {
    m_uLastError = kBadArgument;
    return 0;
  }
  ztStrCopy(m_szFileName, fileName, sizeof(m_szFileName));
  char* text = nullptr;
  unsigned length = 0;
  m_uLastError = ReadWholeFile(fileName, &text, &length);
  if (m_uLastError) return 0;
  StripByteOrderMark(text, &length);
  m_pText = text;
  m_uTextLength = length;
  if (!SplitLines() || !OnTextLoaded()) {
    FreeText();
    m_uLastError = kNoMemory;
    return 0;
  }
  return 1;
}

int CZTFile::SetText(const char* text, unsigned length) {
  // The copy is taken before the old text goes, which may be the source.
  m_uLastError = 0;
  char* copy = nullptr;
  if (!text && length) {
    m_uLastError = kBadArgument;
  } else if (length > ZT_FILE_MAX_SIZE) {
    m_uLastError = kTooLarge;
  } else if (!(copy = static_cast<char*>(malloc(static_cast<size_t>(length) + kTextTail)))) {
    m_uLastError = kNoMemory;
  } else {
    if (length) memcpy(copy, text, length);
    memset(copy + length, 0, kTextTail);
  }
  unsigned lastError = m_uLastError;
  FreeText();
  m_uLastError = lastError;
  if (!copy) return 0;
  StripByteOrderMark(copy, &length);
  m_pText = copy;
  m_uTextLength = length;
  if (!SplitLines() || !OnTextLoaded()) {
    FreeText();
    m_uLastError = kNoMemory;
    return 0;
  }
  return 1;
}

int CZTFile::SplitLines() {
  // The table starts at a guess from the length and doubles when full.
  const char* text = m_pText;
  const unsigned n = m_uTextLength;
  unsigned capacity = n / 48 + 16;
  m_pLines = static_cast<SZTFileLine*>(malloc(sizeof(SZTFileLine) * capacity));
  if (!m_pLines) return 0;
  unsigned line = 0;
  // Adds the line from start to stop, a line break at stop, and returns where the next line starts.
  auto add = [&](unsigned start, unsigned stop) -> unsigned {
    if (line == capacity) {
      // (A 32-bit size would overflow for the line count of a text of nearly only line breaks.)
      const unsigned grown = capacity * 2;
      const unsigned long long bytes = 1ull * sizeof(SZTFileLine) * grown;
      if (bytes != static_cast<size_t>(bytes)) return kNoLine;
      SZTFileLine* bigger = static_cast<SZTFileLine*>(realloc(m_pLines, static_cast<size_t>(bytes)));
      if (!bigger) return kNoLine;
      m_pLines = bigger;
      capacity = grown;
    }
    m_pLines[line].start = start;
    m_pLines[line].end = stop;
    ++line;
    return stop + (text[stop] == '\r' && stop + 1 < n && text[stop + 1] == '\n' ? 2 : 1);
  };
  unsigned i = 0;
  for (;;) {
    const void* lf = memchr(text + i, '\n', n - i);
    unsigned stop = lf ? static_cast<unsigned>(static_cast<const char*>(lf) - text) : n;
    const void* cr = memchr(text + i, '\r', stop - i);
    if (cr) stop = static_cast<unsigned>(static_cast<const char*>(cr) - text);
    if (stop == n) break;
    i = add(i, stop);
    if (i == kNoLine) return 0;
  }
  if (i < n && add(i, n) == kNoLine) return 0;
  m_uLineCount = line;
  return 1;
}
