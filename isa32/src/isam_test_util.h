// Helpers shared by the engine's tests: temporary file names, a table with a
// text and a number key, records made from a number.
#pragma once

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "isam_io.h"
#include "zt_isa32.h"

namespace isamtest {

inline std::string tempName(const char* tag) {
  static unsigned counter = 0;
  char buf[64];
  snprintf(buf, sizeof(buf), "isamtest_%s_%u.isa", tag, ++counter);
  std::string name = testing::TempDir() + buf;
  CIsamIo* io = ztIsamPlatformIo();
  io->Remove(name.c_str());
  io->Remove((name + "-wal").c_str());
  return name;
}

inline void removeFile(const std::string& name) {
  CIsamIo* io = ztIsamPlatformIo();
  io->Remove(name.c_str());
  io->Remove((name + "-wal").c_str());
}

inline ISAMIDT keyPart(unsigned type, unsigned offset, unsigned length, bool unique = false) {
  ISAMIDT k;
  memset(&k, 0, sizeof(k));
  k.options[ISAM_OPT_UNIQUE] = unique ? 1 : 0;
  k.partCount = 1;
  k.parts[0].keyType = (unsigned short)type;
  k.parts[0].offset = (unsigned short)offset;
  k.parts[0].length = (unsigned short)length;
  return k;
}

// Record of 40 bytes: 20-byte text name at 0, 32-bit signed number at 20, payload after.
constexpr unsigned kRecSize = 40;
struct Rec {
  unsigned char bytes[kRecSize];
};

inline Rec makeRec(int number, const char* name) {
  Rec r;
  memset(r.bytes, ' ', sizeof(r.bytes));
  size_t n = strlen(name);
  memcpy(r.bytes, name, n > 20 ? 20 : n);
  memcpy(r.bytes + 20, &number, 4);
  memset(r.bytes + 24, number & 0xFF, 16);
  return r;
}

inline int recNumber(const void* rec) {
  int v;
  memcpy(&v, static_cast<const unsigned char*>(rec) + 20, 4);
  return v;
}

// A file with table "T": key 0 on the name (text), key 1 on the number (INT32).
inline void createStandard(const std::string& name, ISAMFILE* file, ISAMTABLE* table, unsigned nodeSize = 256,
                           bool uniqueNumber = false) {
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMCreate(file, name.c_str(), &ext));
  ISAMIDT idt[2] = {keyPart(ISAM_KEY_TEXT, 0, 20), keyPart(ISAM_KEY_INT32, 20, 4, uniqueNumber)};
  ASSERT_EQ(ISAM_OK, ISAMCreateTable(*file, "T", idt, 2, kRecSize, nodeSize));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(*file, "T", table));
}

// CRC-32C bit by bit, for tests that forge a checksum (the engine's own is not exported).
inline uint32_t crc32c(uint32_t crc, const void* data, size_t length) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  crc = ~crc;
  for (size_t i = 0; i < length; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0x82F63B78u : crc >> 1;
  }
  return ~crc;
}

inline std::string check(ISAMFILE file) {
  char report[512];
  unsigned e = ISAMCheckFile(file, report, sizeof(report));
  return e == ISAM_OK ? std::string("ok") : std::to_string(e) + ": " + report;
}

// Reads an index in one direction; the numbers of the records in order.
inline std::vector<int> readAll(ISAMTABLE t, unsigned index, unsigned flags, const void* low = nullptr,
                                const void* high = nullptr) {
  std::vector<int> out;
  if (ISAMSetupIterationLimits(t, index, flags, low, high) != ISAM_OK) return {-999};
  Rec r;
  unsigned addr = 0;
  unsigned e;
  while ((e = ISAMReadNextRecord(t, index, r.bytes, &addr, nullptr)) == ISAM_OK) out.push_back(recNumber(r.bytes));
  if (e != ISAM_END_OF_ITERATION) out.push_back(-int(e));
  return out;
}

}  // namespace isamtest
