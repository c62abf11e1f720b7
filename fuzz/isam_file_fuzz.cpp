// Damaged ISAM files and logs: open, check, read every index both ways, read
// the descriptions, then write. Every outcome must be an error code, never a crash.
//
// The input patches a small valid file (pairs of a 16-bit offset and a byte
// after a leading even byte) or, after a leading odd byte, is the whole file.
// With bit 1 of the leading byte set, the same goes for the write-ahead log
// beside a valid file instead. The files live in memory, so nothing touches the disk.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "isam_memory_io.h"
#include "zt_isa32.h"

namespace {

CIsamMemoryIo g_io;
std::vector<uint8_t> g_valid;
std::vector<uint8_t> g_loggedFile, g_log;  // a file and the log a reader kept beside it
const char* const kName = "fuzz.isa";
const char* const kLog = "fuzz.isa-wal";

// Three transactions while a reader keeps the log, so that it stays beside the
// file, ending with the writer's close frame.
void buildLog() {
  ISAMFILE f = nullptr, reader = nullptr;
  ISAMTABLE t = nullptr;
  unsigned ext = 0;
  if (ISAMOpen(&f, kName, ISAM_OPEN_READWRITE, &ext) || ISAMOpen(&reader, kName, ISAM_OPEN_READONLY, &ext) ||
      ISAMOpenTable(f, "Fuzz", &t))
    return;
  for (int tx = 0; tx < 3; ++tx) {
    ISAMBeginTransaction(f);
    for (int i = 0; i < 5; ++i) {
      uint8_t rec[16];
      memset(rec, ' ', sizeof(rec));
      rec[0] = uint8_t('k' + tx);
      rec[1] = uint8_t('0' + i);
      unsigned addr = 0;
      ISAMInsertRecord(t, rec, &addr);
    }
    ISAMCommitTransaction(f);
  }
  ISAMClose(f, &ext);
  g_loggedFile = g_io.files[kName]->current;
  g_log = g_io.files[kLog]->current;
  ISAMClose(reader, &ext);
}

void buildValidFile() {
  ztIsamSetIo(&g_io);
  ISAMFILE f = nullptr;
  unsigned ext = 0;
  if (ISAMCreate(&f, kName, &ext)) return;
  ISAMIDT idt[2];
  memset(idt, 0, sizeof(idt));
  idt[0].partCount = 1;
  idt[0].parts[0] = {ISAM_KEY_ITEXT, 0, 8, 0};
  idt[1].partCount = 2;
  idt[1].options[ISAM_OPT_SKIP_BLANK] = 1;
  idt[1].parts[0] = {ISAM_KEY_NUMTEXT, 8, 4, 0};
  idt[1].parts[1] = {ISAM_KEY_INT16, 12, 2, 0};
  ISAMCreateTable(f, "Fuzz", idt, 2, 16, 64);
  ISAMTABLE t = nullptr;
  ISAMOpenTable(f, "Fuzz", &t);
  ISAMWriteTableDesc(t, 0, "Table: Fuzz\nIndexNodeSize: 64\n", 30);
  ISAMBeginTransaction(f);
  for (int i = 0; i < 40; ++i) {
    uint8_t rec[16];
    memset(rec, ' ', sizeof(rec));
    rec[0] = uint8_t('a' + i % 26);
    rec[1] = uint8_t('A' + i % 7);
    rec[9] = uint8_t('0' + i % 10);
    int16_t v = int16_t(i * 37 - 500);
    memcpy(rec + 12, &v, 2);
    unsigned addr = 0;
    ISAMInsertRecord(t, rec, &addr);
    if (i % 9 == 0) ISAMDeleteRecord(t, addr);
  }
  ISAMCommitTransaction(f);
  ISAMClose(f, &ext);
  g_valid = g_io.files[kName]->current;
  buildLog();
  g_io.files.clear();
}

void exercise(bool readOnly, bool acceptLogLoss = false) {
  ISAMFILE f = nullptr;
  unsigned ext = 0;
  unsigned mode =
      (readOnly ? ISAM_OPEN_READONLY : ISAM_OPEN_READWRITE) | (acceptLogLoss ? ISAM_OPEN_ACCEPT_LOG_LOSS : 0);
  if (ISAMOpen(&f, kName, mode, &ext) != ISAM_OK) return;
  char report[256];
  ISAMCheckFile(f, report, sizeof(report));
  unsigned count = 0;
  if (ISAMGetTableCount(f, &count) == ISAM_OK) {
    for (unsigned i = 0; i < count && i < 4; ++i) {
      char name[32];
      ISAMTABLE t = nullptr;
      if (ISAMGetTableName(f, i, name, 32) || ISAMOpenTable(f, name, &t)) continue;
      unsigned recSize = 0, descSize = 0;
      ISAMGetDataRecSize(t, &recSize);
      std::vector<uint8_t> rec(recSize + 1);
      if (ISAMGetTableDescSize(t, 0, &descSize) == ISAM_OK && descSize < (1u << 20)) {
        std::vector<char> desc(descSize + 1);
        unsigned got = 0;
        ISAMReadTableDesc(t, 0, desc.data(), descSize, &got);
      }
      for (unsigned k = 0; k < 3; ++k) {
        unsigned char d[60];
        ISAMGetIndexDesc(t, k, d);
        for (unsigned flags : {0u, 16u}) {
          if (ISAMSetupIterationLimits(t, k, flags, nullptr, nullptr)) continue;
          unsigned addr = 0, last = 0;
          for (int n = 0; n < 10000 && ISAMReadNextRecord(t, k, rec.data(), &addr, nullptr) == ISAM_OK; ++n)
            last = addr;
          if (last && ISAMSetupIterationAddress(t, k, flags ? 28 : 12, last, nullptr) == ISAM_OK)
            ISAMReadNextRecord(t, k, rec.data(), &addr, nullptr);
          // A record's number in the index, and the position it names.
          unsigned number = 0;
          if (last && ISAMGetEntryNumber(t, k, last, &number) == ISAM_OK &&
              ISAMSetupIterationEntry(t, k, flags, number) == ISAM_OK)
            ISAMReadNextRecord(t, k, rec.data(), &addr, nullptr);
          for (unsigned a = 0; a < 16; ++a) ISAMGetEntryNumber(t, k, a, &number);
          // The same index as key entries in small batches.
          unsigned entry = 0, got = 0;
          if (ISAMKeyEntrySize(t, k, &entry) || entry > 4096 || ISAMSetupIterationLimits(t, k, flags, nullptr, nullptr))
            continue;
          std::vector<uint8_t> keys(3 * entry);
          for (int n = 0; n < 10000 && ISAMReadNextKeys(t, k, keys.data(), unsigned(keys.size()), &got) == ISAM_OK;
               ++n) {
          }
        }
      }
      {
        std::vector<uint8_t> batch(5 * recSize + 1);
        unsigned at = 0, got = 0;
        for (int n = 0; n < 10000 && ISAMReadRecords(t, &at, batch.data(), unsigned(batch.size()), &got) == ISAM_OK;
             ++n) {
        }
      }
      for (unsigned a = 0; a < 64; ++a) ISAMReadRecordByAddress(t, a, rec.data(), recSize, nullptr);
      if (!readOnly) {
        unsigned addr = 0;
        if (ISAMInsertRecord(t, rec.data(), &addr) == ISAM_OK) ISAMDeleteRecord(t, addr);
        ISAMCheckFile(f, report, sizeof(report));
      }
    }
  }
  ISAMClose(f, &ext);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_valid.empty()) buildValidFile();
  if (size == 0) return 0;
  const bool log = (data[0] & 2) != 0;
  std::vector<uint8_t> image;
  if (data[0] & 1) {
    image.assign(data + 1, data + size);
  } else {
    image = log ? g_log : g_valid;
    for (size_t i = 1; i + 2 < size; i += 3) {
      size_t off = (size_t(data[i]) | (size_t(data[i + 1]) << 8)) % (image.size() + 1);
      if (off == image.size())
        image.resize(off / 2);  // truncation
      else
        image[off] ^= data[i + 2];
    }
  }
  g_io.files.clear();
  g_io.files[kName] = std::make_shared<CIsamMemoryIo::File>();
  g_io.files[kName]->current = log ? g_loggedFile : image;
  if (log) {
    g_io.files[kLog] = std::make_shared<CIsamMemoryIo::File>();
    g_io.files[kLog]->current = image;
  }
  exercise(true);
  if (log) {
    exercise(true, true);
    exercise(false, true);
  } else {
    exercise(false);
  }
  return 0;
}
