// CRC-32C (Castagnoli), slice-by-8, for block and log frame checksums.
#include "isam_format.h"

namespace isam {
namespace {

struct CrcTables {
  uint32_t t[8][256];
  CrcTables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0x82F63B78u : c >> 1;
      t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
      for (int s = 1; s < 8; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
  }
};

const CrcTables& tables() {
  static const CrcTables tabs;
  return tabs;
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ZT_ISAM_HW_CRC 1
// The SSE 4.2 instruction computes the same CRC-32C several times faster.
__attribute__((target("sse4.2"))) uint32_t crc32cHardware(uint32_t crc, const uint8_t* p, size_t length) {
  crc = ~crc;
#if defined(__x86_64__)
  uint64_t c = crc;
  while (length >= 8) {
    uint64_t v;
    memcpy(&v, p, 8);
    c = __builtin_ia32_crc32di(c, v);
    p += 8;
    length -= 8;
  }
  crc = uint32_t(c);
#endif
  while (length >= 4) {
    uint32_t v;
    memcpy(&v, p, 4);
    crc = __builtin_ia32_crc32si(crc, v);
    p += 4;
    length -= 4;
  }
  while (length--) crc = __builtin_ia32_crc32qi(crc, *p++);
  return ~crc;
}

bool hardwareCrc() {
  static const bool has = __builtin_cpu_supports("sse4.2");
  return has;
}
#endif

uint32_t crc32cSoftware(uint32_t crc, const void* data, size_t length) {
  const CrcTables& T = tables();
  const uint8_t* p = static_cast<const uint8_t*>(data);
  crc = ~crc;
  while (length >= 8) {
    uint32_t lo, hi;
    memcpy(&lo, p, 4);
    memcpy(&hi, p + 4, 4);
    lo ^= crc;
    crc = T.t[7][lo & 0xFF] ^ T.t[6][(lo >> 8) & 0xFF] ^ T.t[5][(lo >> 16) & 0xFF] ^ T.t[4][lo >> 24] ^
          T.t[3][hi & 0xFF] ^ T.t[2][(hi >> 8) & 0xFF] ^ T.t[1][(hi >> 16) & 0xFF] ^ T.t[0][hi >> 24];
    p += 8;
    length -= 8;
  }
  while (length--) crc = (crc >> 8) ^ T.t[0][(crc ^ *p++) & 0xFF];
  return ~crc;
}

}  // namespace

uint32_t crc32c(uint32_t crc, const void* data, size_t length) {
#ifdef ZT_ISAM_HW_CRC
  if (hardwareCrc()) return crc32cHardware(crc, static_cast<const uint8_t*>(data), length);
#endif
  return crc32cSoftware(crc, data, length);
}

}  // namespace isam
