// Index keys: the definition of one key and the conversion of its parts into
// byte strings whose plain byte order is the order of the key type, so that the
// trees compare keys with memcmp alone.
#pragma once

#include <stdint.h>

#include "zt_isa32.h"

namespace isam {

struct KeyPart {
  uint16_t type;
  uint16_t offset;
  uint16_t length;
};

struct KeyDef {
  uint8_t options[5];
  uint8_t partCount;
  KeyPart parts[4];
  uint32_t rawLength;  // bytes of a complete key as callers pass it
  uint32_t keyLength;  // bytes of the converted key kept in the tree

  bool Option(unsigned option) const { return options[option] != 0; }
};

// Bytes the converted form of a part of a type and raw length takes.
uint32_t ConvertedLength(unsigned type, uint32_t rawLength);
// Whether a key type accepts a part of that length.
bool KeyTypeLengthOk(unsigned type, uint32_t length);
// Fills keyLength and rawLength; false when a part is invalid.
bool FinishKeyDef(KeyDef* def);

// The converted key of a record (the record holds at least every part).
void KeyFromRecord(const KeyDef& def, const uint8_t* record, uint8_t* key);
// The converted key of a complete raw key (the parts one after the other).
void KeyFromRaw(const KeyDef& def, const uint8_t* raw, uint8_t* key);
// True when every part of the record's key is blank (blanks and zero bytes) or zero.
bool KeyIsBlank(const KeyDef& def, const uint8_t* record);

}  // namespace isam
