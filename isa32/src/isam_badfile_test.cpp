// Damaged and foreign files: a clear error from open, check or read, never a crash.
#include <stdint.h>

#include <map>
#include <set>

#include "isam_format.h"
#include "isam_memory_io.h"
#include "isam_test_util.h"

using namespace isamtest;

namespace {

const char* const kName = "bad.isa";

struct IsamBadFileTest : testing::Test {
  CIsamMemoryIo io;
  CIsamIo* previous = nullptr;
  std::vector<uint8_t> image;

  void SetUp() override {
    previous = ztIsamSetIo(&io);
    ISAMFILE f = nullptr;
    ISAMTABLE t = nullptr;
    createStandard(kName, &f, &t, 64);
    std::string longer(5000, 'x');
    ASSERT_EQ(ISAM_OK, ISAMWriteTableDesc(t, 0, longer.data(), unsigned(longer.size())));
    ASSERT_EQ(ISAM_OK, ISAMWriteTableDesc(t, 0, "Table: T", 8));  // leaves a free block
    ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(f));
    for (int i = 0; i < 200; ++i) {
      Rec r = makeRec(i, i % 2 ? "odd" : "even");
      unsigned a = 0;
      ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, &a));
      if (i % 7 == 0) {
        ASSERT_EQ(ISAM_OK, ISAMDeleteRecord(t, a));
      }
    }
    ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(f));
    unsigned ext = 0;
    ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
    image = io.files[kName]->current;
  }
  void TearDown() override { ztIsamSetIo(previous); }

  void install(const std::vector<uint8_t>& bytes) {
    io.files.clear();
    io.files[kName] = std::make_shared<CIsamMemoryIo::File>();
    io.files[kName]->current = bytes;
    io.files[kName]->durable = bytes;
  }

  // Opens, checks and reads everything; the first error met (0: none).
  unsigned exercise(std::string* where) {
    ISAMFILE f = nullptr;
    unsigned ext = 0;
    unsigned e = ISAMOpen(&f, kName, ISAM_OPEN_READONLY, &ext);
    if (e) {
      *where = "open";
      return e;
    }
    unsigned first = 0;
    char report[256];
    if ((e = ISAMCheckFile(f, report, sizeof(report))) != 0) {
      *where = std::string("check: ") + report;
      first = e;
    }
    ISAMTABLE t = nullptr;
    if (ISAMOpenTable(f, "T", &t) == ISAM_OK) {
      for (unsigned k = 0; k < 2; ++k) {
        ISAMSetupIterationLimits(t, k, 0, nullptr, nullptr);
        Rec r;
        while ((e = ISAMReadNextRecord(t, k, r.bytes, nullptr, nullptr)) == ISAM_OK) {
        }
        if (e != ISAM_END_OF_ITERATION && !first) {
          *where = "read";
          first = e;
        }
      }
      char desc[64];
      unsigned got = 0;
      if ((e = ISAMReadTableDesc(t, 0, desc, sizeof(desc), &got)) != 0 && !first) {
        *where = "description";
        first = e;
      }
    } else if (!first) {
      *where = "open table";
      first = ISAM_ERR_NO_TABLE;
    }
    ISAMClose(f, &ext);
    return first;
  }
};

TEST_F(IsamBadFileTest, TheIntactFileIsClean) {
  install(image);
  std::string where;
  EXPECT_EQ(0u, exercise(&where)) << where;
}

