#include "isam_pager.h"

#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <atomic>

namespace {

CIsamIo* g_io = nullptr;
uint64_t g_checkpointBytes = 32u << 20;
std::atomic<uint64_t> g_flushes{0};

// Frame header layout in the log.
constexpr uint32_t kFrSalt = 0;
constexpr uint32_t kFrSerial = 4;
constexpr uint32_t kFrAddr = 8;
constexpr uint32_t kFrUnits = 12;
constexpr uint32_t kFrFlags = 16;
constexpr uint32_t kFrFileEnd = 20;
constexpr uint32_t kFrCrc = 28;
// Log header layout.
constexpr uint32_t kWhMagic = 0;
constexpr uint32_t kWhVersion = 4;
constexpr uint32_t kWhIdLo = 8;
constexpr uint32_t kWhIdHi = 12;
constexpr uint32_t kWhSalt = 16;
constexpr uint32_t kWhCrc = 28;

constexpr size_t kWalBufferBytes = 1u << 20;
constexpr size_t kRunBytes = 4u << 20;
constexpr size_t kDefaultCache = size_t(64) << 20;

uint32_t randomWord() {
  static uint32_t counter = 0x9E3779B9u;
  uint64_t x = uint64_t(time(nullptr)) ^ (uint64_t(clock()) << 20) ^ uint64_t(uintptr_t(&counter));
  counter += 0x6D2B79F5u;
  x ^= counter;
  x ^= x >> 33;
  x *= 0xFF51AFD7ED558CCDull;
  x ^= x >> 33;
  return uint32_t(x) ? uint32_t(x) : 1u;
}

}  // namespace

CIsamIo* ztIsamSetIo(CIsamIo* io) {
  CIsamIo* old = g_io;
  g_io = io;
  return old;
}
CIsamIo* ztIsamCurrentIo() { return g_io ? g_io : ztIsamPlatformIo(); }
uint64_t ztIsamFlushCount() { return g_flushes.load(); }
uint64_t ztIsamSetCheckpointBytes(uint64_t bytes) {
  uint64_t old = g_checkpointBytes;
  g_checkpointBytes = bytes;
  return old;
}

