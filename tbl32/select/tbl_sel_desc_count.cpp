// Counting the records a selection picks: through an index between key limits,
// from the index's keys alone where they hold every column the selection tests,
// or through every record in stored order.
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "select_ids.h"
#include "zt_isa32.h"
#include "zt_lib32/strings.h"
#include "zt_tbl32/key_desc.h"
#include "zt_tbl32/field_desc.h"
#include "zt_tbl32/table_desc.h"
#include "zt_tbl32/tbl_sel_desc.h"

namespace {

constexpr unsigned kBatchBytes = 64 * 1024;
// Reading one index key costs about as much as this share of placing one record
// by its number in the index.
constexpr unsigned kKeysPerPlacing = 128;

inline bool Present(const SZTDataCompLink& link) { return link.fAlloc && link.pOper; }

// One part of a key as the engine stores it: where its field lies in the
// record and where its ordered form lies in the key entry.
struct KeyPart {
  unsigned type, offset, length, keyOffset;
  bool needed;
};

struct KeyLayout {
  KeyPart parts[4];
  unsigned partCount = 0;
  unsigned entrySize = 0;
  unsigned recordSize = 0;
};

unsigned Rd16(const unsigned char* p) { return p[0] | unsigned(p[1]) << 8; }
unsigned Rd32(const unsigned char* p) { return Rd16(p) | Rd16(p + 2) << 16; }

unsigned ReadLayout(ISAMTABLE table, unsigned keyIndex, KeyLayout* layout) {
  unsigned char desc[ISAM_DESC_SIZE];
  unsigned e = ISAMGetIndexDesc(table, keyIndex, desc);
  if (!e) e = ISAMKeyEntrySize(table, keyIndex, &layout->entrySize);
  if (!e) e = ISAMGetDataRecSize(table, &layout->recordSize);
  if (e) return e;
  layout->partCount = desc[ISAM_DESC_PART_COUNT] <= 4 ? desc[ISAM_DESC_PART_COUNT] : 4;
  unsigned at = 0;
  for (unsigned i = 0; i < layout->partCount; ++i) {
    KeyPart& p = layout->parts[i];
    const unsigned char* d = desc + ISAM_DESC_PARTS + i * 8;
    p.type = Rd16(d);
    p.offset = Rd16(d + 2);
    p.length = Rd16(d + 4);
    p.keyOffset = at;
    p.needed = false;
    at += p.type == ISAM_KEY_NUMTEXT ? 2 * p.length : p.length;
  }
  return 0;
}

// Whether folding to lower case, as a case-ignoring key does, changes nothing a
// case-ignoring pattern looks at: the upper case letter, blanks, digits, the end.
bool FoldingKeepsPatterns() {
  static const bool keeps = [] {
    for (unsigned c = 0; c < 256; ++c) {
      const unsigned char l = ztToLower(static_cast<unsigned char>(c));
      const bool blank = c == ' ' || c == '\t', digit = c >= '0' && c <= '9';
      if (ztToUpper(l) != ztToUpper(static_cast<unsigned char>(c)) || (l == ' ' || l == '\t') != blank ||
          (l >= '0' && l <= '9') != digit || (l == 0) != (c == 0))
        return false;
    }
    return true;
  }();
  return keeps;
}

// The record bytes of a key part come back from its ordered form exactly.
bool Reversible(unsigned type) {
  return type == ISAM_KEY_TEXT || (type >= ISAM_KEY_UINT8 && type <= ISAM_KEY_EXTENDED) || type == ISAM_KEY_UTEXT;
}

// A comparison that ignores case, on text compared as stored, is decided by the
// folded bytes of a case-ignoring key as well.
bool DecidedByFoldedText(const SZTDataCompExpr* expr, const CZTFieldDesc& field) {
  const unsigned display = ztFmtKind(field.m_uDisplayType);
  return (expr->Func == ZT_SEL_EQ_PATTERN || expr->Func == ZT_SEL_NE_PATTERN) && expr->fCase &&
         field.m_uEncodeType == iteASCIITEXT && ztSelTextKind(display) && FoldingKeepsPatterns();
}

// Every comparison's field lies within one part that gives its bytes back (or
// what the comparison looks at); those parts are marked needed.
bool Covered(const SZTDataCompLink* link, const CZTTableDesc* desc, KeyLayout* layout) {
  for (;;) {
    if (!Present(*link)) return true;
    if (link->pOper->idRec == ZT_SEL_EXPRESSION) {
      const SZTDataCompExpr* expr = static_cast<const SZTDataCompExpr*>(link->pOper);
      if (expr->uField >= desc->m_Fields.m_uCount) return false;
      const CZTFieldDesc& field = desc->m_Fields.m_pFields[expr->uField];
      for (unsigned i = 0; i < layout->partCount; ++i) {
        KeyPart& p = layout->parts[i];
        if (field.m_uOffset < p.offset || uint64_t(field.m_uOffset) + field.m_uLength > uint64_t(p.offset) + p.length)
          continue;
        if (Reversible(p.type) || (p.type == ISAM_KEY_ITEXT && DecidedByFoldedText(expr, field))) {
          p.needed = true;
          return true;
        }
      }
      return false;
    }
    const SZTDataCompOper* op = static_cast<const SZTDataCompOper*>(link->pOper);
    if (!Covered(&op->Link[0], desc, layout)) return false;
    link = &op->Link[1];
  }
}

bool KeyOnlyLayout(const CZTTblSelDesc& sel, ISAMTABLE table, const CZTTableDesc* desc, unsigned keyIndex,
                   KeyLayout* layout, unsigned* error) {
  *error = ReadLayout(table, keyIndex, layout);
  if (*error || layout->recordSize == 0) return false;
  for (unsigned i = 0; i < layout->partCount; ++i) {
    const KeyPart& p = layout->parts[i];
    if (p.offset + p.length > layout->recordSize || p.keyOffset + p.length > layout->entrySize) return false;
  }
  return Covered(&sel.m_Root, desc, layout);
}

// The record bytes of the needed parts from a key entry.
void RebuildRecord(const KeyLayout& layout, const unsigned char* entry, unsigned char* record) {
  for (unsigned i = 0; i < layout.partCount; ++i) {
    const KeyPart& p = layout.parts[i];
    if (!p.needed) continue;
    const unsigned char* k = entry + p.keyOffset;
    unsigned char* r = record + p.offset;
    const unsigned n = p.length;
    switch (p.type) {
      case ISAM_KEY_TEXT:
      case ISAM_KEY_ITEXT:
        memcpy(r, k, n);
        break;
      case ISAM_KEY_UTEXT:
        for (unsigned j = 0; j + 1 < n; j += 2) {
          r[j] = k[j + 1];
          r[j + 1] = k[j];
        }
        if (n & 1) r[n - 1] = k[n - 1];
        break;
      case ISAM_KEY_INT8:
      case ISAM_KEY_INT16:
      case ISAM_KEY_INT32:
      case ISAM_KEY_INT64:
        for (unsigned j = 0; j < n; ++j) r[j] = k[n - 1 - j];
        r[n - 1] ^= 0x80;
        break;
      case ISAM_KEY_FLOAT:
      case ISAM_KEY_DOUBLE:
      case ISAM_KEY_EXTENDED:
        // Positive numbers carry the sign bit set, negative ones are inverted.
        if (k[0] & 0x80) {
          for (unsigned j = 0; j < n; ++j) r[j] = k[n - 1 - j];
          r[n - 1] &= 0x7F;
        } else {
          for (unsigned j = 0; j < n; ++j) r[j] = static_cast<unsigned char>(~k[n - 1 - j]);
        }
        break;
      default:  // unsigned integers
        for (unsigned j = 0; j < n; ++j) r[j] = k[n - 1 - j];
        break;
    }
  }
}

// The record address at the end of an index entry, most significant byte first.
unsigned EntryAddress(const unsigned char* entry, unsigned keyLength) {
  const unsigned char* a = entry + keyLength;
  return unsigned(a[0]) << 24 | unsigned(a[1]) << 16 | unsigned(a[2]) << 8 | a[3];
}

}  // namespace

