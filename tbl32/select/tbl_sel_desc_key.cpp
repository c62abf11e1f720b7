// Key ranges of a selection: the part of an index that can hold matching records.
#include <string.h>

#include <algorithm>
#include <vector>

#include "select_ids.h"
#include "zt_isa32.h"
#include "zt_tbl32/field_desc.h"
#include "zt_tbl32/table_desc.h"
#include "zt_tbl32/tbl_sel_desc.h"

namespace {

constexpr unsigned kMaxConjuncts = 256;

inline bool Present(const SZTDataCompLink& link) { return link.fAlloc && link.pOper; }

// The comparisons that every matching record fulfils: those joined to the root
// by AND alone. Below an OR or XOR nothing is certain.
void CollectConjuncts(const SZTDataCompLink* link, const SZTDataCompExpr** out, unsigned* count) {
  for (;;) {
    if (!Present(*link)) return;
    if (link->pOper->idRec == ZT_SEL_EXPRESSION) {
      if (*count < kMaxConjuncts) out[(*count)++] = static_cast<const SZTDataCompExpr*>(link->pOper);
      return;
    }
    const SZTDataCompOper* op = static_cast<const SZTDataCompOper*>(link->pOper);
    if (op->Oper != ZT_SEL_AND) return;
    CollectConjuncts(&op->Link[0], out, count);
    link = &op->Link[1];
  }
}

const CZTFieldDesc* FindField(const CZTTableDesc* table, const char* name) {
  const CZTFieldDescList& list = table->m_Fields;
  for (unsigned i = 0; i < list.m_uCount; ++i)
    if (CmpFieldName(name, &list.m_pFields[i]) == 0) return &list.m_pFields[i];
  return nullptr;
}

bool IsIntegerKey(unsigned type) { return type >= ISAM_KEY_UINT8 && type <= ISAM_KEY_INT64; }
bool IsSignedKey(unsigned type) { return type >= ISAM_KEY_INT8 && type <= ISAM_KEY_INT64; }
unsigned IntegerKeyBytes(unsigned type) { return 1u << ((type - ISAM_KEY_UINT8) % 4); }

// The lowest and highest raw value of a key part in the order of its key type.
void PartExtremes(unsigned type, unsigned length, unsigned char* low, unsigned char* high) {
  if (IsSignedKey(type)) {
    memset(low, 0x00, length);
    memset(high, 0xFF, length);
    low[length - 1] = 0x80;
    high[length - 1] = 0x7F;
  } else if (type == ISAM_KEY_FLOAT || type == ISAM_KEY_DOUBLE || type == ISAM_KEY_EXTENDED) {
    // A negative NaN with every bit set is below every number, the positive one above.
    memset(low, 0xFF, length);
    memset(high, 0xFF, length);
    high[length - 1] = 0x7F;
  } else {
    memset(low, 0x00, length);
    memset(high, 0xFF, length);
  }
}

// A numeric bound as sign and 64-bit magnitude-ordered bits.
struct Bound {
  bool negative;
  uint64_t bits;
};

int CompareBounds(const Bound& a, const Bound& b) {
  if (a.negative != b.negative) return a.negative ? -1 : 1;
  return a.bits < b.bits ? -1 : (a.bits > b.bits ? 1 : 0);
}

bool ValueBound(const SZTDataCompExpr* expr, Bound* bound) {
  switch (expr->CompKind) {
    case ZT_VAL_UINT32:
      *bound = {false, expr->CompValue.u32};
      return true;
    case ZT_VAL_INT32:
      *bound = {expr->CompValue.i32 < 0, static_cast<uint64_t>(static_cast<int64_t>(expr->CompValue.i32))};
      return true;
    case ZT_VAL_UINT64:
      *bound = {false, expr->CompValue.u64};
      return true;
    case ZT_VAL_INT64:
      *bound = {expr->CompValue.i64 < 0, static_cast<uint64_t>(expr->CompValue.i64)};
      return true;
    default:
      return false;
  }
}

// Range of the first key part from the comparisons on its field; false when
// they do not narrow the index.
bool FirstPartRange(const CZTFieldDesc& field, unsigned keyType, const SZTDataCompExpr* const* conj, unsigned count,
                    unsigned char* low, unsigned char* high) {
  const unsigned length = field.m_uLength;
  const unsigned kind = ztFmtKind(field.m_uContentType);
  const unsigned display = ztFmtKind(field.m_uDisplayType);
  const bool textual = ztSelTextKind(kind);

  if ((keyType == ISAM_KEY_TEXT || keyType == ISAM_KEY_ITEXT) && field.m_uEncodeType == iteASCIITEXT && textual &&
      ztSelTextKind(display) && field.m_uDataJust == ZT_JUST_LEFT) {
    // A pattern fixes the characters before its first joker.
    const char* best = nullptr;
    unsigned bestLength = 0;
    for (unsigned i = 0; i < count; ++i) {
      const SZTDataCompExpr* e = conj[i];
      if (e->Func != ZT_SEL_EQ_PATTERN) continue;
      unsigned n = 0;
      for (; e->Value[n] && !strchr("#*?", e->Value[n]); ++n) {
        const unsigned char c = static_cast<unsigned char>(e->Value[n]);
        // A byte-ordered key cannot narrow a comparison that ignores case at a letter.
        if (keyType == ISAM_KEY_TEXT && e->fCase && ztToUpper(c) != ztToLower(c)) break;
      }
      if (n > length) n = length;
      if (n > bestLength) {
        best = e->Value;
        bestLength = n;
      }
    }
    if (!bestLength) return false;
    memcpy(low, best, bestLength);
    memcpy(high, best, bestLength);
    memset(low + bestLength, 0x00, length - bestLength);
    memset(high + bestLength, 0xFF, length - bestLength);
    return true;
  }

  Bound lo, hi;
  // Unsigned digit text orders as its number under a digit-text key, and under a
  // byte key when it is stored with leading zeros.
  const bool digitText = field.m_uEncodeType == iteASCIITEXT && kind == ZT_KIND_NUMBER &&
                         !(field.m_uContentType & ZT_FMT_SIGNED) && ztFmtDecimals(field.m_uContentType) == 0;
  const bool digitKey = keyType == ISAM_KEY_NUMTEXT || ((keyType == ISAM_KEY_TEXT || keyType == ISAM_KEY_ITEXT) &&
                                                        (field.m_uContentType & ZT_FMT_ZERO_FILL));
  if (digitText && digitKey) {
    lo = {false, 0};
    hi = {false, ~uint64_t(0)};
  } else if (IsIntegerKey(keyType) && field.m_uEncodeType <= ite64INTEGER && kind == ZT_KIND_NUMBER &&
             IntegerKeyBytes(keyType) == length &&
             IsSignedKey(keyType) == ((field.m_uContentType & ZT_FMT_SIGNED) != 0)) {
    const unsigned bits = 8 * length;
    if (IsSignedKey(keyType)) {
      lo = {true, bits == 64 ? (uint64_t(1) << 63) : ~((uint64_t(1) << (bits - 1)) - 1)};
      hi = {false, (uint64_t(1) << (bits - 1)) - 1};
    } else {
      lo = {false, 0};
      hi = {false, bits == 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1};
    }
  } else {
    return false;
  }
  const Bound typeLo = lo, typeHi = hi;
  bool narrowed = false;
  for (unsigned i = 0; i < count; ++i) {
    const SZTDataCompExpr* e = conj[i];
    Bound v;
    if (!ValueBound(e, &v)) continue;
    // The function applied to the value: a comparison that holds always or never
    // (a value beyond the field's range) gives no bound.
    const unsigned func = e->CompFunc;
    const bool lower = func == ZT_SEL_EQ || func == ZT_SEL_GT || func == ZT_SEL_GE;
    const bool upper = func == ZT_SEL_EQ || func == ZT_SEL_LT || func == ZT_SEL_LE;
    if (lower && CompareBounds(v, lo) > 0) {
      lo = CompareBounds(v, typeHi) > 0 ? typeHi : v;
      narrowed = true;
    }
    if (upper && CompareBounds(v, hi) < 0) {
      hi = CompareBounds(v, typeLo) < 0 ? typeLo : v;
      narrowed = true;
    }
  }
  if (!narrowed) return false;

  if (digitText) {
    // Digits right-aligned with leading zeros; a bound with more digits than the
    // field has leaves that end open.
    auto digits = [length](uint64_t value, unsigned char* out, bool isHigh) {
      char text[24];
      unsigned n = 0;
      do {
        text[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
      } while (value);
      if (n > length) {
        memset(out, isHigh ? 0xFF : '9', length);
        return;
      }
      memset(out, '0', length - n);
      for (unsigned i = 0; i < n; ++i) out[length - 1 - i] = static_cast<unsigned char>(text[i]);
    };
    if (hi.bits == ~uint64_t(0))
      memset(high, 0xFF, length);
    else
      digits(hi.bits, high, true);
    digits(lo.bits, low, false);
    return true;
  }
  for (unsigned i = 0; i < length; ++i) {
    low[i] = static_cast<unsigned char>(lo.bits >> (8 * i));
    high[i] = static_cast<unsigned char>(hi.bits >> (8 * i));
  }
  return true;
}

}  // namespace

int CZTTblSelDesc::keyresolve(const CZTTableDesc* table, unsigned* keyIndex, char* lowKey, char* highKey) const {
  if (!Present(m_Root) || !table || !lowKey || !highKey) return 0;
  const SZTDataCompExpr* conj[kMaxConjuncts];
  unsigned count = 0;
  CollectConjuncts(&m_Root, conj, &count);
  if (count == 0) {
    const SZTDataCompNode* root = m_Root.pOper;
    if (root->idRec == ZT_SEL_OPERATION && !Present(static_cast<const SZTDataCompOper*>(root)->Link[0]) &&
        !Present(static_cast<const SZTDataCompOper*>(root)->Link[1]))
      ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSelSource, "Comparison operation has two empty links.");
    ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSelSource, "No expression found in comparison operation.");
    return 0;
  }
  const CZTKeyDescList& keys = table->m_Keys;
  if (keys.m_uCount == 0) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSelSource, "Search table contains no index keys.");
    return 0;
  }
  for (unsigned c = 0; c < count; ++c) {
    for (unsigned k = 0; k < keys.m_uCount; ++k) {
      const CZTKeyDesc& key = keys.m_pKeys[k];
      if (key.m_uPartCount == 0) continue;
      // Indexes that leave out blank keys or run backwards cannot stand for the table.
      if (key.m_uOption[ISAM_OPT_SKIP_BLANK] || key.m_uOption[ISAM_OPT_DESCENDING]) continue;
      // The key's first part is the field the comparison was resolved to.
      const CZTFieldDesc* first = FindField(table, key.m_Part[0].szFieldName);
      if (!first || conj[c]->uField >= table->m_Fields.m_uCount || first != &table->m_Fields.m_pFields[conj[c]->uField])
        continue;
      // The comparisons on the same column narrow the range together.
      const SZTDataCompExpr* same[kMaxConjuncts];
      unsigned sameCount = 0;
      for (unsigned i = 0; i < count; ++i)
        if (conj[i]->uField == conj[c]->uField) same[sameCount++] = conj[i];
      unsigned char* low = reinterpret_cast<unsigned char*>(lowKey);
      unsigned char* high = reinterpret_cast<unsigned char*>(highKey);
      if (!FirstPartRange(*first, key.m_Part[0].uKeyType, same, sameCount, low, high)) continue;
      unsigned used = first->m_uLength;
      if (key.m_uPartCount > kZTMaxKeyParts) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Cannot get fieldname of key part (%u,%u)", k, kZTMaxKeyParts);
        ztTbl32Lib.DispWarnText("Cannot get fieldname of key partition (%u,%u)", k, kZTMaxKeyParts);
        return 0;
      }
      for (unsigned p = 1; p < key.m_uPartCount; ++p) {
        const CZTFieldDesc* field = FindField(table, key.m_Part[p].szFieldName);
        if (!field) {
          ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Fieldname %s of key part (%u,%u) not found in record",
                            key.m_Part[p].szFieldName, k, p);
          ztTbl32Lib.DispWarnText("Fieldname %s of key part (%u,%u) not found in table record.",
                                  key.m_Part[p].szFieldName, k, p);
          return 0;
        }
        PartExtremes(key.m_Part[p].uKeyType, field->m_uLength, low + used, high + used);
        used += field->m_uLength;
      }
      low[used] = 0;
      high[used] = 0;
      if (keyIndex) *keyIndex = k;
      return 1;
    }
  }
  ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSelSource, "No matching index key found for field %s", conj[0]->Column);
  return 0;
}

