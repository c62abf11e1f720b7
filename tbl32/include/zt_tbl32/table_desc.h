// The description of one ISAM table: name, index node size, fields, keys and
// gallery. Reads and writes its block of the description file, checks itself,
// creates its ISAM table and reads itself back from one.
#pragma once

#include "zt_tbl32/field_desc_list.h"
#include "zt_tbl32/gall_desc.h"
#include "zt_tbl32/key_desc_list.h"

class CGridDef;
class IGridView;

constexpr unsigned kZTNewNodeSize = 1024;      // a new description
constexpr unsigned kZTDefaultNodeSize = 2048;  // a block without "IndexNodeSize:"
constexpr unsigned kZTMinNodeSize = 32;
constexpr unsigned kZTMaxNodeSize = 65535;

// Pages of the table property sheet.
enum : unsigned { ZT_SHEET_FIELDS = 1, ZT_SHEET_KEYS = 2, ZT_SHEET_GALLERY = 4 };

class ZT_TBL32_API CZTTableDesc {
 public:
  unsigned m_uIndexNodeSize;
  char m_szName[kZTNameSize];
  CZTKeyDescList m_Keys;
  CZTFieldDescList m_Fields;
  CZTGallDesc m_Gallery;

  CZTTableDesc();
  ~CZTTableDesc();
  // Deep copies; CZTTblErr when a table cannot be allocated.
  CZTTableDesc(const CZTTableDesc& other);
  CZTTableDesc& operator=(const CZTTableDesc& other);

  // Reads the table block the reader is positioned on. int: 1 ok.
  int ReadDef(CZTConfFile& conf, const char* keyword, unsigned blockNumber);
  // Writes the block opened and closed by keyword ("Table:").
  int WriteDef(CZTConfFile& conf, const char* keyword) const;
  // One row of a table list: name, field count, key count, record size, node size.
  int DispDef(CGridDef& grid, unsigned row) const;
  int DispDef(IGridView* view, unsigned row) const;
  // Prepares a record grid whose columns are the fields; the grid's view or null.
  IGridView* DispGridDataHeader(HWND window, unsigned controlId) const;
  // The same on a grid's interface (commandBase: the control id the column
  // command ids count from); the view, or null without fields.
  IGridView* DispGridDataHeaderOn(IGridView* view, unsigned commandBase) const;
  int FillFieldsCombo(HWND window, unsigned controlId, const char* select) const;
  int GetCurrSelCombo(HWND window, unsigned controlId, char* buffer) const;

  int SetFieldName(unsigned index, const char* name);
  int DispFieldProperties(CGridDef& grid, unsigned index);
  int InsertField(const char* name, unsigned* position);
  int InsertKey(unsigned* position);
  int ListKeys(CGridDef& grid) const;
  unsigned KeyPartToIndex(unsigned row) const;
  unsigned KeyPartToPart(unsigned row) const;
  unsigned FindKeyToFieldIndex(unsigned fieldIndex) const;
  unsigned FindFieldToKeyIndex(unsigned keyIndex, unsigned part) const;
  void SetKeyFieldIndex(unsigned keyIndex, unsigned part, unsigned fieldIndex);
  // int: 1 usable as an ISAM table (a gap in the record is only a warning).
  int VerifyTable() const;
  // Releases fields and keys; name, node size and gallery stay.
  void FreeTable();

  // Creates the table in an open ISAM file and stores the description text in it.
  int CreateISAMTable(void* isamFile) const;
  // Reads table number n of an open ISAM file from its stored description.
  int ReadDesc(void* isamFile, unsigned tableNumber);

  // Writes the header and this one table block into an open edit (the text
  // stored inside an ISAM table). int: 1 ok.
  int EditStoredDesc(CZTConfFile& conf) const;

  // Print the fields (one line each) or the keys (one line per part) of the
  // table. int: 1 printed, 0 the printer could not be opened or the person
  // cancelled.
  int PrintFieldList(HWND owner) const;
  int PrintKeyList(HWND owner) const;

  // Edits the table in a property sheet: pages is a bit set (ZT_SHEET_...), the
  // gallery page only when the gallery is defined; startPage is the index of the
  // page shown first. The result of the system's property sheet (0 on failure).
  int PropertySheetA(HWND parent, unsigned pages, unsigned startPage);
};

// Case-insensitive comparison of a table name with a description's name.
ZT_TBL32_API int CmpTableName(const void* name, const CZTTableDesc* table);
