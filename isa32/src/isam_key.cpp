#include "isam_key.h"

#include <string.h>

#include "zt_lib32/strings.h"

namespace isam {
namespace {

// Little-endian bytes to big-endian, optionally flipping the sign bit.
void bigEndian(const uint8_t* src, uint32_t n, uint8_t* dst, bool flipSign) {
  for (uint32_t i = 0; i < n; ++i) dst[i] = src[n - 1 - i];
  if (flipSign) dst[0] ^= 0x80;
}

// IEEE and x87 floats: negative values are inverted entirely, positive ones get
// the sign bit set, so that byte order is numeric order.
void floatKey(const uint8_t* src, uint32_t n, uint8_t* dst) {
  for (uint32_t i = 0; i < n; ++i) dst[i] = src[n - 1 - i];
  if (dst[0] & 0x80) {
    for (uint32_t i = 0; i < n; ++i) dst[i] = uint8_t(~dst[i]);
  } else {
    dst[0] |= 0x80;
  }
}

bool insignificant(uint8_t c) { return c == ' ' || c == '0' || c == 0; }

// Digit text: the integral digits right-aligned in n bytes, the digits after a
// decimal point or comma left-aligned in n further bytes, both padded with '0'.
// Leading blanks, zeros and zero bytes and trailing blanks and zero bytes do not count.
void numericKey(const uint8_t* src, uint32_t n, uint8_t* dst) {
  uint32_t b = 0;
  while (b < n && insignificant(src[b])) ++b;
  uint32_t e = n;
  while (e > b && (src[e - 1] == ' ' || src[e - 1] == 0)) --e;
  uint32_t sep = b;
  while (sep < e && src[sep] != ',' && src[sep] != '.') ++sep;
  memset(dst, '0', 2 * size_t(n));
  uint32_t intLen = sep - b;
  memcpy(dst + (n - intLen), src + b, intLen);
  if (sep < e) memcpy(dst + n, src + sep + 1, e - sep - 1);
}

void convertPart(unsigned type, const uint8_t* src, uint32_t n, uint8_t* dst) {
  switch (type) {
    case ISAM_KEY_TEXT:
      memcpy(dst, src, n);
      break;
    case ISAM_KEY_ITEXT:
      // Folding to lower case keeps 0xFF the highest byte, so range ends filled
      // with 0xFF stay above every text.
      for (uint32_t i = 0; i < n; ++i) dst[i] = ztToLower(src[i]);
      break;
    case ISAM_KEY_UINT8:
    case ISAM_KEY_UINT16:
    case ISAM_KEY_UINT32:
    case ISAM_KEY_UINT64:
      bigEndian(src, n, dst, false);
      break;
    case ISAM_KEY_INT8:
    case ISAM_KEY_INT16:
    case ISAM_KEY_INT32:
    case ISAM_KEY_INT64:
      bigEndian(src, n, dst, true);
      break;
    case ISAM_KEY_FLOAT:
    case ISAM_KEY_DOUBLE:
    case ISAM_KEY_EXTENDED:
      floatKey(src, n, dst);
      break;
    case ISAM_KEY_NUMTEXT:
      numericKey(src, n, dst);
      break;
    case ISAM_KEY_UTEXT:
      for (uint32_t i = 0; i + 1 < n; i += 2) {
        dst[i] = src[i + 1];
        dst[i + 1] = src[i];
      }
      if (n & 1) dst[n - 1] = src[n - 1];
      break;
    default:
      memcpy(dst, src, n);
      break;
  }
}

bool textType(unsigned type) {
  return type == ISAM_KEY_TEXT || type == ISAM_KEY_ITEXT || type == ISAM_KEY_NUMTEXT || type == ISAM_KEY_UTEXT;
}

}  // namespace

uint32_t ConvertedLength(unsigned type, uint32_t rawLength) {
  return type == ISAM_KEY_NUMTEXT ? 2 * rawLength : rawLength;
}

bool KeyTypeLengthOk(unsigned type, uint32_t length) {
  if (length == 0) return false;
  switch (type) {
    case ISAM_KEY_TEXT:
    case ISAM_KEY_ITEXT:
    case ISAM_KEY_NUMTEXT:
    case ISAM_KEY_UTEXT:
      return true;
    case ISAM_KEY_UINT8:
    case ISAM_KEY_INT8:
      return length == 1;
    case ISAM_KEY_UINT16:
    case ISAM_KEY_INT16:
      return length == 2;
    case ISAM_KEY_UINT32:
    case ISAM_KEY_INT32:
    case ISAM_KEY_FLOAT:
      return length == 4;
    case ISAM_KEY_UINT64:
    case ISAM_KEY_INT64:
    case ISAM_KEY_DOUBLE:
      return length == 8;
    case ISAM_KEY_EXTENDED:
      return length == 10;
    default:
      return false;
  }
}

bool FinishKeyDef(KeyDef* def) {
  if (def->partCount < 1 || def->partCount > 4) return false;
  def->rawLength = 0;
  def->keyLength = 0;
  for (unsigned i = 0; i < def->partCount; ++i) {
    const KeyPart& p = def->parts[i];
    if (!KeyTypeLengthOk(p.type, p.length)) return false;
    def->rawLength += p.length;
    def->keyLength += ConvertedLength(p.type, p.length);
  }
  return true;
}

void KeyFromRecord(const KeyDef& def, const uint8_t* record, uint8_t* key) {
  uint8_t* out = key;
  for (unsigned i = 0; i < def.partCount; ++i) {
    const KeyPart& p = def.parts[i];
    convertPart(p.type, record + p.offset, p.length, out);
    out += ConvertedLength(p.type, p.length);
  }
  if (def.Option(ISAM_OPT_DESCENDING))
    for (uint32_t i = 0; i < def.keyLength; ++i) key[i] = uint8_t(~key[i]);
}

void KeyFromRaw(const KeyDef& def, const uint8_t* raw, uint8_t* key) {
  uint8_t* out = key;
  for (unsigned i = 0; i < def.partCount; ++i) {
    const KeyPart& p = def.parts[i];
    convertPart(p.type, raw, p.length, out);
    raw += p.length;
    out += ConvertedLength(p.type, p.length);
  }
  if (def.Option(ISAM_OPT_DESCENDING))
    for (uint32_t i = 0; i < def.keyLength; ++i) key[i] = uint8_t(~key[i]);
}

bool KeyIsBlank(const KeyDef& def, const uint8_t* record) {
  for (unsigned i = 0; i < def.partCount; ++i) {
    const KeyPart& p = def.parts[i];
    const uint8_t* s = record + p.offset;
    bool text = textType(p.type);
    for (uint32_t k = 0; k < p.length; ++k) {
      uint8_t c = s[k];
      if (c == 0) continue;
      if (text && c == ' ') continue;
      if (p.type == ISAM_KEY_NUMTEXT && c == '0') continue;
      return false;
    }
  }
  return true;
}

}  // namespace isam
