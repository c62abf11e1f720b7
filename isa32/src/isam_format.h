// On-disk layout of an ISAM file: constants and little-endian accessors.
// docs/isam-format.md describes the format in full.
#pragma once

#include <stdint.h>
#include <string.h>

namespace isam {

// Space is allocated in units of 64 bytes; block addresses count units.
constexpr uint32_t kUnit = 64;
// Version 2: inner index nodes count the entries under each child.
constexpr uint32_t kFormatVersion = 2;
constexpr uint16_t kFormatMinor = 0;

// Every block starts with this header (the file header block carries it at byte 16).
constexpr uint32_t kBlockHeader = 16;
constexpr uint32_t kHdrCrc = 0;    // u32 checksum of the block without this field
constexpr uint32_t kHdrKind = 4;   // u16 block kind
constexpr uint32_t kHdrUnits = 8;  // u32 size in units
constexpr uint32_t kHdrAddr = 12;  // u32 own address

enum BlockKind : uint16_t {
  kKindFileHeader = 1,
  kKindCatalog = 2,
  kKindTable = 3,
  kKindDirectory = 4,
  kKindData = 5,
  kKindLeaf = 6,
  kKindInner = 7,
  kKindDesc = 8,
  kKindFree = 9,
  kKindLast = 9
};

// File header block: address 0, 8 units.
constexpr uint32_t kFileHeaderUnits = 8;
constexpr uint32_t kFhVersion = 4;       // u32 format version
constexpr uint32_t kFhMarker = 8;        // u16 0xFFFF
constexpr uint32_t kFhMinor = 10;        // u16 minor version
constexpr uint32_t kFhMagic = 12;        // "ISAM"
constexpr uint32_t kFhBlock = 16;        // block header
constexpr uint32_t kFhFileEnd = 32;      // u32 units in use
constexpr uint32_t kFhTableCount = 36;   // u32
constexpr uint32_t kFhCatalogHead = 40;  // u32 first catalogue block
constexpr uint32_t kFhCatalogTail = 44;  // u32 last catalogue block
constexpr uint32_t kFhFreeDesc = 48;     // u32 first free description block
constexpr uint32_t kFhFileIdLo = 52;     // u32 random identity (pairs the write-ahead log)
constexpr uint32_t kFhFileIdHi = 56;     // u32
constexpr uint32_t kFhSerial = 60;       // u32 serial of the last transaction

// Catalogue block: 64 units; next, count, then (name[32], table block) entries.
constexpr uint32_t kCatalogUnits = 64;
constexpr uint32_t kCatNext = 16;
constexpr uint32_t kCatCount = 20;
constexpr uint32_t kCatEntries = 24;
constexpr uint32_t kCatEntrySize = 36;
constexpr uint32_t kCatCapacity = (kCatalogUnits * kUnit - kCatEntries) / kCatEntrySize;

// Table block: 32 units.
constexpr uint32_t kTableUnits = 32;
constexpr uint32_t kTbName = 16;        // char[32]
constexpr uint32_t kTbRecordSize = 48;  // u32
constexpr uint32_t kTbNodeSize = 52;    // u32
constexpr uint32_t kTbKeyCount = 56;    // u32
constexpr uint32_t kTbPerBlock = 60;    // u32 records per data block
constexpr uint32_t kTbDataUnits = 64;   // u32 units of a data block
constexpr uint32_t kTbRecords = 68;     // u32 records in use
constexpr uint32_t kTbHighWater = 72;   // u32 record numbers handed out
constexpr uint32_t kTbFreeRecord = 76;  // u32 first free record address (0: none)
constexpr uint32_t kTbDirHead = 80;     // u32 first directory block
constexpr uint32_t kTbDirTail = 84;     // u32 last directory block
constexpr uint32_t kTbDataBlocks = 88;  // u32 number of data blocks
constexpr uint32_t kTbFreeNode = 92;    // u32 first free index node
constexpr uint32_t kTbDesc = 96;        // ISAM_DESC_SLOTS x (u32 first block, u32 size)
constexpr uint32_t kTbKeys = 128;       // keys, kKeyDefSize each
constexpr uint32_t kKeyDefSize = 56;
// Key definition inside the table block.
constexpr uint32_t kKdOptions = 0;     // 5 bytes
constexpr uint32_t kKdPartCount = 5;   // 1 byte
constexpr uint32_t kKdParts = 6;       // 4 x (type, offset, length) as u16
constexpr uint32_t kKdRoot = 32;       // u32 root node (0: empty)
constexpr uint32_t kKdHeight = 36;     // u32 levels
constexpr uint32_t kKdEntries = 40;    // u32
constexpr uint32_t kKdNodes = 44;      // u32
constexpr uint32_t kKdKeyLength = 48;  // u32

// Directory block: 64 units; next, count, data block addresses.
constexpr uint32_t kDirUnits = 64;
constexpr uint32_t kDirNext = 16;
constexpr uint32_t kDirCount = 20;
constexpr uint32_t kDirEntries = 24;
constexpr uint32_t kDirCapacity = (kDirUnits * kUnit - kDirEntries) / 4;

// Data block: header, in-use bitmap, records.
constexpr uint32_t kDataBitmap = 16;
constexpr uint32_t kDataTarget = 2048;  // bytes a new table's data blocks aim at

// Index node: block header, u16 entry count, then the node's entries.
constexpr uint32_t kNodeCount = 16;
constexpr uint32_t kNodeEntries = 18;
constexpr uint32_t kNodeHeader = 2;  // bytes of the node size the count takes

// Description block: 64 units; next, bytes used, text.
constexpr uint32_t kDescUnits = 64;
constexpr uint32_t kDescNext = 16;
constexpr uint32_t kDescUsed = 20;
constexpr uint32_t kDescText = 24;
constexpr uint32_t kDescCapacity = kDescUnits * kUnit - kDescText;

// Free block: next free block of the same list.
constexpr uint32_t kFreeNext = 16;

// Write-ahead log: header, then frames.
constexpr uint32_t kWalHeader = 32;
constexpr uint32_t kWalMagic = 0x4C41575Au;  // "ZWAL"
// Version 2 seeds every frame checksum with the file identity and counts the
// frames of a transaction in its commit frame; version 1 logs are still read.
constexpr uint32_t kWalVersion = 2;
constexpr uint32_t kWhMagic = 0;
constexpr uint32_t kWhVersion = 4;
constexpr uint32_t kWhIdLo = 8;
constexpr uint32_t kWhIdHi = 12;
constexpr uint32_t kWhSalt = 16;
constexpr uint32_t kWhCrc = 28;
constexpr uint32_t kFrameHeader = 32;
constexpr uint32_t kFrSalt = 0;
constexpr uint32_t kFrSerial = 4;
constexpr uint32_t kFrAddr = 8;
constexpr uint32_t kFrUnits = 12;
constexpr uint32_t kFrFlags = 16;
constexpr uint32_t kFrFileEnd = 20;
constexpr uint32_t kFrFrames = 24;  // commit frame: frames of its transaction before it
constexpr uint32_t kFrCrc = 28;
constexpr uint32_t kFrameCommit = 1;
// A writer that closes while readers keep the log ends it with this frame: every
// transaction before it is complete, so damage before it is data loss.
constexpr uint32_t kFrameClosed = 2;
constexpr uint32_t kFrameMaxUnits = 0x10000;

inline uint16_t rd16(const uint8_t* p) {
  uint16_t v;
  memcpy(&v, p, 2);
  return v;
}
inline uint32_t rd32(const uint8_t* p) {
  uint32_t v;
  memcpy(&v, p, 4);
  return v;
}
inline void wr16(uint8_t* p, uint16_t v) { memcpy(p, &v, 2); }
inline void wr32(uint8_t* p, uint32_t v) { memcpy(p, &v, 4); }

inline uint32_t unitsFor(uint32_t bytes) { return (bytes + kUnit - 1) / kUnit; }

// CRC-32C of a byte range, continuing from crc (start with 0).
uint32_t crc32c(uint32_t crc, const void* data, size_t length);

}  // namespace isam