int CZTTblSelDesc::keyonly(ISAMTABLE table, const CZTTableDesc* desc, unsigned keyIndex) const {
  if (!table || !desc || keyIndex == kZTSelStoredOrder) return 0;
  KeyLayout layout;
  unsigned error = 0;
  return KeyOnlyLayout(*this, table, desc, keyIndex, &layout, &error) ? 1 : 0;
}

namespace {

// Reads one index between limits and hands every entry to visit(address,
// picked): from the index's keys alone where they decide what the selection
// tests, else with the records. int: 1 ok; 0 with the engine's error.
template <class Visit>
int ScanIndex(const CZTTblSelDesc& sel, ISAMTABLE table, const CZTTableDesc* desc, unsigned keyIndex,
              const char* lowKey, const char* highKey, unsigned* error, const char** failedCall, Visit&& visit) {
  unsigned recordSize = 0;
  if ((*error = ISAMGetDataRecSize(table, &recordSize)) != 0) {
    *failedCall = "ISAMGetDataRecSize";
    return 0;
  }
  if ((*error = ISAMSetupIterationLimits(table, keyIndex, ISAM_ITER_FORWARD, lowKey, highKey)) != 0) {
    *failedCall = "ISAMSetupIterationLimits";
    return 0;
  }
  std::vector<unsigned char> buffer(kBatchBytes > recordSize ? kBatchBytes : recordSize);
  const unsigned size = static_cast<unsigned>(buffer.size());
  unsigned got = 0, e;
  const char* reading;
  KeyLayout layout;
  if (KeyOnlyLayout(sel, table, desc, keyIndex, &layout, error)) {
    reading = "ISAMReadNextKeys";
    // Equal keys rebuild equal records: the verdict of the last one holds.
    std::vector<unsigned char> record(layout.recordSize, 0);
    const unsigned keyLength = layout.entrySize - 4;
    const bool everything = !Present(sel.m_Root);
    std::vector<unsigned char> last(keyLength);
    bool haveLast = false, verdict = everything;
    while ((e = ISAMReadNextKeys(table, keyIndex, buffer.data(), size, &got)) == 0) {
      for (unsigned i = 0; i < got; ++i) {
        const unsigned char* entry = buffer.data() + size_t(i) * layout.entrySize;
        if (!everything && (!haveLast || memcmp(entry, last.data(), keyLength) != 0)) {
          RebuildRecord(layout, entry, record.data());
          verdict = sel.testdata(desc, reinterpret_cast<const char*>(record.data()), layout.recordSize) != 0;
          memcpy(last.data(), entry, keyLength);
          haveLast = true;
        }
        visit(EntryAddress(entry, keyLength), verdict);
      }
    }
  } else {
    if (*error) {
      *failedCall = "ISAMGetIndexDesc";
      return 0;
    }
    reading = "ISAMReadNextRecord";
    unsigned address = 0;
    while ((e = ISAMReadNextRecord(table, keyIndex, buffer.data(), &address, nullptr)) == 0)
      visit(address, sel.testdata(desc, reinterpret_cast<const char*>(buffer.data()), recordSize) != 0);
  }
  if (e != ISAM_END_OF_ITERATION) {
    *error = e;
    *failedCall = reading;
    return 0;
  }
  return 1;
}

}  // namespace

