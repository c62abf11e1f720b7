#include "grid_cell.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "grid_codes.h"
#include "zt_tbl32/number_text.h"

namespace {

static_assert(offsetof(SGridElt, valueHigh) == offsetof(SGridElt, value) + 4, "value and value high are one pair");
static_assert(offsetof(SGridElt, savedValueHigh) == offsetof(SGridElt, savedValue) + 4, "saved pair");
static_assert(sizeof(void*) <= 8, "a pointer fits a value pair");

constexpr unsigned kMaxTextBytes = 0xFFFF;  // the capacity is 16 bits

bool IsText(BYTE type) { return type == GET_TEXT || type == GET_TEXTW; }

void* GetPointer(const uint32_t* pair) {
  void* p = nullptr;
  memcpy(&p, pair, sizeof(p));
  return p;
}

void SetPointer(uint32_t* pair, void* p) {
  pair[1] = 0;
  memcpy(pair, &p, sizeof(p));
}

void* SavedText(const SGridElt& cell) { return IsText(cell.savedType) ? GetPointer(&cell.savedValue) : nullptr; }

void FreeText(SGridElt& cell) {
  if (IsText(cell.type)) free(GetPointer(&cell.value));
  cell.capacity = 0;
  cell.value = cell.valueHigh = 0;
}

// A buffer of at least bytes for a text of type type; false (logged) without memory.
bool TextBuffer(SGridElt& cell, size_t bytes, BYTE type) {
  if (bytes > kMaxTextBytes) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "An element text of %u bytes is longer than %u bytes",
                      unsigned(bytes), kMaxTextBytes);
    return false;
  }
  if (IsText(cell.type) && cell.capacity >= bytes) {
    cell.type = type;
    return true;
  }
  void* buffer = malloc(bytes);
  if (!buffer) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Not enough free memory to store an element text of %d bytes",
                      int(bytes));
    return false;
  }
  FreeText(cell);
  cell.type = type;
  cell.capacity = WORD(bytes);
  SetPointer(&cell.value, buffer);
  return true;
}

}  // namespace

char* ztGridCellText(const SGridElt& cell) {
  return IsText(cell.type) ? static_cast<char*>(GetPointer(&cell.value)) : nullptr;
}

void ztGridCellSetNumber(SGridElt& cell, BYTE type, uint32_t low, uint32_t high) {
  FreeText(cell);
  cell.type = type;
  cell.value = low;
  cell.valueHigh = high;
}

bool ztGridCellSetText(SGridElt& cell, const char* text) {
  if (!text) text = "";
  const size_t length = strlen(text);
  if (!TextBuffer(cell, length + 1, GET_TEXT)) return false;
  memcpy(ztGridCellText(cell), text, length + 1);
  return true;
}

bool ztGridCellSetTextW(SGridElt& cell, const wchar_t* text) {
  if (!text) text = L"";
  const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  if (!TextBuffer(cell, bytes, GET_TEXTW)) return false;
  memcpy(ztGridCellText(cell), text, bytes);
  return true;
}

void ztGridCellFree(SGridElt& cell) {
  free(SavedText(cell));
  FreeText(cell);
  memset(&cell, 0, sizeof(cell));
}

unsigned ztGridCellFormat(const SGridElt* cell, BYTE columnFlags, char* buffer, unsigned size) {
  if (!size) return 0;
  buffer[0] = 0;
  if (!cell) return 0;
  unsigned n = 0;
  switch (cell->type) {
    case GET_UINT:
      n = FormatUInt32(buffer, cell->value, size);
      break;
    case GET_INT:
      n = FormatInt32(buffer, int32_t(cell->value), size);
      break;
    case GET_AMOUNT:
      n = FormatAmount(buffer, size, int32_t(cell->value) * 0.01);
      break;
    case GET_TEXT:
      return ztStrCopyN(buffer, ztGridCellText(*cell), cell->capacity, size);
    case GET_TEXTW: {
      const wchar_t* text = reinterpret_cast<const wchar_t*>(ztGridCellText(*cell));
      const unsigned chars = cell->capacity / sizeof(wchar_t);
      for (unsigned i = 0; i < chars && text[i] && n + 1 < size; ++i)
        buffer[n++] = text[i] < 0x100 ? char(text[i]) : '?';
      buffer[n] = 0;
      return n;
    }
    case GET_UINT64:
      n = FormatUInt64(buffer, (uint64_t(cell->valueHigh) << 32) | cell->value, size);
      break;
    case GET_INT64:
      n = FormatInt64(buffer, int64_t((uint64_t(cell->valueHigh) << 32) | cell->value), size);
      break;
    default:
      return 0;
  }
  if (n && (columnFlags & GCF_THOUSANDS) && cell->type != GET_AMOUNT) n = InsertThousandsPoints(buffer, n, size);
  return n;
}

