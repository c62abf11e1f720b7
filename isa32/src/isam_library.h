// The engine's library object: its own string table (box captions, key type
// names for ISAMLBKeyTypes) and the attach and detach of the module.
#pragma once

#include "zt_lib32/library.h"

extern CZTLibrary ztIsa32Lib;

// First id of the own strings (captions and fallbacks of the engine's boxes).
constexpr unsigned kIsa32FirstStringId = 100;
// Key type code c has list-box text kIsa32KeyTypeTextBase + c.
constexpr unsigned kIsa32KeyTypeTextBase = 3000;

// The module's own string table serves as its language resource: attach points
// the library object at its own module.
void ztIsa32Attach(HINSTANCE self);
void ztIsa32Detach();