int CZTTblSelDesc::countrange(ISAMTABLE table, const CZTTableDesc* desc, unsigned keyIndex, const char* lowKey,
                              const char* highKey, unsigned* count, unsigned* error, CZTSelMarks* marks,
                              const char** failedCall) const {
  unsigned dummy = 0;
  const char* dummyCall = nullptr;
  if (!error) error = &dummy;
  if (!failedCall) failedCall = &dummyCall;
  *error = 0;
  *failedCall = nullptr;
  if (!count || !desc) {
    *error = ISAM_ERR_ARGUMENT;
    return 0;
  }
  *count = 0;
  unsigned n = 0;
  if (keyIndex != kZTSelStoredOrder) {
    const int ok =
        ScanIndex(*this, table, desc, keyIndex, lowKey, highKey, error, failedCall, [&](unsigned address, bool picked) {
          if (marks && marks->Due()) marks->Add(address, n);
          n += picked;
        });
    if (!ok) return 0;
    *count = n;
    return 1;
  }
  unsigned recordSize = 0;
  if ((*error = ISAMGetDataRecSize(table, &recordSize)) != 0) {
    *failedCall = "ISAMGetDataRecSize";
    return 0;
  }
  std::vector<unsigned char> buffer(kBatchBytes > recordSize ? kBatchBytes : recordSize);
  const unsigned size = static_cast<unsigned>(buffer.size());
  unsigned address = 0, got = 0, e;
  while ((e = ISAMReadRecords(table, &address, buffer.data(), size, &got)) == 0)
    for (unsigned i = 0; i < got; ++i)
      n += testdata(desc, reinterpret_cast<const char*>(buffer.data()) + size_t(i) * recordSize, recordSize);
  if (e != ISAM_END_OF_ITERATION) {
    *error = e;
    *failedCall = "ISAMReadRecords";
    return 0;
  }
  *count = n;
  return 1;
}

