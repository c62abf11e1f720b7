// The table descriptions of one data file together with the file they came
// from: a description file (".CFG") or an ISAM file.
#pragma once

#include "zt_tbl32/table_desc_list.h"

// Kinds of a file name (TestFileType).
enum : unsigned {
  ZT_FILE_NEW_CFG = 0,  // does not exist, ends in ".CFG"
  ZT_FILE_NONE = 1,     // not usable
  ZT_FILE_ISAM = 2,
  ZT_FILE_DESC = 3,
};

// The save-file dialog of CreateISAMFile: fills name (size bytes) and returns 1,
// or 0 when the user cancels. Replaceable so that batch programs and tests can
// answer it.
// No table: none is selected, or no table is at fault because there are none.
constexpr unsigned kZTNoTable = 0xFFFFFFFFu;

typedef int (*ZTSaveFileDialog)(HWND owner, char* name, unsigned size);
ZT_TBL32_API ZTSaveFileDialog ztSetSaveFileDialog(ZTSaveFileDialog dialog);

class ZT_TBL32_API CZTFileDesc {
 public:
  unsigned m_bIsamFile;
  unsigned m_bReadOnly;
  unsigned m_bNewFile;
  unsigned m_uSelTable;  // set by the application; kZTNoTable: none
  char m_szFileName[MAX_PATH];
  CZTTableDescList m_Tables;

  CZTFileDesc();
  CZTFileDesc(const CZTFileDesc& other);
  CZTFileDesc& operator=(const CZTFileDesc& other);

  void Free();
  int InitDescEdit(HWND owner, const char* fileName, int create);
  int WriteDesc() const;
  int VerifyDesc(unsigned* badTable) const;
  // The part of VerifyDesc across tables: no two tables of one name (ASCII case
  // ignored; box 1531). int: 1 ok; *badTable gets the second table of a name.
  int VerifyTableNames(unsigned* badTable) const;
  int InitTableDescs(void* isamFile);
  int CreateISAMFile(HWND owner, const char* fileName);
  int CopyISAMStructure(const char* source, const char* destination);
  int OpenISAMFile(HWND owner, const char* fileName);

  unsigned FindTableName(const char* name) const;
  CZTTableDesc* GetTableItem(const char* name);
  const CZTTableDesc* GetCTableItem(const char* name) const;
  int SetTableName(unsigned index, const char* name);
  int InsertTable(const char* name, unsigned* position);
  int DeleteTable(unsigned index);

  int HeadTables(HWND dialog, unsigned controlId, int lineMode) const;
  int ListTables() const;
  int ListTables(CGridDef& grid) const;
  int ListTables(HWND window, unsigned controlId) const;
  int FillTablesCombo(HWND window, unsigned controlId, const char* select) const;
  int GetCurrSelCombo(HWND window, unsigned controlId, char* buffer) const;

  // Writes every table into an open edit after the header: the whole text of a
  // description file. int: 1 ok.
  int EditDesc(CZTConfFile& conf) const;

 private:
  unsigned TestFileType(const char* fileName);
  // Opens an ISAM file, reads the descriptions of its tables and closes it. int: 1 ok.
  int ReadISAMDescs(const char* fileName);
  int MoveTable(unsigned from, unsigned to);
};

// The header lines of a description file (title: "Data File Description", or
// another for the text stored inside an ISAM table).
ZT_TBL32_API void ztEditDescHeader(CZTConfFile& conf, const char* title);
