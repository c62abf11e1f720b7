// CRC-32C (Castagnoli) for block and log frame checksums: the SSE 4.2 instruction
// in three lanes where the processor has it, else slice-by-8.
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

// The hardware checksum runs three lanes of kLane bytes side by side (one lane
// alone waits for each instruction's result) and joins them: processing n zero
// bytes is a linear map of the checksum register, kept as four byte tables.
constexpr size_t kLane = 256;

struct LaneShift {
  uint32_t t[4][256];
  LaneShift() {
    uint32_t basis[32];
    for (int i = 0; i < 32; ++i) {
      uint32_t c = 1u << i;
      for (size_t k = 0; k < 8 * kLane; ++k) c = (c & 1) ? (c >> 1) ^ 0x82F63B78u : c >> 1;
      basis[i] = c;
    }
    for (int j = 0; j < 4; ++j)
      for (uint32_t v = 0; v < 256; ++v) {
        uint32_t r = 0;
        for (int b = 0; b < 8; ++b)
          if (v & (1u << b)) r ^= basis[8 * j + b];
        t[j][v] = r;
      }
  }
  // The register after kLane more bytes of zeros.
  uint32_t operator()(uint32_t c) const {
    return t[0][c & 0xFF] ^ t[1][(c >> 8) & 0xFF] ^ t[2][(c >> 16) & 0xFF] ^ t[3][c >> 24];
  }
};

const LaneShift& laneShift() {
  static const LaneShift shift;
  return shift;
}

// The widest word the SSE 4.2 instruction takes on this processor.
#if defined(__x86_64__)
typedef uint64_t CrcWord;
__attribute__((target("sse4.2"))) inline CrcWord crcWord(CrcWord crc, const uint8_t* p) {
  CrcWord v;
  memcpy(&v, p, sizeof v);
  return __builtin_ia32_crc32di(crc, v);
}
#else
typedef uint32_t CrcWord;
__attribute__((target("sse4.2"))) inline CrcWord crcWord(CrcWord crc, const uint8_t* p) {
  CrcWord v;
  memcpy(&v, p, sizeof v);
  return __builtin_ia32_crc32si(crc, v);
}
#endif

// The SSE 4.2 instruction computes the same CRC-32C several times faster.
__attribute__((target("sse4.2"))) uint32_t crc32cHardware(uint32_t crc, const uint8_t* p, size_t length) {
  crc = ~crc;
  if (length >= 3 * kLane) {
    const LaneShift& shift = laneShift();
    do {
      CrcWord a = crc, b = 0, c = 0;
      for (size_t i = 0; i < kLane; i += sizeof(CrcWord)) {
        a = crcWord(a, p + i);
        b = crcWord(b, p + kLane + i);
        c = crcWord(c, p + 2 * kLane + i);
      }
      crc = shift(shift(uint32_t(a)) ^ uint32_t(b)) ^ uint32_t(c);
      p += 3 * kLane;
      length -= 3 * kLane;
    } while (length >= 3 * kLane);
  }
  CrcWord word = crc;
  for (; length >= sizeof(CrcWord); p += sizeof(CrcWord), length -= sizeof(CrcWord)) word = crcWord(word, p);
  crc = uint32_t(word);
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
