// Selection texts: parse, print back, parse again (same tree), resolve against a
// fixed table and test records and callback values made of the remaining input.
//
//   build/fuzz/bin/selection_fuzz -max_total_time=600 -max_len=4096 build/fuzz/corpus/selection_fuzz
//   fuzz/corpus/selection_fuzz
//
// Input: the selection text up to the first line feed, then the record bytes.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "select_ids.h"
#include "select_test_table.h"
#include "zt_tbl32/exact_number.h"
#include "zt_tbl32/tbl_sel_desc.h"

namespace {

int SilentBox(const ZTBoxRequest*, void*) { return IDOK; }

struct CallbackData {
  const uint8_t* data;
  size_t size;
  size_t pos;
  uint8_t Next() { return size ? data[pos++ % size] : 0; }
};

// Answers every column; the text, its length, item type and value come from the input.
int FuzzCallback(const char*, char* buffer, unsigned size, unsigned* textLength, unsigned* kind, unsigned* value,
                 unsigned* itemType, long user) {
  CallbackData* d = reinterpret_cast<CallbackData*>(user);
  unsigned length = d->Next() % 24;
  if (length >= size) length = size - 1;
  for (unsigned i = 0; i < length; ++i) buffer[i] = static_cast<char>(d->Next());
  buffer[length] = '\0';
  *textLength = length;
  if (size == 256) {
    *kind = d->Next() % 6;
    *value = d->Next() % 9;
    return d->Next() % 16 != 0;
  }
  *kind = d->Next() % 7;
  const uint64_t raw = (uint64_t(d->Next()) << 40) | d->Next();
  memcpy(value, &raw, sizeof(raw));
  *itemType = d->Next() % 48;
  return 1;
}

// The exact reading of every value: rounded down and up it differs by one, or
// not at all when nothing was rounded.
void CheckNumbers(const SZTDataCompLink* link) {
  if (!link->fAlloc || !link->pOper) return;
  if (link->pOper->idRec == ZT_SEL_OPERATION) {
    const SZTDataCompOper* op = static_cast<const SZTDataCompOper*>(link->pOper);
    CheckNumbers(&op->Link[0]);
    CheckNumbers(&op->Link[1]);
    return;
  }
  const char* value = static_cast<const SZTDataCompExpr*>(link->pOper)->Value;
  for (unsigned notation : {ZT_NUM_GERMAN, ZT_NUM_FLOATING}) {
    CZTExactNumber n;
    if (!n.Read(value, 0, notation)) continue;
    for (unsigned decimals : {0u, 2u, 15u}) {
      bool downNegative, upNegative, downExact, upExact;
      uint64_t down, up;
      const int fitsDown = n.Scaled(decimals, ZT_ROUND_DOWN, &downNegative, &down, &downExact);
      const int fitsUp = n.Scaled(decimals, ZT_ROUND_UP, &upNegative, &up, &upExact);
      if (downExact != upExact || !fitsDown || !fitsUp) continue;
      const bool same = downNegative == upNegative && down == up;
      if (downExact != same) abort();
      // Down is one below up: -3 and -2, -1 and 0, 0 and 1, 2 and 3.
      if (!downExact && !(downNegative ? (upNegative ? down == up + 1 : down == 1 && up == 0) : up == down + 1))
        abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool initialised = false;
  static CZTTableDesc table;
  if (!initialised) {
    ztSetBoxHandler(SilentBox, nullptr);
    select_test::MakeCustomerTable(table);
    // Keys of every kind keyresolve narrows: text, case-free text, digit text, integers.
    const struct {
      const char* field;
      unsigned type;
    } keys[] = {{"NAME", ISAM_KEY_TEXT}, {"NAMEI", ISAM_KEY_ITEXT}, {"PLZ", ISAM_KEY_NUMTEXT}, {"NUM", ISAM_KEY_INT32},
                {"U8", ISAM_KEY_UINT8},  {"CENT", ISAM_KEY_UINT32}, {"PLZ", ISAM_KEY_TEXT}};
    const unsigned count = sizeof(keys) / sizeof(keys[0]);
    table.m_Keys.m_pKeys = new CZTKeyDesc[count];
    table.m_Keys.m_uCount = table.m_Keys.m_uAlloc = count;
    for (unsigned k = 0; k < count; ++k) {
      CZTKeyDesc& key = table.m_Keys.m_pKeys[k];
      key.m_uPartCount = 2;
      key.m_Part[0].uKeyType = keys[k].type;
      ztStrCopy(key.m_Part[0].szFieldName, keys[k].field, sizeof(key.m_Part[0].szFieldName));
      key.m_Part[1].uKeyType = ISAM_KEY_DOUBLE;
      ztStrCopy(key.m_Part[1].szFieldName, "DBL", sizeof(key.m_Part[1].szFieldName));
    }
    initialised = true;
  }
  const uint8_t* newline = static_cast<const uint8_t*>(memchr(data, '\n', size));
  const size_t textLength = newline ? size_t(newline - data) : size;
  const char* text = reinterpret_cast<const char*>(data);

  CZTTblSelDesc first;
  if (!first.parse(text, static_cast<unsigned>(textLength))) {
    if (first.m_Root.fAlloc) abort();  // a failed parse leaves the selection empty
    return 0;
  }
  // Every term prints in a bounded number of characters per input character.
  std::vector<char> printed(textLength * 16 + 64);
  const unsigned printedLength = first.edit(printed.data(), static_cast<unsigned>(printed.size()));
  if (printedLength + 1 >= printed.size()) abort();
  CZTTblSelDesc second;
  if (!second.parse(printed.data(), printedLength)) abort();
  if (!first.IsSameTree(second)) abort();
  // In the dialog's 512 bytes: a text that fits parses back too, whichever form it took.
  char dialog[ZT_SEL_EDIT_SIZE];
  const unsigned dialogLength = first.edit(dialog, sizeof(dialog));
  if (dialogLength + 1 < sizeof(dialog)) {
    CZTTblSelDesc third;
    if (!third.parse(dialog, dialogLength) || !first.IsSameTree(third)) abort();
  }
  CheckNumbers(&first.m_Root);

  const uint8_t* rest = newline ? newline + 1 : data + size;
  const size_t restSize = size_t(data + size - rest);
  if (first.resolve(&table)) {
    char record[select_test::kRecordSize];
    for (size_t offset = 0; offset < restSize || offset == 0; offset += sizeof(record)) {
      for (size_t i = 0; i < sizeof(record); ++i)
        record[i] = restSize ? static_cast<char>(rest[(offset + i) % restSize]) : ' ';
      first.testdata(&table, record, sizeof(record));
      if (offset > 8 * sizeof(record)) break;
    }
    unsigned key;
    char low[256], high[256];
    first.keyresolve(&table, &key, low, high);
    char lows[kZTSelMaxRanges * 256], highs[kZTSelMaxRanges * 256];
    const int ranges = first.keyranges(&table, &key, lows, highs, 256);
    if (ranges < 0 || ranges > static_cast<int>(kZTSelMaxRanges)) abort();
    // In key order: each range begins with a greater first byte than the one before.
    for (int i = 1; i < ranges; ++i)
      if (static_cast<unsigned char>(lows[i * 256]) <= static_cast<unsigned char>(highs[(i - 1) * 256])) abort();
  }
  CallbackData callback{rest, restSize, 0};
  if (second.cbresolve(FuzzCallback, reinterpret_cast<long>(&callback))) {
    for (int i = 0; i < 4; ++i) second.cbtestdata(FuzzCallback, reinterpret_cast<long>(&callback));
  }
  return 0;
}