namespace {
// The digits of a text cell as ANSI (wide texts narrowed), bounded by its buffer.
unsigned NumberText(const SGridElt& cell, char* digits, unsigned size) {
  if (cell.type == GET_TEXT) {
    const char* text = ztGridCellText(cell);
    return unsigned(strnlen(text, cell.capacity));
  }
  return ztGridCellFormat(&cell, 0, digits, size);
}
}  // namespace

uint32_t ztGridCellUInt(const SGridElt* cell) {
  if (!cell) return 0;
  if (cell->type == GET_TEXT) return ParseUInt32Text(ztGridCellText(*cell), NumberText(*cell, nullptr, 0));
  if (cell->type == GET_TEXTW) {
    char digits[64];
    const unsigned n = NumberText(*cell, digits, sizeof(digits));
    return n ? ParseUInt32Text(digits, n) : 0;
  }
  return cell->value;
}

uint64_t ztGridCellUInt64(const SGridElt* cell) {
  if (!cell) return 0;
  if (cell->type == GET_TEXT) return ParseUInt64Text(ztGridCellText(*cell), NumberText(*cell, nullptr, 0));
  if (cell->type == GET_TEXTW) {
    char digits[64];
    const unsigned n = NumberText(*cell, digits, sizeof(digits));
    return n ? ParseUInt64Text(digits, n) : 0;
  }
  return (uint64_t(cell->valueHigh) << 32) | cell->value;
}

void ztGridCellParse(SGridElt& cell, const char* text, unsigned length) {
  switch (cell.type) {
    case GET_UINT:
      cell.value = ParseUInt32Text(text, length);
      break;
    case GET_INT:
      cell.value = uint32_t(ParseInt32Text(text, length));
      break;
    case GET_AMOUNT: {
      // Hundredths rounded half away from zero, so that "-12,34" stays -1234.
      const double hundredths = ParseAmountText(text, length) * 100.0;
      const double rounded = hundredths < 0 ? hundredths - 0.5 : hundredths + 0.5;
      cell.value = rounded >= 2147483647.0    ? 0x7FFFFFFFu
                   : rounded <= -2147483648.0 ? 0x80000000u
                                              : uint32_t(int32_t(rounded));
      break;
    }
    case GET_TEXT: {
      char copy[257];
      ztStrCopyN(copy, text, length, sizeof(copy));
      ztGridCellSetText(cell, copy);
      break;
    }
    case GET_UINT64: {
      const uint64_t v = ParseUInt64Text(text, length);
      cell.value = uint32_t(v);
      cell.valueHigh = uint32_t(v >> 32);
      break;
    }
    case GET_INT64: {
      const uint64_t v = uint64_t(ParseInt64Text(text, length));
      cell.value = uint32_t(v);
      cell.valueHigh = uint32_t(v >> 32);
      break;
    }
    default:
      break;
  }
}

bool ztGridCellSave(SGridElt& cell) {
  free(SavedText(cell));
  cell.savedType = cell.type;
  cell.savedLength = 0;
  if (IsText(cell.type)) {
    void* copy = malloc(cell.capacity ? cell.capacity : 1);
    if (!copy) {
      cell.savedType = 0;
      return false;
    }
    memcpy(copy, ztGridCellText(cell), cell.capacity);
    cell.savedLength = cell.capacity;
    SetPointer(&cell.savedValue, copy);
  } else {
    cell.savedValue = cell.value;
    cell.savedValueHigh = cell.valueHigh;
  }
  return true;
}

void ztGridCellEndEdit(SGridElt& cell, bool restore) {
  void* saved = SavedText(cell);
  if (restore) {
    if (saved) {
      if (cell.type == cell.savedType && cell.capacity >= cell.savedLength) {
        memcpy(ztGridCellText(cell), saved, cell.savedLength);
      } else if (TextBuffer(cell, cell.savedLength, cell.savedType)) {
        memcpy(ztGridCellText(cell), saved, cell.savedLength);
      }
    } else if (cell.savedType || cell.type) {
      ztGridCellSetNumber(cell, cell.savedType, cell.savedValue, cell.savedValueHigh);
    }
  }
  free(saved);
  cell.savedType = 0;
  cell.savedLength = 0;
  cell.savedValue = cell.savedValueHigh = 0;
}
