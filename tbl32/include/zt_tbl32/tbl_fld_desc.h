// The editable field table: the columns of a flat data record (SZTTblField),
// built from initialiser rows or read from description-file lines, shown in list
// views, used to show and read data lines, and printed.
#pragma once

#include "zt_tbl32/tbl_field.h"

class CZTListView;

class ZT_TBL32_API CZTTblFldDesc {
 public:
  unsigned m_uCount;
  SZTTblField* m_pFields;

  // size: bytes of the initialiser array (28 per row); names come from the
  // library's language library. CZTTblFldErr when the rows cannot be allocated.
  explicit CZTTblFldDesc(CZTLibrary* library = nullptr, const SZTTblFldDesc* rows = nullptr, unsigned size = 0);
  CZTTblFldDesc(const CZTTblFldDesc& other);
  CZTTblFldDesc& operator=(const CZTTblFldDesc& other);
  ~CZTTblFldDesc();

  void Free();
  // The largest offset + length; 0 for an empty table.
  unsigned GetRecordSize() const;
  // An all-zero row at position (at the end when beyond). int: 1 ok, 0 no memory
  // (the table stays as it was).
  int InsertField(unsigned position);
  int DeleteField(unsigned position);
  // Exchanges two rows (from is taken as the last row when beyond it).
  int MoveField(unsigned from, unsigned to);
  int SetFldName(unsigned position, const char* name);
  // The first row whose name equals name in capitals (length 0: up to the
  // terminator); kZTNotFound when none.
  unsigned FindField(const char* name, unsigned length) const;
  // Mode 0 by name in capitals, 1 by offset; other modes do nothing.
  void SortFields(unsigned mode);
  // Every row has a column type, a length and a name; an empty table passes
  // only when allowed. Shows the first fault.
  int IsPlausible(int allowEmpty) const;

  // The description-file lines of the keyword in the reader's current block.
  int ParseDesc(CZTConfFile& conf, const char* keyword);
  int EditDesc(CZTConfFile& conf, const char* keyword) const;

  // The rows as the items of a list view (name, offset, length, type, width, justification).
  int FillDescLV(CZTListView& listView) const;
  // The first row at offset with length gets the index tree and its data.
  void SetIndexTree(unsigned tree, unsigned offset, unsigned length, unsigned data);

  // Data lines: one list-view column per row, one item per record.
  int DispDataHeader(HWND listView) const;
  int ResizeDataHeader(HWND listView) const;
  int ResizeDataHeader(HWND listView, unsigned previousWidth, unsigned) const;
  int InsertDataLine(HWND listView, unsigned item, LPARAM param, const void* record, unsigned recordLength) const;
  // The row's raw bytes without leading and trailing blanks and tabs; their count.
  unsigned GetDataField(unsigned row, const void* record, unsigned recordLength, char* buffer, unsigned size) const;
  // The row's column text; the row's byte length in the record.
  unsigned EditDataField(unsigned row, const void* record, unsigned recordLength, char* buffer, unsigned size) const;

  // Prints the table. int: 1 printed, 0 the printer could not be opened.
  int PrintDesc(HWND owner) const;

 private:
  const SZTTblField* DataRow(unsigned row, const void* record, unsigned recordLength, char* buffer,
                             unsigned size) const;
};
