// The writer half of CZTConfFile: the edit buffer, header and body lines, and
// writing the edit to a file.
#include <stdlib.h>
#include <string.h>

#include "conf_items.h"
#include "zt_lib32/conf_file.h"
#include "zt_lib32/strings.h"

using namespace zt_conf;

namespace {

constexpr unsigned kMaxColumn = 1024;  // larger layout values are taken as this
constexpr unsigned kDefaultBuffer = 0x10000;

bool HasLineBreak(const char* text) { return text && strpbrk(text, "\r\n") != nullptr; }

// A keyword as it may be written: its name without the colon. 0 when it is not
// one that reads back as the same keyword.
unsigned KeywordName(const char* keyword, unsigned* length) {
  if (!keyword) return ZT_CONF_BAD_KEYWORD;
  unsigned n = static_cast<unsigned>(strlen(keyword));
  if (n && keyword[n - 1] == ':') --n;
  if (n == 0 || keyword[0] == '#' || (keyword[0] == '/' && keyword[1] == '/')) return ZT_CONF_BAD_KEYWORD;
  for (unsigned i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(keyword[i]);
    if (c <= ' ' || c == ':' || c == ';' || c == '"') return ZT_CONF_BAD_KEYWORD;
  }
  *length = n;
  return ZT_CONF_OK;
}

// Data must read back as written: no line break, every quote closed, no
// semicolon outside quotes (it would start a comment).
unsigned CheckData(const char* data, unsigned length) {
  for (unsigned i = 0; i < length; ++i)
    if (data[i] == '\r' || data[i] == '\n') return ZT_CONF_BAD_CHARACTER;
  unsigned pos = 0;
  for (;;) {
    while (pos < length && IsSeparator(data[pos])) ++pos;
    if (pos < length && data[pos] == ';') return ZT_CONF_BAD_DATA;
    Item item = {0, 0, kBare, false};
    unsigned r = NextItem(data, &pos, length, &item);
    if (r == ZT_CONF_NO_LINE) return ZT_CONF_OK;
    if (r != ZT_CONF_OK) return ZT_CONF_BAD_DATA;
  }
}

unsigned QuotedLength(const char* text) {
  unsigned n = 2;
  for (const char* p = text; *p; ++p) n += (*p == '"') ? 2 : 1;
  return n;
}

}  // namespace

unsigned CZTConfFile::QuoteText(char* dest, unsigned size, const char* text) {
  if (!dest || size == 0) return 0;
  dest[0] = '\0';
  if (!text) text = "";
  if (HasLineBreak(text)) return 0;
  unsigned n = QuotedLength(text);
  if (n >= size) return 0;
  unsigned k = 0;
  dest[k++] = '"';
  for (const char* p = text; *p; ++p) {
    if (*p == '"') dest[k++] = '"';
    dest[k++] = *p;
  }
  dest[k++] = '"';
  dest[k] = '\0';
  return k;
}

int CZTConfFile::StartEdit(unsigned bufferSize, unsigned keywordColumn, unsigned dataColumn, unsigned labelWidth,
                           unsigned commentColumn, unsigned lineWidth) {
  free(m_pEditText);
  m_pEditText = nullptr;
  m_uEditLength = 0;
  m_pImpl->editCapacity = 0;
  m_pImpl->editError = 0;
  m_pImpl->keywordColumn = keywordColumn < kMaxColumn ? keywordColumn : kMaxColumn;
  m_pImpl->dataColumn = dataColumn < kMaxColumn ? dataColumn : kMaxColumn;
  m_pImpl->labelWidth = labelWidth < kMaxColumn ? labelWidth : kMaxColumn;
  m_pImpl->commentColumn = commentColumn < kMaxColumn ? commentColumn : kMaxColumn;
  m_pImpl->lineWidth = lineWidth < kMaxColumn ? lineWidth : kMaxColumn;
  if (bufferSize == 0 || bufferSize > ZT_FILE_MAX_SIZE) bufferSize = kDefaultBuffer;
  m_pEditText = static_cast<char*>(malloc(bufferSize));
  if (!m_pEditText) {
    m_pImpl->editError = ZT_CONF_NO_MEMORY;
    return 0;
  }
  m_pImpl->editCapacity = bufferSize;
  m_pEditText[0] = '\0';
  return 1;
}