namespace {

// The key ranges of a selection with their buffers.
struct KeyRanges {
  unsigned keySize = 1;
  unsigned index = 0;
  int count = 0;
  std::vector<char> lows, highs;
  const char* Low(int i) const { return &lows[size_t(i) * keySize]; }
  const char* High(int i) const { return &highs[size_t(i) * keySize]; }
};

void FindRanges(const CZTTblSelDesc& sel, const CZTTableDesc* desc, KeyRanges* r) {
  // A key is at most four fields long.
  for (unsigned f = 0; f < desc->m_Fields.m_uCount; ++f) r->keySize += desc->m_Fields.m_pFields[f].m_uLength;
  r->keySize *= kZTMaxKeyParts;
  r->lows.assign(size_t(r->keySize) * kZTSelMaxRanges, 0);
  r->highs.assign(size_t(r->keySize) * kZTSelMaxRanges, 0);
  r->count = sel.keyranges(desc, &r->index, r->lows.data(), r->highs.data(), r->keySize);
}

}  // namespace

int CZTTblSelDesc::countrecords(ISAMTABLE table, const CZTTableDesc* desc, unsigned* count, unsigned* error,
                                const char** failedCall) const {
  if (!desc || !count) {
    if (error) *error = ISAM_ERR_ARGUMENT;
    return 0;
  }
  KeyRanges ranges;
  FindRanges(*this, desc, &ranges);
  if (ranges.count == 0)
    return countrange(table, desc, kZTSelStoredOrder, nullptr, nullptr, count, error, nullptr, failedCall);
  unsigned total = 0;
  for (int i = 0; i < ranges.count; ++i) {
    unsigned n = 0;
    if (!countrange(table, desc, ranges.index, ranges.Low(i), ranges.High(i), &n, error, nullptr, failedCall)) return 0;
    total += n;
  }
  *count = total;
  return 1;
}

namespace {

// Picked records by address, one bit each, growing as addresses come.
class AddressBits {
 public:
  AddressBits() = default;
  AddressBits(const AddressBits&) = delete;
  AddressBits& operator=(const AddressBits&) = delete;
  ~AddressBits() { delete[] m_words; }
  bool Set(unsigned address) {
    const size_t w = address / 64;
    if (w >= m_count && !Grow(w + 1)) return false;
    m_words[w] |= uint64_t(1) << (address % 64);
    return true;
  }
  bool Get(unsigned address) const {
    const size_t w = address / 64;
    return w < m_count && ((m_words[w] >> (address % 64)) & 1);
  }
  bool Grow(size_t words) {
    if (words <= m_count) return true;
    const size_t count = words > 2 * m_count ? words : 2 * m_count;
    uint64_t* grown = new (std::nothrow) uint64_t[count];
    if (!grown) return false;
    memset(grown, 0, count * sizeof(uint64_t));
    if (m_count) memcpy(grown, m_words, m_count * sizeof(uint64_t));
    delete[] m_words;
    m_words = grown;
    m_count = count;
    return true;
  }