// One flipped byte in the header or the body of a block of every kind is found.
TEST_F(IsamBadFileTest, FlippedBytesInEveryBlockKind) {
  using namespace isam;
  std::map<uint16_t, std::vector<uint32_t>> blocks;  // kind -> addresses
  uint32_t pos = kFileHeaderUnits;
  blocks[kKindFileHeader].push_back(0);
  while (uint64_t(pos) * kUnit + kBlockHeader <= image.size()) {
    const uint8_t* h = image.data() + size_t(pos) * kUnit;
    uint32_t units = rd32(h + kHdrUnits);
    ASSERT_GT(units, 0u);
    blocks[rd16(h + kHdrKind)].push_back(pos);
    pos += units;
  }
  for (uint16_t kind = kKindFileHeader; kind <= kKindLast; ++kind)
    ASSERT_FALSE(blocks[kind].empty()) << "no block of kind " << kind;
  for (auto& kv : blocks) {
    for (uint32_t addr : kv.second) {
      size_t start = size_t(addr) * kUnit;
      size_t headerAt = addr == 0 ? kFhBlock : 0;
      uint32_t units = rd32(image.data() + start + headerAt + kHdrUnits);
      std::set<size_t> offsets = {start + headerAt + kHdrKind,     start + headerAt + kHdrUnits,
                                  start + headerAt + kHdrAddr + 1, start + 32,
                                  start + units * kUnit / 2,       start + units * kUnit - 1};
      for (size_t off : offsets) {
        std::vector<uint8_t> bad = image;
        bad[off] ^= 0x5A;
        install(bad);
        std::string where;
        EXPECT_NE(0u, exercise(&where)) << "kind " << kv.first << " block " << addr << " byte " << off - start;
      }
    }
  }
}

TEST_F(IsamBadFileTest, TruncatedFiles) {
  for (size_t length : {size_t(0), size_t(3), size_t(15), size_t(16), size_t(300), size_t(512), size_t(513),
                        image.size() / 2, image.size() - 64, image.size() - 1}) {
    std::vector<uint8_t> bad(image.begin(), image.begin() + long(length));
    install(bad);
    std::string where;
    unsigned e = exercise(&where);
    EXPECT_NE(0u, e) << length;
    // Cut inside the signature: a damaged ISAM file once the first four bytes are there.
    if (length < 4) {
      EXPECT_EQ(unsigned(ISAM_ERR_NOT_ISAM), e) << length;
    } else if (length < 16) {
      EXPECT_EQ(unsigned(ISAM_ERR_CORRUPT), e) << length;
    }
  }
}

TEST_F(IsamBadFileTest, SignatureVersionAndForeignFiles) {
  std::string where;
  for (size_t off : {0u, 8u, 9u, 12u, 15u}) {
    std::vector<uint8_t> bad = image;
    bad[off] ^= 1;
    install(bad);
    EXPECT_EQ(unsigned(ISAM_ERR_NOT_ISAM), exercise(&where)) << off;
  }
  std::vector<uint8_t> bad = image;
  bad[4] = 9;
  install(bad);
  EXPECT_EQ(unsigned(ISAM_ERR_VERSION), exercise(&where));
  const char text[] = "Table: Kunden\nIndexNodeSize: 2048\n";
  install(std::vector<uint8_t>(text, text + sizeof(text)));
  EXPECT_EQ(unsigned(ISAM_ERR_NOT_ISAM), exercise(&where));
  // The signature alone does not make a file.
  std::vector<uint8_t> fake(4096, 0);
  fake[8] = fake[9] = 0xFF;
  fake[4] = 2;  // the format version
  memcpy(fake.data() + 12, "ISAM", 4);
  install(fake);
  EXPECT_EQ(unsigned(ISAM_ERR_CORRUPT), exercise(&where));
}

// A write-ahead log that belongs to another file, or is damaged, is not applied.
TEST_F(IsamBadFileTest, ForeignOrDamagedLogIsIgnored) {
  ISAMFILE f = nullptr;
  ISAMTABLE t = nullptr;
  unsigned ext = 0;
  install(image);
  ASSERT_EQ(ISAM_OK, ISAMOpen(&f, kName, ISAM_OPEN_READWRITE, &ext));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(f, "T", &t));
  Rec r = makeRec(5000, "logged");
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, nullptr));
  std::vector<uint8_t> log = io.files[std::string(kName) + "-wal"]->current;
  std::vector<uint8_t> db = io.files[kName]->current;
  ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
  std::string where;
  // The log with its own file: the record is there.
  install(db);
  io.files[std::string(kName) + "-wal"] = std::make_shared<CIsamMemoryIo::File>();
  io.files[std::string(kName) + "-wal"]->current = log;
  ASSERT_EQ(0u, exercise(&where)) << where;
  // A damaged last frame: the transaction is not there, the file is sound.
  std::vector<uint8_t> damaged = log;
  damaged[damaged.size() - 40] ^= 0xFF;
  install(db);
  io.files[std::string(kName) + "-wal"] = std::make_shared<CIsamMemoryIo::File>();
  io.files[std::string(kName) + "-wal"]->current = damaged;
  EXPECT_EQ(0u, exercise(&where)) << where;
  // The log of another file with the same name.
  install(image);
  io.files[std::string(kName) + "-wal"] = std::make_shared<CIsamMemoryIo::File>();
  std::vector<uint8_t> other = log;
  other[8] ^= 1;  // file identity, with a checksum to match
  uint32_t crc = isamtest::crc32c(0, other.data(), 28);
  memcpy(other.data() + 28, &crc, 4);
  io.files[std::string(kName) + "-wal"]->current = other;
  EXPECT_EQ(0u, exercise(&where)) << where;
}

}  // namespace