unsigned CZTConfFile::GetEditError() const { return m_pImpl->editError; }

int CZTConfFile::EditFail(unsigned error) {
  if (!m_pImpl->editError) m_pImpl->editError = error;
  return 0;
}

int CZTConfFile::EditReserve(unsigned more) {
  if (!m_pEditText) return EditFail(ZT_CONF_NO_EDIT);
  unsigned long long need = static_cast<unsigned long long>(m_uEditLength) + more + 1;
  if (need <= m_pImpl->editCapacity) return 1;
  if (need > ZT_FILE_MAX_SIZE) return EditFail(ZT_CONF_NO_MEMORY);
  unsigned long long grown = static_cast<unsigned long long>(m_pImpl->editCapacity) * 2;
  if (grown < need) grown = need;
  if (grown > ZT_FILE_MAX_SIZE) grown = ZT_FILE_MAX_SIZE;
  char* bigger = static_cast<char*>(realloc(m_pEditText, static_cast<size_t>(grown)));
  if (!bigger) return EditFail(ZT_CONF_NO_MEMORY);
  m_pEditText = bigger;
  m_pImpl->editCapacity = static_cast<unsigned>(grown);
  return 1;
}

void CZTConfFile::EditPut(const char* text, unsigned length) {
  memcpy(m_pEditText + m_uEditLength, text, length);
  m_uEditLength += length;
  m_pEditText[m_uEditLength] = '\0';
}

void CZTConfFile::EditPad(unsigned lineStart, unsigned column) {
  while (m_uEditLength - lineStart < column) m_pEditText[m_uEditLength++] = ' ';
  m_pEditText[m_uEditLength] = '\0';
}

// A comment text: line breaks become blanks, since a comment is not read back.
void CZTConfFile::EditCommentText(const char* text) {
  for (const char* p = text; *p; ++p) m_pEditText[m_uEditLength++] = (*p == '\r' || *p == '\n') ? ' ' : *p;
  m_pEditText[m_uEditLength] = '\0';
}

int CZTConfFile::EditHdDelLine() {
  unsigned width = m_pImpl->lineWidth > 1 ? m_pImpl->lineWidth : 1;
  if (!EditReserve(width + 2)) return 0;
  unsigned start = m_uEditLength;
  EditPut(";", 1);
  while (m_uEditLength - start < width) m_pEditText[m_uEditLength++] = '=';
  EditPut("\r\n", 2);
  return 1;
}

int CZTConfFile::EditHdEmptyLine() {
  if (!EditReserve(3)) return 0;
  EditPut(";\r\n", 3);
  return 1;
}

int CZTConfFile::EditHdParamLine(unsigned number, const char* text) {
  if (!text || !*text) return EditHdEmptyLine();
  static const char kTableLabel[] = "Table:";
  unsigned length = static_cast<unsigned>(strlen(text));
  unsigned column = m_pImpl->keywordColumn;
  if (number == 0 && length < m_pImpl->lineWidth) {
    unsigned centred = (m_pImpl->lineWidth - length) / 2;
    if (centred > column) column = centred;
  }
  if (!EditReserve(column + m_pImpl->labelWidth + length + 8)) return 0;
  unsigned start = m_uEditLength;
  EditPut(";", 1);
  EditPad(start, column);
  if (number == 2) {
    EditPut(kTableLabel, sizeof(kTableLabel) - 1);
    EditPad(start, column + m_pImpl->labelWidth);
    if (m_pEditText[m_uEditLength - 1] != ' ') EditPut(" ", 1);
  }
  EditCommentText(text);
  EditPut("\r\n", 2);
  return 1;
}