namespace isam {

CIsamPager::CIsamPager()
    : io_(ztIsamCurrentIo()),
      db_(nullptr),
      wal_(nullptr),
      readOnly_(false),
      inTx_(false),
      failed_(false),
      dbWritten_(false),
      readerLocked_(false),
      generation_(1),
      epoch_(1),
      detail_(0),
      committedEnd_(0),
      serial_(0),
      salt_(0),
      fileIdLo_(0),
      fileIdHi_(0),
      walEnd_(0),
      walWrite_(0),
      walBufStart_(0),
      fastMask_(0),
      lruHead_(nullptr),
      lruTail_(nullptr),
      header_(nullptr),
      cacheBytes_(0),
      budget_(0) {
  SetCacheBytes(kDefaultCache);
}

void CIsamPager::SetCacheBytes(size_t bytes) {
  budget_ = bytes < (64u << 10) ? (64u << 10) : bytes;
  // About one front slot per 2 KB of cache.
  size_t slots = 1024;
  while (slots < (1u << 18) && slots * 2048 < budget_) slots *= 2;
  fast_.assign(slots, nullptr);
  fastMask_ = uint32_t(slots - 1);
}

CIsamPager::~CIsamPager() {
  if (db_) {
    unsigned ext = 0;
    Close(&ext);
  }
  dropAll();
}

unsigned CIsamPager::fail(unsigned error, unsigned detail) {
  detail_ = detail;
  if (inTx_) failed_ = true;
  return error;
}

unsigned CIsamPager::flush(ZTIoHandle h) {
  ++g_flushes;
  return io_->Flush(h);
}

// ---- cache ----

// The block's bookkeeping and its bytes in one allocation, so that a lookup
// touches one place in memory.
Block* CIsamPager::newBlock(uint32_t addr, uint32_t units) {
  constexpr size_t kHead = (sizeof(Block) + 15) & ~size_t(15);
  Block* b = static_cast<Block*>(malloc(kHead + size_t(units) * kUnit));
  if (!b) return nullptr;
  b->data = reinterpret_cast<uint8_t*>(b) + kHead;
  b->addr = addr;
  b->units = units;
  b->kind = 0;
  b->dirty = false;
  b->referenced = true;
  b->dirtyIndex = 0;
  b->prev = b->next = nullptr;
  return b;
}

void CIsamPager::freeBlock(Block* b) { free(b); }

void CIsamPager::linkFront(Block* b) {
  b->prev = nullptr;
  b->next = lruHead_;
  if (lruHead_) lruHead_->prev = b;
  lruHead_ = b;
  if (!lruTail_) lruTail_ = b;
}

void CIsamPager::unlink(Block* b) {
  if (b->prev)
    b->prev->next = b->next;
  else
    lruHead_ = b->next;
  if (b->next)
    b->next->prev = b->prev;
  else
    lruTail_ = b->prev;
  b->prev = b->next = nullptr;
}

void CIsamPager::dropAll() {
  ++epoch_;
  std::fill(fast_.begin(), fast_.end(), nullptr);
  for (auto& kv : cache_) freeBlock(kv.second);
  cache_.clear();
  dirtyList_.clear();
  lruHead_ = lruTail_ = nullptr;
  header_ = nullptr;
  cacheBytes_ = 0;
}

void CIsamPager::seal(Block* b) const {
  uint8_t* d = b->data;
  uint32_t size = b->Bytes();
  uint32_t off = b->addr == 0 ? kFhBlock : 0;
  wr32(d + off + kHdrCrc, crc32c(crc32c(0, d, off + kHdrCrc), d + off + 4, size - off - 4));
}

unsigned CIsamPager::verify(const uint8_t* d, uint32_t addr, uint32_t units, uint16_t kind) const {
  uint32_t size = units * kUnit;
  uint32_t off = addr == 0 ? kFhBlock : 0;
  const uint8_t* h = d + off;
  uint16_t k = rd16(h + kHdrKind);
  if (rd32(h + kHdrUnits) != units || rd32(h + kHdrAddr) != addr || k == 0 || k > kKindLast || (kind != 0 && k != kind))
    return ISAM_ERR_CORRUPT;
  uint32_t crc = crc32c(crc32c(0, d, off + kHdrCrc), d + off + 4, size - off - 4);
  return crc == rd32(h + kHdrCrc) ? ISAM_OK : ISAM_ERR_CORRUPT;
}

unsigned CIsamPager::readBlock(uint32_t addr, uint32_t units, uint8_t* data) {
  uint32_t size = units * kUnit;
  uint32_t done = 0;
  const WalEntry* entry = nullptr;
  auto t = txWal_.find(addr);
  if (t != txWal_.end()) {
    entry = &t->second;
  } else {
    auto w = walMap_.find(addr);
    if (w != walMap_.end()) entry = &w->second;
  }
  if (entry) {
    if (entry->units != units) return fail(ISAM_ERR_CORRUPT, addr);
    // Frames still in the write buffer are read from there.
    if (entry->offset >= walBufStart_ && entry->offset + size <= walBufStart_ + walBuf_.size()) {
      memcpy(data, walBuf_.data() + (entry->offset - walBufStart_), size);
      return ISAM_OK;
    }
    unsigned e = io_->Read(wal_, entry->offset, data, size, &done);
    if (e) return fail(ISAM_ERR_READ, e);
    if (done != size) return fail(ISAM_ERR_CORRUPT, addr);
    return ISAM_OK;
  }
  if (uint64_t(addr) + units > FileEnd()) return fail(ISAM_ERR_CORRUPT, addr);
  unsigned e = io_->Read(db_, uint64_t(addr) * kUnit, data, size, &done);
  if (e) return fail(ISAM_ERR_READ, e);
  if (done != size) return fail(ISAM_ERR_CORRUPT, addr);
  return ISAM_OK;
}

unsigned CIsamPager::Get(uint32_t addr, uint32_t units, uint16_t kind, Block** out) {
  *out = nullptr;
  if (failed_) return ISAM_ERR_FAILED;
  Block* b = fast_[addr & fastMask_];
  if (!b || b->addr != addr) {
    auto it = cache_.find(addr);
    b = it != cache_.end() ? it->second : nullptr;
    if (b) fast_[addr & fastMask_] = b;
  }
  if (b) {
    if (b->units != units || (kind && b->kind != kind)) return fail(ISAM_ERR_CORRUPT, addr);
    b->referenced = true;
    *out = b;
    return ISAM_OK;
  }
  if (units == 0 || addr == 0 || uint64_t(addr) + units > FileEnd()) return fail(ISAM_ERR_CORRUPT, addr);
  b = newBlock(addr, units);
  if (!b) return fail(ISAM_ERR_NO_MEMORY, 0);
  unsigned e = readBlock(addr, units, b->data);
  if (!e && verify(b->data, addr, units, kind)) e = fail(ISAM_ERR_CORRUPT, addr);
  if (e) {
    freeBlock(b);
    return e;
  }
  b->kind = rd16(b->data + kHdrKind);
  cache_.emplace(addr, b);
  cacheBytes_ += b->Bytes();
  linkFront(b);
  *out = b;
  return ISAM_OK;
}

void CIsamPager::Dirty(Block* b) {
  if (!b->dirty) {
    b->dirty = true;
    b->dirtyIndex = uint32_t(dirtyList_.size());
    dirtyList_.push_back(b);
  }
}

unsigned CIsamPager::Allocate(uint32_t units, uint16_t kind, Block* owner, uint8_t* head, Block** out) {
  *out = nullptr;
  if (failed_) return ISAM_ERR_FAILED;
  uint32_t addr = head ? rd32(head) : 0;
  Block* b = nullptr;
  if (addr) {
    unsigned e = Get(addr, units, kKindFree, &b);
    if (e) return e;
    Dirty(owner);
    wr32(head, rd32(b->data + kFreeNext));
  } else {
    uint32_t end = FileEnd();
    if (uint64_t(end) + units > 0xFFFFFFF0u) return ISAM_ERR_FULL;
    addr = end;
    b = newBlock(addr, units);
    if (!b) return fail(ISAM_ERR_NO_MEMORY, 0);
    cache_.emplace(addr, b);
    cacheBytes_ += b->Bytes();
    linkFront(b);
    Dirty(header_);
    wr32(header_->data + kFhFileEnd, end + units);
  }
  memset(b->data, 0, b->Bytes());
  b->kind = kind;
  wr16(b->data + kHdrKind, kind);
  wr32(b->data + kHdrUnits, units);
  wr32(b->data + kHdrAddr, addr);
  Dirty(b);
  *out = b;
  return ISAM_OK;
}

void CIsamPager::Release(Block* b, Block* owner, uint8_t* head) {
  Dirty(b);
  Dirty(owner);
  memset(b->data + kBlockHeader, 0, b->Bytes() - kBlockHeader);
  b->kind = kKindFree;
  wr16(b->data + kHdrKind, kKindFree);
  wr32(b->data + kFreeNext, rd32(head));
  wr32(head, b->addr);
}

// ---- log ----

unsigned CIsamPager::flushWalBuffer() {
  if (walBuf_.empty()) return ISAM_OK;
  unsigned e = io_->Write(wal_, walBufStart_, walBuf_.data(), uint32_t(walBuf_.size()));
  walBufStart_ += walBuf_.size();
  walBuf_.clear();
  return e ? fail(ISAM_ERR_WRITE, e) : ISAM_OK;
}

unsigned CIsamPager::appendFrame(uint32_t addr, uint32_t units, uint32_t flags, const uint8_t* data,
                                 uint64_t* dataOffset) {
  if (walBufStart_ + walBuf_.size() != walWrite_) {
    unsigned e = flushWalBuffer();
    if (e) return e;
    walBufStart_ = walWrite_;
  }
  uint8_t fh[kFrameHeader] = {};
  wr32(fh + kFrSalt, salt_);
  wr32(fh + kFrSerial, serial_);
  wr32(fh + kFrAddr, addr);
  wr32(fh + kFrUnits, units);
  wr32(fh + kFrFlags, flags);
  wr32(fh + kFrFileEnd, FileEnd());
  uint32_t size = units * kUnit;
  uint32_t crc = crc32c(0, fh, kFrCrc);
  if (size) crc = crc32c(crc, data, size);
  wr32(fh + kFrCrc, crc);
  walBuf_.insert(walBuf_.end(), fh, fh + kFrameHeader);
  if (size) walBuf_.insert(walBuf_.end(), data, data + size);
  if (dataOffset) *dataOffset = walWrite_ + kFrameHeader;
  walWrite_ += kFrameHeader + size;
  if (walBuf_.size() >= kWalBufferBytes) return flushWalBuffer();
  return ISAM_OK;
}

unsigned CIsamPager::resetWal() {
  salt_ = randomWord();
  uint8_t wh[kWalHeader] = {};
  wr32(wh + kWhMagic, kWalMagic);
  wr32(wh + kWhVersion, kFormatVersion);
  wr32(wh + kWhIdLo, fileIdLo_);
  wr32(wh + kWhIdHi, fileIdHi_);
  wr32(wh + kWhSalt, salt_);
  wr32(wh + kWhCrc, crc32c(0, wh, kWhCrc));
  walBuf_.clear();
  walMap_.clear();
  walEnd_ = walWrite_ = walBufStart_ = kWalHeader;
  unsigned e = io_->Write(wal_, 0, wh, kWalHeader);
  return e ? fail(ISAM_ERR_WRITE, e) : ISAM_OK;
}

// Reads the committed frames of the log into walMap_; a frame that is torn,
// foreign or out of sequence ends the log.
unsigned CIsamPager::recoverWal() {
  walMap_.clear();
  walEnd_ = walWrite_ = walBufStart_ = 0;
  if (!wal_) return ISAM_OK;
  uint64_t size = 0;
  unsigned e = io_->Size(wal_, &size);
  if (e) return ISAM_ERR_READ;
  uint8_t wh[kWalHeader];
  uint32_t done = 0;
  if (size < kWalHeader || io_->Read(wal_, 0, wh, kWalHeader, &done) || done != kWalHeader) return ISAM_OK;
  if (rd32(wh + kWhMagic) != kWalMagic || rd32(wh + kWhCrc) != crc32c(0, wh, kWhCrc) ||
      rd32(wh + kWhIdLo) != fileIdLo_ || rd32(wh + kWhIdHi) != fileIdHi_)
    return ISAM_OK;
  salt_ = rd32(wh + kWhSalt);
  uint64_t pos = kWalHeader;
  walEnd_ = walWrite_ = walBufStart_ = kWalHeader;
  std::unordered_map<uint32_t, WalEntry> pending;
  uint32_t pendingSerial = 0;
  uint32_t lastSerial = 0;
  std::vector<uint8_t> buf;
  while (pos + kFrameHeader <= size) {
    uint8_t fh[kFrameHeader];
    if (io_->Read(wal_, pos, fh, kFrameHeader, &done) || done != kFrameHeader) break;
    if (rd32(fh + kFrSalt) != salt_) break;
    uint32_t serial = rd32(fh + kFrSerial);
    uint32_t units = rd32(fh + kFrUnits);
    uint32_t flags = rd32(fh + kFrFlags);
    if (serial < lastSerial || units > 0x10000u) break;
    uint64_t bytes = uint64_t(units) * kUnit;
    if (pos + kFrameHeader + bytes > size) break;
    buf.resize(size_t(bytes));
    if (bytes && (io_->Read(wal_, pos + kFrameHeader, buf.data(), uint32_t(bytes), &done) || done != bytes)) break;
    uint32_t crc = crc32c(0, fh, kFrCrc);
    if (bytes) crc = crc32c(crc, buf.data(), size_t(bytes));
    if (crc != rd32(fh + kFrCrc)) break;
    if (serial != pendingSerial) {
      pending.clear();
      pendingSerial = serial;
    }
    lastSerial = serial;
    if (serial > serial_) serial_ = serial;
    pos += kFrameHeader + bytes;
    if (flags & kFrameCommit) {
      for (auto& kv : pending) walMap_[kv.first] = kv.second;
      pending.clear();
      walEnd_ = walWrite_ = walBufStart_ = pos;
    } else {
      pending[rd32(fh + kFrAddr)] = WalEntry{pos - bytes, units};
    }
  }
  return ISAM_OK;
}

// Copies the committed log into the file (not flushed here).
unsigned CIsamPager::checkpointCopy() {
  std::vector<std::pair<uint32_t, WalEntry>> entries(walMap_.begin(), walMap_.end());
  std::sort(
      entries.begin(), entries.end(),
      [](const std::pair<uint32_t, WalEntry>& a, const std::pair<uint32_t, WalEntry>& b) { return a.first < b.first; });
  std::vector<uint8_t> buf;
  for (auto& kv : entries) {
    uint32_t size = kv.second.units * kUnit;
    buf.resize(size);
    uint32_t done = 0;
    unsigned e = io_->Read(wal_, kv.second.offset, buf.data(), size, &done);
    if (e || done != size) return fail(ISAM_ERR_READ, e);
    e = io_->Write(db_, uint64_t(kv.first) * kUnit, buf.data(), size);
    if (e) return fail(ISAM_ERR_WRITE, e);
    dbWritten_ = true;
  }
  return ISAM_OK;
}

// ---- open and close ----

unsigned CIsamPager::Create(const char* name, unsigned* ext) {
  if (io_->Exists(name)) return ISAM_ERR_EXISTS;
  ZTIoHandle h = nullptr;
  unsigned e = io_->Open(name, CIsamIo::kCreateNew, &h);
  if (e) {
    *ext = e;
    return ISAM_ERR_CREATE;
  }
  uint8_t hdr[kFileHeaderUnits * kUnit] = {};
  wr32(hdr + kFhVersion, kFormatVersion);
  wr16(hdr + kFhMarker, 0xFFFF);
  wr16(hdr + kFhMinor, kFormatMinor);
  memcpy(hdr + kFhMagic, "ISAM", 4);
  wr16(hdr + kFhBlock + kHdrKind, kKindFileHeader);
  wr32(hdr + kFhBlock + kHdrUnits, kFileHeaderUnits);
  wr32(hdr + kFhBlock + kHdrAddr, 0);
  wr32(hdr + kFhFileEnd, kFileHeaderUnits);
  wr32(hdr + kFhFileIdLo, randomWord());
  wr32(hdr + kFhFileIdHi, randomWord());
  Block tmp = {0, kFileHeaderUnits, kKindFileHeader, false, false, 0, nullptr, nullptr, hdr};
  seal(&tmp);
  e = io_->Write(h, 0, hdr, sizeof(hdr));
  if (!e) e = flush(h);
  io_->Close(h);
  if (e) {
    *ext = e;
    io_->Remove(name);
    return ISAM_ERR_CREATE;
  }
  // A log left over from an earlier file of the same name belongs to that file.
  std::string wal = std::string(name) + "-wal";
  if (io_->Exists(wal.c_str())) io_->Remove(wal.c_str());
  return openFiles(name, false, true, ext);
}

unsigned CIsamPager::Open(const char* name, bool readOnly, unsigned* ext) {
  if (!io_->Exists(name)) {
    *ext = 2;
    return ISAM_ERR_OPEN;
  }
  return openFiles(name, readOnly, false, ext);
}

unsigned CIsamPager::openFiles(const char* name, bool readOnly, bool, unsigned* ext) {
  name_ = name;
  walName_ = name_ + "-wal";
  readOnly_ = readOnly;
  unsigned e = io_->Open(name, readOnly ? CIsamIo::kOpenRead : CIsamIo::kOpenWrite, &db_);
  if (e) {
    db_ = nullptr;
    *ext = e;
    return ISAM_ERR_OPEN;
  }
  unsigned result = ISAM_OK;
  bool granted = false;
  do {
    // The signature first, so that foreign files get a clear answer.
    uint8_t hdr[kFileHeaderUnits * kUnit];
    uint32_t done = 0;
    e = io_->Read(db_, 0, hdr, sizeof(hdr), &done);
    if (e) {
      *ext = e;
      result = ISAM_ERR_READ;
      break;
    }
    if (done < 16 || rd32(hdr) != 0 || rd16(hdr + kFhMarker) != 0xFFFF || memcmp(hdr + kFhMagic, "ISAM", 4) != 0) {
      result = ISAM_ERR_NOT_ISAM;
      break;
    }
    if (rd32(hdr + kFhVersion) != kFormatVersion) {
      result = ISAM_ERR_VERSION;
      break;
    }
    if (done < sizeof(hdr)) {
      result = ISAM_ERR_CORRUPT;
      break;
    }
    if (readOnly) {
      e = io_->Lock(db_, CIsamIo::kLockReader, false, &granted);
      readerLocked_ = !e && granted;
    } else {
      e = io_->Lock(db_, CIsamIo::kLockWriter, true, &granted);
      if (e || !granted) {
        *ext = e;
        result = ISAM_ERR_LOCKED;
        break;
      }
    }
    fileIdLo_ = rd32(hdr + kFhFileIdLo);
    fileIdHi_ = rd32(hdr + kFhFileIdHi);
    serial_ = 0;
    if (readOnly) {
      if (io_->Exists(walName_.c_str()) && io_->Open(walName_.c_str(), CIsamIo::kOpenRead, &wal_)) wal_ = nullptr;
    } else if ((e = io_->Open(walName_.c_str(), CIsamIo::kOpenAlways, &wal_)) != 0) {
      wal_ = nullptr;
      *ext = e;
      result = ISAM_ERR_OPEN;
      break;
    }
    result = recoverWal();
    if (result) break;
    // The header as of the last commit: from the log when it is there.
    header_ = newBlock(0, kFileHeaderUnits);
    if (!header_) {
      result = ISAM_ERR_NO_MEMORY;
      break;
    }
    auto w = walMap_.find(0);
    if (w != walMap_.end()) {
      result = readBlock(0, kFileHeaderUnits, header_->data);
    } else {
      memcpy(header_->data, hdr, sizeof(hdr));
    }
    if (!result && verify(header_->data, 0, kFileHeaderUnits, kKindFileHeader)) result = ISAM_ERR_CORRUPT;
    header_->kind = kKindFileHeader;
    if (result) {
      freeBlock(header_);
      header_ = nullptr;
      break;
    }
    cache_.emplace(0u, header_);
    cacheBytes_ += header_->Bytes();
    linkFront(header_);
    committedEnd_ = FileEnd();
    if (rd32(header_->data + kFhSerial) > serial_) serial_ = rd32(header_->data + kFhSerial);
    // Every committed block was written into the file before its commit.
    uint64_t dbSize = 0;
    if (committedEnd_ < kFileHeaderUnits || io_->Size(db_, &dbSize) || uint64_t(committedEnd_) * kUnit > dbSize) {
      result = ISAM_ERR_CORRUPT;
      break;
    }
    if (!readOnly && walEnd_ == 0) result = resetWal();
  } while (false);
  if (result) {
    dropAll();
    if (wal_) io_->Close(wal_);
    io_->Close(db_);
    wal_ = db_ = nullptr;
    readerLocked_ = false;
  }
  return result;
}

unsigned CIsamPager::Close(unsigned* ext) {
  *ext = 0;
  if (!db_) return ISAM_OK;
  unsigned result = ISAM_OK;
  if (inTx_) Rollback();
  if (!readOnly_ && wal_) {
    bool granted = false;
    unsigned e = io_->Lock(db_, CIsamIo::kLockReader, true, &granted);
    if (!e && granted) {
      // Nobody reads the log any more: copy it into the file and remove it.
      if (!walMap_.empty()) {
        result = checkpointCopy();
        if (!result) {
          e = flush(db_);
          if (e) {
            *ext = e;
            result = ISAM_ERR_FLUSH;
          }
        }
      }
      io_->Unlock(db_, CIsamIo::kLockReader);
      if (!result) {
        io_->Close(wal_);
        wal_ = nullptr;
        io_->Remove(walName_.c_str());
      }
    }
  }
  if (wal_) io_->Close(wal_);
  wal_ = nullptr;
  unsigned e = io_->Close(db_);
  if (e && !result) {
    *ext = e;
    result = ISAM_ERR_WRITE;
  }
  db_ = nullptr;
  dropAll();
  walMap_.clear();
  txWal_.clear();
  failed_ = false;
  return result;
}

// ---- transactions ----

unsigned CIsamPager::Begin() {
  if (readOnly_) return ISAM_ERR_READ_ONLY;
  if (failed_) return ISAM_ERR_FAILED;
  if (inTx_) return ISAM_ERR_IN_TRANSACTION;
  inTx_ = true;
  ++serial_;
  dbWritten_ = false;
  return ISAM_OK;
}

unsigned CIsamPager::writeOut(Block* b, std::unordered_map<uint32_t, WalEntry>* frames) {
  seal(b);
  if (b->addr >= committedEnd_) {
    unsigned e = io_->Write(db_, uint64_t(b->addr) * kUnit, b->data, b->Bytes());
    if (e) return fail(ISAM_ERR_WRITE, e);
    dbWritten_ = true;
    return ISAM_OK;
  }
  uint64_t off = 0;
  unsigned e = appendFrame(b->addr, b->units, 0, b->data, &off);
  if (e) return e;
  (*frames)[b->addr] = WalEntry{off, b->units};
  return ISAM_OK;
}

unsigned CIsamPager::Commit() {
  if (!inTx_) return ISAM_ERR_NO_TRANSACTION;
  if (failed_) return ISAM_ERR_FAILED;
  if (dirtyList_.empty() && txWal_.empty()) {
    inTx_ = false;
    return ISAM_OK;
  }
  Dirty(header_);
  wr32(header_->data + kFhSerial, serial_);
  unsigned e = ISAM_OK;
  // A checkpoint rides on this commit's file flush when the log is long, holds
  // nothing of this transaction and no reader needs it.
  bool checkpoint = false;
  if (walEnd_ > g_checkpointBytes && txWal_.empty()) {
    bool granted = false;
    if (!io_->Lock(db_, CIsamIo::kLockReader, true, &granted) && granted) {
      checkpoint = true;
      e = checkpointCopy();
      io_->Unlock(db_, CIsamIo::kLockReader);
      if (e) return e;
    }
  }
  std::sort(dirtyList_.begin(), dirtyList_.end(), [](const Block* a, const Block* b) { return a->addr < b->addr; });
  // New blocks into the file first, neighbours in one write.
  std::vector<uint8_t> run;
  uint64_t runStart = 0;
  uint64_t runEnd = 0;
  for (Block* b : dirtyList_) {
    if (b->addr < committedEnd_) continue;
    seal(b);
    if (!run.empty() && (b->addr != runEnd || run.size() >= kRunBytes)) {
      if ((e = io_->Write(db_, runStart * kUnit, run.data(), uint32_t(run.size()))) != 0)
        return fail(ISAM_ERR_WRITE, e);
      run.clear();
    }
    if (run.empty()) runStart = b->addr;
    run.insert(run.end(), b->data, b->data + b->Bytes());
    runEnd = uint64_t(b->addr) + b->units;
    dbWritten_ = true;
  }
  if (!run.empty() && (e = io_->Write(db_, runStart * kUnit, run.data(), uint32_t(run.size()))) != 0)
    return fail(ISAM_ERR_WRITE, e);
  if (dbWritten_) {
    unsigned f = flush(db_);
    if (f) return fail(ISAM_ERR_FLUSH, f);
    dbWritten_ = false;
  }
  if (checkpoint && (e = resetWal()) != 0) return e;
  std::unordered_map<uint32_t, WalEntry> frames;
  for (Block* b : dirtyList_) {
    if (b->addr >= committedEnd_) continue;
    if ((e = writeOut(b, &frames)) != 0) return e;
  }
  if ((e = appendFrame(0, 0, kFrameCommit, nullptr, nullptr)) != 0) return e;
  if ((e = flushWalBuffer()) != 0) return e;
  unsigned f = flush(wal_);
  if (f) return fail(ISAM_ERR_FLUSH, f);
  for (auto& kv : txWal_) walMap_[kv.first] = kv.second;
  for (auto& kv : frames) walMap_[kv.first] = kv.second;
  txWal_.clear();
  for (Block* b : dirtyList_) b->dirty = false;
  dirtyList_.clear();
  walEnd_ = walWrite_;
  committedEnd_ = FileEnd();
  inTx_ = false;
  return ISAM_OK;
}

unsigned CIsamPager::reloadHeader() {
  header_ = newBlock(0, kFileHeaderUnits);
  if (!header_) return ISAM_ERR_NO_MEMORY;
  unsigned e = ISAM_OK;
  if (walMap_.count(0)) {
    e = readBlock(0, kFileHeaderUnits, header_->data);
  } else {
    uint32_t done = 0;
    unsigned r = io_->Read(db_, 0, header_->data, header_->Bytes(), &done);
    e = r ? ISAM_ERR_READ : done != header_->Bytes() ? ISAM_ERR_CORRUPT : ISAM_OK;
  }
  if (!e && verify(header_->data, 0, kFileHeaderUnits, kKindFileHeader)) e = ISAM_ERR_CORRUPT;
  header_->kind = kKindFileHeader;
  if (e) {
    freeBlock(header_);
    header_ = nullptr;
    return e;
  }
  cache_.emplace(0u, header_);
  cacheBytes_ += header_->Bytes();
  linkFront(header_);
  return ISAM_OK;
}

void CIsamPager::Rollback() {
  inTx_ = false;
  failed_ = false;
  ++generation_;
  dropAll();
  txWal_.clear();
  walBuf_.clear();
  walWrite_ = walBufStart_ = walEnd_;
  dbWritten_ = false;
  if (reloadHeader() != ISAM_OK) {
    // Without a header nothing can go on; every later call fails.
    failed_ = true;
    inTx_ = true;
  }
}

// Second chance: a block used since the hand last passed it goes to the front
// once more; the others leave, oldest first.
void CIsamPager::Trim() {
  if (cacheBytes_ <= budget_) return;
  Block* b = lruTail_;
  size_t chances = cache_.size();
  while (b && cacheBytes_ > budget_) {
    Block* prev = b->prev;
    if (b->referenced && chances > 0) {
      --chances;
      b->referenced = false;
      if (b != lruHead_) {
        unlink(b);
        linkFront(b);
      }
      b = prev ? prev : lruTail_;
      continue;
    }
    if (b != header_) {
      if (b->dirty) {
        // Spill: the block leaves the cache before its transaction ends.
        if (!inTx_ || failed_) break;
        if (writeOut(b, &txWal_) != ISAM_OK) break;
        b->dirty = false;
        Block* last = dirtyList_.back();
        dirtyList_[b->dirtyIndex] = last;
        last->dirtyIndex = b->dirtyIndex;
        dirtyList_.pop_back();
      }
      unlink(b);
      ++epoch_;
      if (fast_[b->addr & fastMask_] == b) fast_[b->addr & fastMask_] = nullptr;
      cache_.erase(b->addr);
      cacheBytes_ -= b->Bytes();
      freeBlock(b);
    }
    b = prev;
  }
}

}  // namespace isam