 private:
  uint64_t* m_words = nullptr;
  size_t m_count = 0;
};

// The records the selection picks, by address: listed while they are few (so
// that each can be placed in the displayed index by its number there), else one
// bit each.
class PickedSet {
 public:
  PickedSet(size_t listLimit, unsigned records) : m_limit(listLimit), m_records(records) {}
  bool Listing() const { return m_listing; }
  std::vector<unsigned>& List() { return m_list; }
  const AddressBits& Bits() const { return m_bits; }
  bool Add(unsigned address) {
    if (m_listing) {
      if (m_list.size() < m_limit) {
        m_list.push_back(address);
        return true;
      }
      m_listing = false;
      if (!m_bits.Grow(m_records / 64 + 1)) return false;
      for (unsigned a : m_list)
        if (!m_bits.Set(a)) return false;
      std::vector<unsigned>().swap(m_list);
    }
    return m_bits.Set(address);
  }

 private:
  std::vector<unsigned> m_list;
  AddressBits m_bits;
  size_t m_limit;
  unsigned m_records;
  bool m_listing = true;
};

// The records the selection picks, by address, taken the quickest way: through
// the key ranges, or from every record in stored order. int: 1 ok; 0 with the
// engine's error; -1 when they cannot be had so (no memory, or addresses that
// do not follow the stored order because records were deleted).
int PickedAddresses(const CZTTblSelDesc& sel, ISAMTABLE table, const CZTTableDesc* desc, const KeyRanges& ranges,
                    PickedSet* picked, unsigned* error, const char** failedCall) {
  bool room = true;
  if (ranges.count > 0) {
    for (int i = 0; i < ranges.count && room; ++i) {
      if (!ScanIndex(sel, table, desc, ranges.index, ranges.Low(i), ranges.High(i), error, failedCall,
                     [&](unsigned address, bool pick) {
                       if (pick && !picked->Add(address)) room = false;
                     }))
        return 0;
    }
    return room ? 1 : -1;
  }
  unsigned recordSize = 0;
  if ((*error = ISAMGetDataRecSize(table, &recordSize)) != 0) {
    *failedCall = "ISAMGetDataRecSize";
    return 0;
  }
  std::vector<unsigned char> buffer(kBatchBytes > recordSize ? kBatchBytes : recordSize);
  const unsigned size = static_cast<unsigned>(buffer.size());
  unsigned address = 0, got = 0, read = 0, e;
  while ((e = ISAMReadRecords(table, &address, buffer.data(), size, &got)) == 0) {
    for (unsigned i = 0; i < got; ++i) {
      ++read;  // the address of this record when none is missing before it
      if (sel.testdata(desc, reinterpret_cast<const char*>(buffer.data()) + size_t(i) * recordSize, recordSize) &&
          !picked->Add(read))
        room = false;
    }
  }
  if (e != ISAM_END_OF_ITERATION) {
    *error = e;
    *failedCall = "ISAMReadRecords";
    return 0;
  }
  // The reading stops after the highest address: every address was a record.
  return room && address == read ? 1 : -1;
}

// Marks every listed record at its place in the index: each mark is one line.
// int: 1 ok; 0 with the engine's error.
int PlaceListed(ISAMTABLE table, unsigned keyIndex, std::vector<unsigned>& list, CZTSelMarks* marks, unsigned* count,
                unsigned* error, const char** failedCall) {
  // In address order the records are read with fewer jumps through the file.
  std::sort(list.begin(), list.end());
  list.erase(std::unique(list.begin(), list.end()), list.end());
  std::vector<std::pair<unsigned, unsigned>> placed;  // number in the index, address
  placed.reserve(list.size());
  for (unsigned address : list) {
    unsigned number = 0;
    const unsigned e = ISAMGetEntryNumber(table, keyIndex, address, &number);
    if (e == ISAM_END_OF_ITERATION) continue;  // the index leaves it out
    if (e) {
      *error = e;
      *failedCall = "ISAMGetEntryNumber";
      return 0;
    }
    placed.emplace_back(number, address);
  }
  std::sort(placed.begin(), placed.end());
  for (unsigned i = 0; i < placed.size(); ++i) marks->Add(placed[i].second, i);
  *count = static_cast<unsigned>(placed.size());
  return 1;
}

}  // namespace

