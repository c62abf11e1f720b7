#include "isam_pager.h"

#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <atomic>

namespace {

CIsamIo* g_io = nullptr;
uint64_t g_checkpointBytes = 32u << 20;
uint64_t g_walBufferBytes = 1u << 20;
std::atomic<uint64_t> g_flushes{0};

constexpr size_t kRunBytes = 4u << 20;
constexpr size_t kDefaultCache = size_t(64) << 20;
// A reader waits at most about a minute for a writer to finish copying its log
// into the file (the copy of a 32 MB log and a flush).
constexpr unsigned kReaderWaits = 6000;
constexpr unsigned kReaderPause = 10;
// The system error of a missing file: ENOENT and ERROR_FILE_NOT_FOUND alike.
constexpr unsigned kNoSuchFile = 2;

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
uint64_t ztIsamSetLogBufferBytes(uint64_t bytes) {
  uint64_t old = g_walBufferBytes;
  g_walBufferBytes = bytes;
  return old;
}

namespace isam {

CIsamPager::CIsamPager()
    : io_(ztIsamCurrentIo()),
      db_(nullptr),
      wal_(nullptr),
      readOnly_(false),
      writer_(false),
      writerLocked_(false),
      acceptLogLoss_(false),
      namedOnClose_(false),
      created_(false),
      writeDenied_(0),
      lostCommits_(0),
      logError_(0),
      logUnreadable_(false),
      txFrames_(0),
      txRewritten_(false),
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
      walVersion_(kWalVersion),
      walSeed_(0),
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

unsigned CIsamPager::AppendChained(uint32_t units, uint16_t kind, Block* owner, uint8_t* freeHead, Block* last,
                                   uint32_t nextOffset, Block* headOwner, uint8_t* head, Block** out) {
  unsigned e = Allocate(units, kind, owner, freeHead, out);
  if (e) return e;
  if (last) {
    Dirty(last);
    wr32(last->data + nextOffset, (*out)->addr);
  } else {
    Dirty(headOwner);
    wr32(head, (*out)->addr);
  }
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

// The header of a frame of the open transaction (a commit frame counts its frames).
void CIsamPager::frameHeader(uint32_t addr, uint32_t units, uint32_t flags, const uint8_t* data, uint8_t* fh) const {
  memset(fh, 0, kFrameHeader);
  wr32(fh + kFrSalt, salt_);
  wr32(fh + kFrSerial, serial_);
  wr32(fh + kFrAddr, addr);
  wr32(fh + kFrUnits, units);
  wr32(fh + kFrFlags, flags);
  wr32(fh + kFrFileEnd, FileEnd());
  if (flags & kFrameCommit) wr32(fh + kFrFrames, txFrames_);
  uint32_t size = units * kUnit;
  uint32_t crc = crc32c(walSeed_, fh, kFrCrc);
  if (size) crc = crc32c(crc, data, size);
  wr32(fh + kFrCrc, crc);
}

unsigned CIsamPager::appendFrame(uint32_t addr, uint32_t units, uint32_t flags, const uint8_t* data,
                                 uint64_t* dataOffset) {
  if (walBufStart_ + walBuf_.size() != walWrite_) {
    unsigned e = flushWalBuffer();
    if (e) return e;
    walBufStart_ = walWrite_;
  }
  if (!flags) ++txFrames_;
  uint8_t fh[kFrameHeader];
  frameHeader(addr, units, flags, data, fh);
  uint32_t size = units * kUnit;
  walBuf_.insert(walBuf_.end(), fh, fh + kFrameHeader);
  if (size) walBuf_.insert(walBuf_.end(), data, data + size);
  if (dataOffset) *dataOffset = walWrite_ + kFrameHeader;
  walWrite_ += kFrameHeader + size;
  if (walBuf_.size() >= g_walBufferBytes) return flushWalBuffer();
  return ISAM_OK;
}

// Writes a block's frame of the open transaction again, in its place (at: the
// frame's header). Uncommitted frames are nobody's but this transaction's.
unsigned CIsamPager::rewriteFrame(uint64_t at, const Block* b) {
  const uint32_t size = kFrameHeader + b->Bytes();
  const bool buffered = at >= walBufStart_ && at + size <= walBufStart_ + walBuf_.size();
  // Frames enter and leave the write buffer whole, so that one not in it lies
  // wholly before it; were it otherwise, the buffer goes first.
  if (!buffered && at + size > walBufStart_) {
    unsigned e = flushWalBuffer();
    if (e) return e;
  }
  if (!buffered && frameBuf_.size() < size) frameBuf_.resize(size);
  uint8_t* p = buffered ? walBuf_.data() + (at - walBufStart_) : frameBuf_.data();
  frameHeader(b->addr, b->units, 0, b->data, p);
  memcpy(p + kFrameHeader, b->data, b->Bytes());
  if (buffered) return ISAM_OK;
  unsigned e = io_->Write(wal_, at, p, size);
  if (e) return fail(ISAM_ERR_WRITE, e);
  txRewritten_ = true;
  return ISAM_OK;
}

// The log's header with the current salt and the file's identity.
unsigned CIsamPager::writeHeader() {
  uint8_t wh[kWalHeader] = {};
  wr32(wh + kWhMagic, kWalMagic);
  wr32(wh + kWhVersion, walVersion_);
  wr32(wh + kWhIdLo, fileIdLo_);
  wr32(wh + kWhIdHi, fileIdHi_);
  wr32(wh + kWhSalt, salt_);
  wr32(wh + kWhCrc, crc32c(0, wh, kWhCrc));
  unsigned e = io_->Write(wal_, 0, wh, kWalHeader);
  return e ? fail(ISAM_ERR_WRITE, e) : ISAM_OK;
}

// Starts the log anew: emptied, a new salt, the current format. A log that
// cannot be emptied stays the log, so that no frame of the new salt follows the
// header of the old one.
unsigned CIsamPager::resetWal() {
  unsigned e = io_->Truncate(wal_, 0);
  if (e) return fail(ISAM_ERR_WRITE, e);
  salt_ = randomWord();
  walVersion_ = kWalVersion;
  walSeed_ = LogFrameSeed(walVersion_, fileIdLo_, fileIdHi_);
  walBuf_.clear();
  walMap_.clear();
  walEnd_ = walWrite_ = walBufStart_ = kWalHeader;
  return writeHeader();
}

// Takes what a scan of the log found as the state of the log.
unsigned CIsamPager::installLog(LogScan& scan) {
  walMap_.swap(scan.blocks);
  salt_ = scan.salt;
  walVersion_ = scan.version ? scan.version : kWalVersion;
  walSeed_ = LogFrameSeed(walVersion_, fileIdLo_, fileIdHi_);
  walEnd_ = walWrite_ = walBufStart_ = scan.end;
  walBuf_.clear();
  lostCommits_ = scan.lostCommits;
  // Transactions beyond damage are overtaken by every later one.
  if (scan.maxSerial > serial_) serial_ = scan.maxSerial;
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

// The shared reader lock, waiting while a writer copies its log into the file.
// Where the system has no such locks the file is read without.
unsigned CIsamPager::lockReader() {
  for (unsigned attempt = 0;; ++attempt) {
    bool granted = false;
    unsigned e = io_->Lock(db_, CIsamIo::kLockReader, false, &granted);
    if (e || granted) {
      readerLocked_ = !e;
      return ISAM_OK;
    }
    if (attempt >= kReaderWaits) return ISAM_ERR_LOCKED;
    io_->Pause(attempt < 20 ? 1 : kReaderPause);
  }
}

void CIsamPager::closeHandles() {
  if (wal_) io_->Close(wal_);
  if (db_) io_->Close(db_);
  wal_ = db_ = nullptr;
  readerLocked_ = writerLocked_ = writer_ = false;
}

unsigned CIsamPager::Create(const char* name, bool namedOnClose, unsigned* ext) {
  finalName_ = name;
  name_ = namedOnClose ? finalName_ + "-new" : finalName_;
  walName_ = name_ + "-wal";
  if (io_->Exists(name)) return ISAM_ERR_EXISTS;
  if (namedOnClose && io_->Exists(name_.c_str())) {
    // Left by a program that did not finish its file, unless one is building it now.
    ZTIoHandle h = nullptr;
    bool granted = false;
    if (!io_->Open(name_.c_str(), CIsamIo::kOpenWrite, &h)) {
      unsigned e = io_->Lock(h, CIsamIo::kLockWriter, true, &granted);
      granted = granted || e;
      io_->Close(h);
      if (!granted) return ISAM_ERR_LOCKED;
    }
    io_->Remove(walName_.c_str());
    unsigned e = io_->Remove(name_.c_str());
    if (e) {
      *ext = e;
      return ISAM_ERR_CREATE;
    }
  }
  unsigned e = io_->Open(name_.c_str(), CIsamIo::kCreateNew, &db_);
  if (e) {
    db_ = nullptr;
    *ext = e;
    return io_->Exists(name_.c_str()) ? ISAM_ERR_EXISTS : ISAM_ERR_CREATE;
  }
  // The writer byte before anything else, so that nobody takes the new file for a leftover.
  bool granted = false;
  writerLocked_ = !io_->Lock(db_, CIsamIo::kLockWriter, true, &granted) && granted;
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
  e = io_->Write(db_, 0, hdr, sizeof(hdr));
  if (!e) e = flush(db_);
  if (e) {
    *ext = e;
    closeHandles();
    io_->Remove(name_.c_str());
    return ISAM_ERR_CREATE;
  }
  created_ = true;
  namedOnClose_ = namedOnClose;
  // A log left over from an earlier file of the same name belongs to that file.
  if (io_->Exists(walName_.c_str())) io_->Remove(walName_.c_str());
  unsigned result = attach(ext);
  if (!result) result = BecomeWriter();
  if (result) {
    dropAll();
    closeHandles();
    io_->Remove(walName_.c_str());
    io_->Remove(name_.c_str());
    created_ = false;
  }
  return result;
}

unsigned CIsamPager::Open(const char* name, bool readOnly, bool acceptLogLoss, unsigned* ext) {
  finalName_ = name_ = name;
  walName_ = name_ + "-wal";
  readOnly_ = readOnly;
  acceptLogLoss_ = acceptLogLoss;
  if (!io_->Exists(name)) {
    *ext = kNoSuchFile;
    return ISAM_ERR_OPEN;
  }
  // Mode 4 opens the file for writing where it can, so that its first change
  // needs no second handle; a file that cannot be written is still read.
  unsigned e = readOnly ? 1 : io_->Open(name, CIsamIo::kOpenWrite, &db_);
  if (e) {
    writeDenied_ = readOnly ? 0 : e;
    db_ = nullptr;
    e = io_->Open(name, CIsamIo::kOpenRead, &db_);
    if (e) {
      db_ = nullptr;
      *ext = e;
      return ISAM_ERR_OPEN;
    }
  }
  unsigned result = attach(ext);
  if (result) {
    dropAll();
    closeHandles();
  }
  return result;
}

// Reads the file as a reader: the reader lock, the header, the committed log.
unsigned CIsamPager::attach(unsigned* ext) {
  unsigned result = lockReader();
  if (result) return result;
  // The signature first, so that foreign files get a clear answer.
  uint8_t hdr[kFileHeaderUnits * kUnit];
  uint32_t done = 0;
  unsigned e = io_->Read(db_, 0, hdr, sizeof(hdr), &done);
  if (e) {
    *ext = e;
    return ISAM_ERR_READ;
  }
  // A file cut short inside its signature is a damaged ISAM file, not a foreign one.
  static const uint8_t kSignature[16] = {0, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0, 0, 'I', 'S', 'A', 'M'};
  if (done < 16) {
    bool prefix = done >= 4 && memcmp(hdr, kSignature, 4) == 0;
    for (uint32_t i = 8; prefix && i < done; ++i)
      if ((i < 10 || i >= 12) && hdr[i] != kSignature[i]) prefix = false;
    return prefix ? ISAM_ERR_CORRUPT : ISAM_ERR_NOT_ISAM;
  }
  if (rd32(hdr) != 0 || rd16(hdr + kFhMarker) != 0xFFFF || memcmp(hdr + kFhMagic, "ISAM", 4) != 0)
    return ISAM_ERR_NOT_ISAM;
  if (rd32(hdr + kFhVersion) != kFormatVersion) return ISAM_ERR_VERSION;
  if (done < sizeof(hdr)) return ISAM_ERR_CORRUPT;
  fileIdLo_ = rd32(hdr + kFhFileIdLo);
  fileIdHi_ = rd32(hdr + kFhFileIdHi);
  serial_ = 0;

  LogScan scan;
  if (io_->Exists(walName_.c_str())) {
    e = io_->Open(walName_.c_str(), CIsamIo::kOpenRead, &wal_);
    if (e) {
      wal_ = nullptr;
      logError_ = e == kNoSuchFile ? 0 : e;  // gone meanwhile: copied into the file
      logUnreadable_ = e != kNoSuchFile;
    } else if ((result = ScanLog(io_, wal_, fileIdLo_, fileIdHi_, true, rd32(hdr + kFhSerial), &scan, &logError_)) !=
               0) {
      logUnreadable_ = true;
      io_->Close(wal_);
      wal_ = nullptr;
      scan = LogScan();
    }
    if (logUnreadable_ && !acceptLogLoss_) {
      *ext = logError_;
      return ISAM_ERR_LOG_UNREADABLE;
    }
    if (scan.lostCommits && !acceptLogLoss_) {
      *ext = scan.lostCommits;
      return ISAM_ERR_LOG_DAMAGED;
    }
  }
  installLog(scan);
  // The header as of the last commit: from the log when it is there.
  result = reloadHeader();
  if (result) return result;
  committedEnd_ = FileEnd();
  if (rd32(header_->data + kFhSerial) > serial_) serial_ = rd32(header_->data + kFhSerial);
  // Every committed block was written into the file before its commit.
  uint64_t dbSize = 0;
  if (committedEnd_ < kFileHeaderUnits || io_->Size(db_, &dbSize) || uint64_t(committedEnd_) * kUnit > dbSize)
    return ISAM_ERR_CORRUPT;
  return ISAM_OK;
}

unsigned CIsamPager::openLogForWriting(bool* created) {
  *created = !io_->Exists(walName_.c_str());
  ZTIoHandle h = nullptr;
  unsigned e = io_->Open(walName_.c_str(), CIsamIo::kOpenAlways, &h);
  if (e) {
    detail_ = e;
    return ISAM_ERR_NOT_WRITABLE;
  }
  if (wal_) io_->Close(wal_);
  wal_ = h;
  return ISAM_OK;
}

unsigned CIsamPager::BecomeWriter() {
  if (writer_) return ISAM_OK;
  if (readOnly_) return ISAM_ERR_READ_ONLY;
  if (failed_) return ISAM_ERR_FAILED;
  detail_ = 0;
  if (writeDenied_) {
    detail_ = writeDenied_;
    return ISAM_ERR_NOT_WRITABLE;
  }
  if (!writerLocked_) {
    bool granted = false;
    unsigned e = io_->Lock(db_, CIsamIo::kLockWriter, true, &granted);
    if (e || !granted) {
      detail_ = e;
      return ISAM_ERR_LOCKED;
    }
    writerLocked_ = true;
  }
  // Holding the writer byte, nobody else changes the file: read its newest state.
  bool created = false;
  unsigned result = openLogForWriting(&created);
  LogScan scan;
  unsigned logError = 0;
  if (!result && (result = ScanLog(io_, wal_, fileIdLo_, fileIdHi_, false, rd32(header_->data + kFhSerial), &scan,
                                   &logError)) != 0) {
    detail_ = logError;
    if (acceptLogLoss_) {
      // What cannot be read is given up: the log starts anew.
      scan = LogScan();
      result = ISAM_OK;
    }
  }
  if (!result && scan.lostCommits && !acceptLogLoss_) {
    detail_ = scan.lostCommits;
    result = ISAM_ERR_LOG_DAMAGED;
  }
  // A log with nothing usable starts anew; frames that outlived a damaged header
  // get it back with their salt.
  if (!result && (scan.end == 0 || !scan.headerOk)) {
    bool fresh = scan.end == 0;
    salt_ = fresh ? randomWord() : scan.salt;
    walVersion_ = fresh ? kWalVersion : scan.version;
    unsigned e = fresh ? io_->Truncate(wal_, 0) : 0;
    if (!e) result = writeHeader();
    if (e) {
      detail_ = e;
      result = ISAM_ERR_WRITE;
    }
    if (!result && fresh) {
      scan.blocks.clear();
      scan.end = kWalHeader;
      scan.salt = salt_;
      scan.version = walVersion_;
    }
  }
  if (result) {
    if (wal_) io_->Close(wal_);
    wal_ = nullptr;
    if (created) io_->Remove(walName_.c_str());
    io_->Unlock(db_, CIsamIo::kLockWriter);
    writerLocked_ = false;
    return result;
  }
  writer_ = true;
  ++generation_;
  dropAll();
  installLog(scan);
  if ((result = reloadHeader()) != 0) return fail(result, 0);
  committedEnd_ = FileEnd();
  if (rd32(header_->data + kFhSerial) > serial_) serial_ = rd32(header_->data + kFhSerial);
  // The writer needs no reader lock: only it could copy the log into the file.
  if (readerLocked_) io_->Unlock(db_, CIsamIo::kLockReader);
  readerLocked_ = false;
  return ISAM_OK;
}

// Copies the log into the file and starts it anew (or, closing, removes it),
// holding the reader byte exclusively from the copy to the new start so that no
// reader sees the file half copied or the log half new, and none has the log open
// while it is removed. wait: wait for readers to finish (else *done stays false
// while any reads).
unsigned CIsamPager::checkpoint(bool wait, bool closing, bool* done) {
  *done = false;
  bool granted = false;
  for (unsigned attempt = 0;; ++attempt) {
    unsigned e = io_->Lock(db_, CIsamIo::kLockReader, true, &granted);
    if (e) granted = true;  // no locks on this system: nobody to wait for
    if (granted || !wait || attempt >= kReaderWaits) break;
    io_->Pause(attempt < 20 ? 1 : kReaderPause);
  }
  if (!granted) return ISAM_OK;
  unsigned result = ISAM_OK;
  if (!walMap_.empty()) {
    result = checkpointCopy();
    if (!result) {
      unsigned f = flush(db_);
      if (f) result = fail(ISAM_ERR_FLUSH, f);
      dbWritten_ = false;
    }
  }
  if (!result && closing) {
    io_->Close(wal_);
    wal_ = nullptr;
    io_->Remove(walName_.c_str());
  } else if (!result) {
    result = resetWal();
  }
  io_->Unlock(db_, CIsamIo::kLockReader);
  *done = !result;
  return result;
}

unsigned CIsamPager::Close(unsigned* ext) {
  *ext = 0;
  if (!db_) return ISAM_OK;
  unsigned result = ISAM_OK;
  if (inTx_) Rollback();
  if (writer_ && wal_) {
    // Nobody reads the log any more: copy it into the file and remove it. A new
    // file that gets its name now waits for readers of it.
    bool done = false;
    result = checkpoint(namedOnClose_, true, &done);
    if (done) {
      // copied and removed
    } else if (!result && namedOnClose_) {
      result = ISAM_ERR_LOCKED;
    } else if (!result && walEnd_ > kWalHeader) {
      // Readers keep the log: its end is marked, so that damage before the mark
      // cannot pass for the torn tail of a crash.
      result = appendFrame(0, 0, kFrameClosed, nullptr, nullptr);
      if (!result) result = flushWalBuffer();
      if (!result) {
        unsigned f = flush(wal_);
        if (f) result = fail(ISAM_ERR_FLUSH, f);
      }
    }
    if (result) *ext = detail_;
  }
  if (namedOnClose_) {
    // The file is complete: it gets its name while it is still locked. A log
    // under that name belongs to a file that is gone.
    if (!result) {
      std::string orphan = finalName_ + "-wal";
      if (io_->Exists(orphan.c_str())) io_->Remove(orphan.c_str());
      unsigned e = io_->Rename(name_.c_str(), finalName_.c_str());
      if (e) {
        *ext = e;
        result = io_->Exists(finalName_.c_str()) ? ISAM_ERR_EXISTS : ISAM_ERR_WRITE;
      }
    }
    if (result) {
      closeHandles();
      io_->Remove(walName_.c_str());
      io_->Remove(name_.c_str());
    }
  }
  if (wal_) io_->Close(wal_);
  wal_ = nullptr;
  if (db_) {
    unsigned e = io_->Close(db_);
    if (e && !result) {
      *ext = e;
      result = ISAM_ERR_WRITE;
    }
  }
  db_ = nullptr;
  readerLocked_ = writerLocked_ = writer_ = false;
  dropAll();
  walMap_.clear();
  txWal_.clear();
  failed_ = false;
  return result;
}

unsigned CIsamPager::Discard(unsigned* ext) {
  *ext = 0;
  if (!db_) return ISAM_OK;
  if (!created_) return ISAM_ERR_ARGUMENT;
  if (inTx_) Rollback();
  closeHandles();
  dropAll();
  walMap_.clear();
  txWal_.clear();
  failed_ = false;
  io_->Remove(walName_.c_str());
  unsigned e = io_->Remove(name_.c_str());
  if (e) {
    *ext = e;
    return ISAM_ERR_WRITE;
  }
  return ISAM_OK;
}

// ---- transactions ----

unsigned CIsamPager::Begin() {
  if (readOnly_) return ISAM_ERR_READ_ONLY;
  if (failed_) return ISAM_ERR_FAILED;
  if (inTx_) return ISAM_ERR_IN_TRANSACTION;
  unsigned e = BecomeWriter();
  if (e) return e;
  // A long log is copied into the file before the transaction writes to it:
  // all of it is committed now (at the commit, blocks the transaction wrote out
  // early would be in it), and the copy waits for no reader.
  if (walEnd_ > g_checkpointBytes) {
    bool done = false;
    if ((e = checkpoint(false, false, &done)) != 0) return e;
  }
  inTx_ = true;
  ++serial_;
  txFrames_ = 0;
  txRewritten_ = false;
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
  // A block the transaction has logged already (it left the cache before) gets
  // its frame written over: the log holds each block once per transaction.
  auto logged = txWal_.find(b->addr);
  if (logged != txWal_.end() && logged->second.units == b->units)
    return rewriteFrame(logged->second.offset - kFrameHeader, b);
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
  std::unordered_map<uint32_t, WalEntry> frames;
  for (Block* b : dirtyList_) {
    if (b->addr >= committedEnd_) continue;
    if ((e = writeOut(b, &frames)) != 0) return e;
  }
  // A frame written over in the log may be on the disk in its earlier version,
  // which checks as well as the new one: the frames are made durable before the
  // commit frame can be.
  if (txRewritten_) {
    if ((e = flushWalBuffer()) != 0) return e;
    unsigned f = flush(wal_);
    if (f) return fail(ISAM_ERR_FLUSH, f);
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
  txFrames_ = 0;
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
