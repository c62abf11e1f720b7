// The replaceable box handler.
//
// Every box the libraries show (errors and messages by code, plain text boxes,
// questions, engine errors) goes through one handler. The default shows a real
// message box on Windows and prints to stderr natively; a batch program installs
// one that prints, tests one that records and answers.
#pragma once

#include "zt_lib32/platform.h"

// The code of a plain text box, which has none.
constexpr unsigned ZT_BOX_NO_CODE = 0xFFFFFFFFu;

struct ZTBoxRequest {
  unsigned code;        // error or message code; ZT_BOX_NO_CODE for a plain text box
  unsigned kind;        // 1 error, 0 message; 2 plain text box; 3 engine error
  unsigned style;       // message-box style (MB_...)
  const char* caption;  // formatted caption
  const char* text;     // formatted text with the arguments substituted
};

// Returns the button pressed (IDOK, IDYES, IDNO, ...).
typedef int (*ZTBoxHandler)(const ZTBoxRequest* box, void* context);

// Installs a handler (null: the default); the previous one is returned through the
// optional out arguments so that it can be restored.
ZT_LIB32_API void ztSetBoxHandler(ZTBoxHandler handler, void* context, ZTBoxHandler* oldHandler = nullptr,
                                  void** oldContext = nullptr);
ZT_LIB32_API int ztShowBox(const ZTBoxRequest* box);
// The default handler: a message box on Windows, "caption: text" on stderr natively
// (answering questions with No there).
ZT_LIB32_API int ztDefaultBoxHandler(const ZTBoxRequest* box, void* context);
// A handler that prints "caption: text" to stderr and answers questions with No.
ZT_LIB32_API int ztStderrBoxHandler(const ZTBoxRequest* box, void* context);