namespace {

// Damage that keeps every checksum right: a table block whose high-water mark
// is lowered, sealed again. Reads fail instead of answering with fewer records.
TEST_F(IsamBadFileTest, LoweredHighWaterMarkFailsEveryRead) {
  using namespace isam;
  size_t table = 0;
  for (uint32_t pos = kFileHeaderUnits; uint64_t(pos) * kUnit + kBlockHeader <= image.size();) {
    const uint8_t* h = image.data() + size_t(pos) * kUnit;
    if (rd16(h + kHdrKind) == kKindTable) table = size_t(pos) * kUnit;
    pos += rd32(h + kHdrUnits);
  }
  ASSERT_NE(0u, table);
  // 171 addresses handed out (deleted ones are used again), 50 records to a data block.
  ASSERT_EQ(171u, rd32(image.data() + table + kTbHighWater));
  ASSERT_EQ(50u, rd32(image.data() + table + kTbPerBlock));
  for (uint32_t lowered : {151u, 120u, 85u, 1u}) {
    std::vector<uint8_t> bad = image;
    uint8_t* tb = bad.data() + table;
    wr32(tb + kTbHighWater, lowered);
    uint32_t crc = isamtest::crc32c(0, tb + 4, kTableUnits * kUnit - 4);
    wr32(tb + kHdrCrc, crc);
    install(bad);
    ISAMFILE f = nullptr;
    unsigned ext = 0;
    ASSERT_EQ(ISAM_OK, ISAMOpen(&f, kName, ISAM_OPEN_READONLY, &ext));
    char report[256];
    EXPECT_EQ(ISAM_ERR_CHECK, ISAMCheckFile(f, report, sizeof(report))) << lowered;
    ISAMTABLE t = nullptr;
    unsigned e = ISAMOpenTable(f, "T", &t);
    if (e == ISAM_OK) {
      // Stored order, index order with records, index order with keys only.
      std::vector<uint8_t> buffer(64 * kRecSize);
      unsigned address = 0, count = 0, total = 0;
      while ((e = ISAMReadRecords(t, &address, buffer.data(), unsigned(buffer.size()), &count)) == ISAM_OK)
        total += count;
      EXPECT_EQ(ISAM_ERR_CORRUPT, e) << lowered << ": " << total << " records";
      std::vector<int> numbers = readAll(t, 1, ISAM_ITER_FORWARD);
      EXPECT_EQ(-int(ISAM_ERR_CORRUPT), numbers.back()) << lowered;
      unsigned entry = 0;
      ASSERT_EQ(ISAM_OK, ISAMKeyEntrySize(t, 1, &entry));
      ASSERT_EQ(ISAM_OK, ISAMSetupIterationLimits(t, 1, ISAM_ITER_FORWARD, nullptr, nullptr));
      while ((e = ISAMReadNextKeys(t, 1, buffer.data(), 16 * entry, &count)) == ISAM_OK) {
      }
      EXPECT_EQ(ISAM_ERR_CORRUPT, e) << lowered;
    } else {
      EXPECT_EQ(ISAM_ERR_CORRUPT, e) << lowered;
    }
    ISAMClose(f, &ext);
  }
}

}  // namespace
