// A parsed selection expression: a filter over the fields of a table record.
#pragma once

#include "zt_isa32.h"
#include "zt_tbl32/data_comp_link.h"
#include "zt_tbl32/frame.h"
#include "zt_tbl32/sel_marks.h"

class CZTTableDesc;
class CZTListView;

// Column information and values delivered by an application (cbresolve,
// cbtestdata): column name, text buffer and its size, then text length, kind,
// value and item type, and the user value. Non-zero when the column is known.
typedef int (*ZTSelCallback)(const char* column, char* buffer, unsigned size, unsigned* textLength, unsigned* kind,
                             unsigned* value, unsigned* itemType, long user);

// countrange: every record in stored order instead of an index.
const unsigned kZTSelStoredOrder = 0xFFFFFFFFu;
// keyranges: the most ranges it gives.
const unsigned kZTSelMaxRanges = 3;

class ZT_TBL32_API CZTTblSelDesc {
 public:
  SZTDataCompLink m_Root;

  CZTTblSelDesc();
  ~CZTTblSelDesc();
  CZTTblSelDesc(const CZTTblSelDesc&) = delete;
  CZTTblSelDesc& operator=(const CZTTblSelDesc&) = delete;

  // Replaces the tree by the parsed text (null: empty selection). int: 1 ok, 0 on
  // a syntax error (already logged and shown); the selection is then empty.
  int parse(const char* text, unsigned length);
  // Frees the subtree of a link (only when it owns a node) and clears the link.
  void free(SZTDataCompLink* link);
  // Prints the tree back as text that parses to the same tree; at most size - 1
  // characters, always terminated. Returns the length written.
  unsigned edit(char* text, unsigned size = 512) const;
  // Lists the comparisons in a list view, one row each; 1 when a row was inserted.
  int disp(CZTListView* listView) const;
  // Writes the tree of a link (null: the root) to the log.
  void dump(const SZTDataCompLink* link) const;
  // 1 when both trees have the same shape, operators, columns and values.
  int IsSameTree(const CZTTblSelDesc& other) const;
  // free without an object.
  static void FreeLink(SZTDataCompLink* link);

  // Binds every comparison to a field of the table description. int: 1 ok.
  int resolve(const CZTTableDesc* table);
  int cbresolve(ZTSelCallback callback, long user);
  // Tests one raw record (resolved against the same table description).
  int testdata(const CZTTableDesc* table, const char* record, unsigned recordSize) const;
  int cbtestdata(ZTSelCallback callback, long user) const;
  // Derives the index and the low and high key of a key range from the first
  // comparison. int: 1 when a key was found.
  int keyresolve(const CZTTableDesc* table, unsigned* keyIndex, char* lowKey, char* highKey) const;

  // The key ranges that together hold every record the selection can pick, in
  // key order: keyresolve's range and, as texts are compared without their
  // leading blanks and tabs, the keys of a text index that begin with a tab or a
  // blank where that range leaves them out. Range i is at lowKeys + i * keySize
  // and highKeys + i * keySize (keys as keyresolve writes them; buffers of
  // kZTSelMaxRanges keys). int: the number of ranges; 0 when no key narrows the
  // selection or a key does not fit keySize.
  int keyranges(const CZTTableDesc* table, unsigned* keyIndex, char* lowKeys, char* highKeys, unsigned keySize) const;

  // Counts the records of an ISAM table that pass the selection (resolved against
  // the table's description): through the key ranges where keyranges finds
  // some, else through every record in stored order. int: 1 ok; 0 with the
  // engine's error in *error (never a box: the caller reports it).
  int countrecords(ISAMTABLE table, const CZTTableDesc* desc, unsigned* count, unsigned* error,
                   const char** failedCall = nullptr) const;
  // The same over one index between its limits (null: that end open); where
  // every column the selection tests can be rebuilt from the index's keys
  // (keyonly), the records themselves are not read. keyIndex kZTSelStoredOrder
  // reads every record in the order it is stored, the fastest way through a
  // whole table. Over an index, marks (when given) remember evenly spaced
  // entries of the range; failedCall (when given) gets the name of the engine
  // call that failed.
  int countrange(ISAMTABLE table, const CZTTableDesc* desc, unsigned keyIndex, const char* lowKey, const char* highKey,
                 unsigned* count, unsigned* error, CZTSelMarks* marks = nullptr,
                 const char** failedCall = nullptr) const;
  // The same in the order of one index: through the key ranges when they lie in
  // that index, else through the whole index (marks and failedCall as countrange).
  int countindex(ISAMTABLE table, const CZTTableDesc* desc, unsigned keyIndex, unsigned* count, unsigned* error,
                 CZTSelMarks* marks = nullptr, const char** failedCall = nullptr) const;
  // 1 when countrange over the index reads only its keys.
  int keyonly(ISAMTABLE table, const CZTTableDesc* desc, unsigned keyIndex) const;
};

// The current local year, which decides the century of two-digit years in
// cbtestdata; a test installs its own clock (null restores the system's).
typedef unsigned (*ZTSelYearSource)(void);
ZT_TBL32_API void ztSetSelectionYearSource(ZTSelYearSource source);
