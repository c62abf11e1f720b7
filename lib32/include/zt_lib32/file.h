// A text file loaded whole into memory and split into lines, and the safe way
// of writing one back.
//
// Lines end with CRLF, LF or a lone CR; a UTF-8 byte-order mark at the start is
// skipped. The text is held as one block; the line table holds, per line, the
// offset of its first byte and of the byte after its last one (line break
// excluded), so that nothing is allocated per line.
#pragma once

#include "zt_lib32/platform.h"

// Largest file or text that is loaded (bytes); beyond it Load/SetText fail.
constexpr unsigned ZT_FILE_MAX_SIZE = 0x40000000u;

struct SZTFileLine {
  unsigned start;  // offset of the first byte
  unsigned end;    // offset after the last byte, line break excluded
};

class ZT_LIB32_API CZTFile {
 public:
  char m_szFileName[MAX_PATH];  // name of the file read (used in messages)
  unsigned m_uLastError;        // system error code of the last failed load or write, 0 after success

  CZTFile();
  virtual ~CZTFile();
  CZTFile(const CZTFile&) = delete;
  CZTFile& operator=(const CZTFile&) = delete;

  // Loads a file whole and splits it into lines. int: 1 ok, 0 failure (m_uLastError
  // holds the system error; the previous text is released either way).
  int Load(const char* fileName);
  // Takes a copy of text held in memory and splits it into lines. int: 1 ok.
  int SetText(const char* text, unsigned length);
  // Releases the text and the line table.
  void FreeText();

  const char* GetTextData() const { return m_pText; }
  unsigned GetTextLength() const { return m_uTextLength; }
  unsigned GetLineCount() const { return m_uLineCount; }
  const SZTFileLine* GetLines() const { return m_pLines; }

  // Replaces the file with data atomically: the data goes into a new file beside
  // it, is flushed to the disk (flush non-zero), and the new file is renamed over
  // the old one. On any failure the old file is left as it was, the new one is
  // removed and the system error is returned (0: success). A read-only target is
  // refused in both builds.
  static unsigned ReplaceAtomically(const char* fileName, const char* data, unsigned length, int flush);

 protected:
  // Bytes that follow the text in its block: the terminating NUL and more that
  // may be read, so that scans may load a whole window a little past any line.
  static constexpr unsigned kTextTail = 64;

  // Called once the text is split into lines; a derived reader indexes them
  // here. int: 1 ok, 0 failure (the text is released then).
  virtual int OnTextLoaded() { return 1; }

 private:
  char* m_pText;           // the text, followed by kTextTail bytes of which the first is NUL
  unsigned m_uTextLength;  // bytes of text (a byte-order mark excluded)
  SZTFileLine* m_pLines;
  unsigned m_uLineCount;

  int SplitLines();
  // Platform part: reads the whole file into a new block (malloc) followed by kTextTail zeros.
  static unsigned ReadWholeFile(const char* fileName, char** text, unsigned* length);
};
