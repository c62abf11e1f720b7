#include "commands.h"

bool ztdescPrintsUtf8() { return true; }