int CZTTblSelDesc::keyranges(const CZTTableDesc* table, unsigned* keyIndex, char* lowKeys, char* highKeys,
                             unsigned keySize) const {
  if (!table || !lowKeys || !highKeys) return 0;
  // keyresolve writes keys of any length: into room for the longest key first.
  unsigned room = 1;
  for (unsigned f = 0; f < table->m_Fields.m_uCount; ++f) room += table->m_Fields.m_pFields[f].m_uLength;
  room *= kZTMaxKeyParts;
  std::vector<char> low(room), high(room);
  unsigned index = 0;
  if (!keyresolve(table, &index, low.data(), high.data())) return 0;
  const CZTKeyDesc& key = table->m_Keys.m_pKeys[index];
  unsigned length = 0;
  for (unsigned p = 0; p < key.m_uPartCount && p < kZTMaxKeyParts; ++p) {
    const CZTFieldDesc* field = FindField(table, key.m_Part[p].szFieldName);
    if (field) length += field->m_uLength;
  }
  if (length + 1 > keySize) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSelSource, "Key of %u bytes does not fit %u bytes", length + 1, keySize);
    return 0;
  }
  if (keyIndex) *keyIndex = index;
  memcpy(lowKeys, low.data(), length + 1);
  memcpy(highKeys, high.data(), length + 1);
  const unsigned type = key.m_Part[0].uKeyType;
  if (type != ISAM_KEY_TEXT && type != ISAM_KEY_ITEXT) return 1;

  // Texts with leading blanks or tabs: the keys that begin with one of them,
  // where the range does not reach them already (else it is widened to them).
  const CZTFieldDesc* first = FindField(table, key.m_Part[0].szFieldName);
  if (!first || first->m_uLength == 0) return 1;
  struct Range {
    std::vector<char> low, high;
  };
  std::vector<Range> ranges;
  ranges.push_back(Range{std::vector<char>(low.begin(), low.begin() + length + 1),
                         std::vector<char>(high.begin(), high.begin() + length + 1)});
  for (const char c : {'\t', ' '}) {
    Range extra = ranges[0];
    extra.low[0] = extra.high[0] = c;
    memset(extra.low.data() + 1, 0x00, first->m_uLength - 1);
    memset(extra.high.data() + 1, 0xFF, first->m_uLength - 1);
    Range& main = ranges[0];
    const unsigned char from = static_cast<unsigned char>(main.low[0]), to = static_cast<unsigned char>(main.high[0]);
    if (from <= static_cast<unsigned char>(c) && static_cast<unsigned char>(c) <= to) {
      if (memcmp(extra.low.data(), main.low.data(), length) < 0) main.low = extra.low;
      if (memcmp(extra.high.data(), main.high.data(), length) > 0) main.high = extra.high;
    } else {
      ranges.push_back(extra);
    }
  }
  // The ranges begin with different bytes: their first bytes give the key order.
  std::sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) {
    return static_cast<unsigned char>(a.low[0]) < static_cast<unsigned char>(b.low[0]);
  });
  for (size_t i = 0; i < ranges.size(); ++i) {
    memcpy(lowKeys + i * keySize, ranges[i].low.data(), length + 1);
    memcpy(highKeys + i * keySize, ranges[i].high.data(), length + 1);
  }
  return static_cast<int>(ranges.size());
}