int CZTConfFile::EditComment(const char* text) {
  if (!text) {
    if (!EditReserve(2)) return 0;
    EditPut("\r\n", 2);
    return 1;
  }
  unsigned length = static_cast<unsigned>(strlen(text));
  if (!EditReserve(m_pImpl->keywordColumn + length + 4)) return 0;
  unsigned start = m_uEditLength;
  EditPut(";", 1);
  if (length) {
    EditPad(start, m_pImpl->keywordColumn > 1 ? m_pImpl->keywordColumn : 2);
    EditCommentText(text);
  }
  EditPut("\r\n", 2);
  return 1;
}

// One keyword line; data has been checked, quoted is non-zero when data must be
// written as a quoted text.
int CZTConfFile::EditKeywordLine(const char* keyword, const char* data, unsigned dataLength, int quoted,
                                 const char* comment) {
  unsigned nameLength = 0;
  unsigned r = KeywordName(keyword, &nameLength);
  if (r) return EditFail(r);
  unsigned written = quoted ? QuotedLength(data) : dataLength;
  unsigned commentLength = comment ? static_cast<unsigned>(strlen(comment)) : 0;
  unsigned long long need = static_cast<unsigned long long>(m_pImpl->keywordColumn) + nameLength + m_pImpl->dataColumn +
                            written + m_pImpl->commentColumn + commentLength + 8;
  if (need > ZT_FILE_MAX_SIZE) return EditFail(ZT_CONF_NO_MEMORY);
  if (!EditReserve(static_cast<unsigned>(need))) return 0;
  unsigned start = m_uEditLength;
  EditPad(start, m_pImpl->keywordColumn);
  EditPut(keyword, nameLength);
  EditPut(":", 1);
  if (written) {
    EditPut(" ", 1);
    EditPad(start, m_pImpl->dataColumn);
    if (quoted) {
      m_pEditText[m_uEditLength++] = '"';
      for (const char* p = data; *p; ++p) {
        if (*p == '"') m_pEditText[m_uEditLength++] = '"';
        m_pEditText[m_uEditLength++] = *p;
      }
      m_pEditText[m_uEditLength++] = '"';
      m_pEditText[m_uEditLength] = '\0';
    } else {
      EditPut(data, dataLength);
    }
  }
  if (comment) {
    EditPut(" ", 1);
    EditPad(start, m_pImpl->commentColumn);
    EditPut("; ", 2);
    EditCommentText(comment);
  }
  EditPut("\r\n", 2);
  return 1;
}

int CZTConfFile::EditDataLine(const char* keyword, const char* data, const char* comment) {
  if (!m_pEditText) return EditFail(ZT_CONF_NO_EDIT);
  if (!data) data = "";
  unsigned length = static_cast<unsigned>(strlen(data));
  unsigned r = CheckData(data, length);
  if (r) return EditFail(r);
  return EditKeywordLine(keyword, data, length, 0, comment);
}

int CZTConfFile::EditTextLine(const char* keyword, const char* text, const char* comment) {
  if (!m_pEditText) return EditFail(ZT_CONF_NO_EDIT);
  if (!text) text = "";
  if (HasLineBreak(text)) return EditFail(ZT_CONF_BAD_CHARACTER);
  return EditKeywordLine(keyword, text, static_cast<unsigned>(strlen(text)), 1, comment);
}

int CZTConfFile::EditIntLine(const char* keyword, unsigned value, const char* comment) {
  if (!m_pEditText) return EditFail(ZT_CONF_NO_EDIT);
  char number[16];
  unsigned length = ztFormat(number, sizeof(number), "%u", value);
  return EditKeywordLine(keyword, number, length, 0, comment);
}

int CZTConfFile::WriteEdit(const char* fileName, int flush) {
  if (!m_pEditText) {
    m_uLastError = ZT_CONF_NO_EDIT;
    return 0;
  }
  if (m_pImpl->editError) {
    m_uLastError = m_pImpl->editError;
    return 0;
  }
  m_uLastError = ReplaceAtomically(fileName, m_pEditText, m_uEditLength, flush);
  return m_uLastError == 0;
}
