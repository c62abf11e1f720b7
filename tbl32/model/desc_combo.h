// Filling a combo box with the names of fields or tables, and reading its
// selection (Windows only).
#pragma once

#include "zt_tbl32/frame.h"

struct ZTComboTexts {
  const char* source;       // log source
  const char* empty;        // level 5: nothing to insert
  const char* notFound;     // "... (%d) not found ..."
  const char* noSelection;  // level 1
  const char* inquiry;      // "... item %d"
};

typedef const char* (*ZTNameAt)(const void* owner, unsigned index);

int ztFillNameCombo(HWND window, unsigned controlId, const void* owner, unsigned count, ZTNameAt nameAt,
                    const char* select, const ZTComboTexts& texts);
int ztGetNameComboSel(HWND window, unsigned controlId, char* buffer, const ZTComboTexts& texts);
