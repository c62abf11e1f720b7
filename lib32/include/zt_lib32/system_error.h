// The text of a system error code (errno natively, GetLastError on Windows), for
// messages that say why a file operation failed ("No space left on device").
#pragma once

#include "zt_lib32/platform.h"

// Writes the system's text for code into text (at most size - 1 characters,
// always terminated, no trailing line break or full stop); a code the system
// does not know gives "error N". Returns text.
ZT_LIB32_API const char* ztSystemErrorText(unsigned code, char* text, unsigned size);