int CZTTblSelDesc::countindex(ISAMTABLE table, const CZTTableDesc* desc, unsigned keyIndex, unsigned* count,
                              unsigned* error, CZTSelMarks* marks, const char** failedCall) const {
  unsigned dummy = 0;
  const char* dummyCall = nullptr;
  if (!error) error = &dummy;
  if (!failedCall) failedCall = &dummyCall;
  *error = 0;
  *failedCall = nullptr;
  if (!desc || !count) {
    *error = ISAM_ERR_ARGUMENT;
    return 0;
  }
  KeyRanges ranges;
  FindRanges(*this, desc, &ranges);
  if (ranges.count > 0 && ranges.index == keyIndex) {
    unsigned total = 0;
    for (int i = 0; i < ranges.count; ++i) {
      unsigned n = 0;
      if (marks) marks->StartRange(total);
      if (!countrange(table, desc, keyIndex, ranges.Low(i), ranges.High(i), &n, error, marks, failedCall)) return 0;
      total += n;
    }
    *count = total;
    return 1;
  }
  if (marks) marks->StartRange(0);
  // In the order of an index whose keys do not decide: the verdicts are taken the
  // quickest way, then the index is read by its keys alone.
  unsigned entrySize = 0, records = 0;
  unsigned char indexDesc[ISAM_DESC_SIZE];
  if (marks && !keyonly(table, desc, keyIndex) && ISAMKeyEntrySize(table, keyIndex, &entrySize) == 0 &&
      entrySize >= 4 && entrySize <= kBatchBytes && ISAMGetRecordCount(table, &records) == 0 &&
      ISAMGetIndexDesc(table, keyIndex, indexDesc) == 0) {
    // A few picked records are placed by their numbers in the index, each costing
    // a record and an index path; more are placed by reading all of its keys.
    const unsigned entries = Rd32(indexDesc + ISAM_DESC_ENTRIES);
    const unsigned fewLimit = entries / kKeysPerPlacing;
    PickedSet picked(fewLimit < marks->m_uLimit ? fewLimit : marks->m_uLimit, records);
    const int verdicts = PickedAddresses(*this, table, desc, ranges, &picked, error, failedCall);
    if (verdicts == 0) return 0;
    if (verdicts > 0 && picked.Listing())
      return PlaceListed(table, keyIndex, picked.List(), marks, count, error, failedCall);
    if (verdicts > 0) {
      if ((*error = ISAMSetupIterationLimits(table, keyIndex, ISAM_ITER_FORWARD, nullptr, nullptr)) != 0) {
        *failedCall = "ISAMSetupIterationLimits";
        return 0;
      }
      std::vector<unsigned char> buffer(kBatchBytes);
      unsigned n = 0, got = 0, e;
      while ((e = ISAMReadNextKeys(table, keyIndex, buffer.data(), kBatchBytes, &got)) == 0) {
        for (unsigned i = 0; i < got; ++i) {
          const unsigned address = EntryAddress(buffer.data() + size_t(i) * entrySize, entrySize - 4);
          if (marks->Due()) marks->Add(address, n);
          n += picked.Bits().Get(address);
        }
      }
      if (e != ISAM_END_OF_ITERATION) {
        *error = e;
        *failedCall = "ISAMReadNextKeys";
        return 0;
      }
      *count = n;
      return 1;
    }
  }
  return countrange(table, desc, keyIndex, nullptr, nullptr, count, error, marks, failedCall);
}
