// One grid cell (SGridElt): its numbers, its own text buffer, its text form for
// showing and editing, and the value kept while an in-place edit is open.
#pragma once

#include "zt_tbl32/igrid_view.h"

// The text buffer of a text cell (types 8 and 9), null for other types. On
// 32-bit builds the pointer is the value word; wider pointers take value and
// value high together.
ZT_TBL32_API char* ztGridCellText(const SGridElt& cell);
// Stores a number of element type type (1, 2, 3, 10, 11); a text buffer is freed first.
ZT_TBL32_API void ztGridCellSetNumber(SGridElt& cell, BYTE type, uint32_t low, uint32_t high);
// Stores a copy of an ANSI text (type 8) or wide text (type 9), reusing the
// buffer when it fits. A null text stores an empty one. False without memory or
// for a text of more than 65535 bytes (logged); the cell is then unchanged.
ZT_TBL32_API bool ztGridCellSetText(SGridElt& cell, const char* text);
ZT_TBL32_API bool ztGridCellSetTextW(SGridElt& cell, const wchar_t* text);
// Frees the text buffer and a saved text; the cell becomes empty.
ZT_TBL32_API void ztGridCellFree(SGridElt& cell);

// The cell's display text (column flags: 0x08 thousands points on whole numbers)
// into buffer; wide texts are converted to ANSI ('?' for what has no byte).
// Returns the length.
ZT_TBL32_API unsigned ztGridCellFormat(const SGridElt* cell, BYTE columnFlags, char* buffer, unsigned size);
// An unsigned number read from the cell: texts parsed, numbers as stored.
ZT_TBL32_API uint32_t ztGridCellUInt(const SGridElt* cell);
ZT_TBL32_API uint64_t ztGridCellUInt64(const SGridElt* cell);

// Stores text typed into the edit field by the cell's element type (1, 2, 3,
// 8, 10, 11); other types stay unchanged.
ZT_TBL32_API void ztGridCellParse(SGridElt& cell, const char* text, unsigned length);
// Keeps the value (a copy of a text) while an edit is open. False without memory.
ZT_TBL32_API bool ztGridCellSave(SGridElt& cell);
// Puts the kept value back (restore) or drops it.
ZT_TBL32_API void ztGridCellEndEdit(SGridElt& cell, bool restore);
