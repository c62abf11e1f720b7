#include <windows.h>

#include "commands.h"

// The console shows bytes in its output code page: UTF-8 only when it is set to it.
bool ztdescPrintsUtf8() { return GetConsoleOutputCP() == CP_UTF8; }
