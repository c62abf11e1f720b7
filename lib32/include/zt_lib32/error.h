// The error reporter: boxes by code (text from the language resource library)
// and plain text boxes, all through the replaceable box handler.
#pragma once

#include <stdarg.h>

#include "zt_lib32/platform.h"

class CZTResource;

// Kinds of boxes by code.
enum : unsigned { ZT_BOX_MESSAGE = 0, ZT_BOX_ERROR = 1, ZT_BOX_TEXT = 2, ZT_BOX_ENGINE = 3 };

class ZT_LIB32_API CZTError {
 public:
  char m_szCaption[128];     // caption of the plain text boxes
  CZTResource* m_pResource;  // where captions and code texts come from

  CZTError();
  virtual ~CZTError();
  CZTError(const CZTError&) = delete;
  CZTError& operator=(const CZTError&) = delete;

  // Box by code: kind 1 error (caption: own string 0 with the code), kind 0
  // message (own string 1). The text of the code comes from the language library
  // with its placeholders filled from the arguments; a code without text shows
  // own string 2, an argument that cannot be substituted own string 4.
  int DispBox(unsigned code, unsigned kind, unsigned style, va_list args);
  // Plain text box with the given caption (null: the reporter's caption).
  int DispBox(const char* text, const char* caption, unsigned style, va_list args);

  int DispError(unsigned code, ...) {
    va_list args;
    va_start(args, code);
    int r = DispBox(code, ZT_BOX_ERROR, 0x30, args);
    va_end(args);
    return r;
  }
  // 6 when the user chose Yes.
  int DispQuestion(unsigned code, ...) {
    va_list args;
    va_start(args, code);
    int r = DispBox(code, ZT_BOX_MESSAGE, 0x44, args);
    va_end(args);
    return r;
  }
  int DispWarnText(const char* text, ...) {
    va_list args;
    va_start(args, text);
    int r = DispBox(text, nullptr, 0x30, args);
    va_end(args);
    return r;
  }
  int DispInfoText(const char* text, ...) {
    va_list args;
    va_start(args, text);
    int r = DispBox(text, nullptr, 0x40, args);
    va_end(args);
    return r;
  }
};
