// Creating ISAM files from a file description, copying the structure of an
// ISAM file, and reading the table descriptions of an open ISAM file.
#include <errno.h>
#include <stdio.h>

#include <filesystem>
#include <system_error>

#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/file_desc.h"

int ztDefaultSaveFileDialog(HWND owner, char* name, unsigned size);

namespace {
const char kSource[] = "CZTFileDesc";

ZTSaveFileDialog s_saveFileDialog = ztDefaultSaveFileDialog;

// An existing name that is not a directory.
bool IsExistingFile(const char* name) {
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::status(name, ec);
  return std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

// Closes a file; a failure is logged and shown. int: 1 closed without failure.
int CloseReporting(ISAMFILE file, const char* name) {
  unsigned detail = 0;
  unsigned e = ISAMClose(file, &detail);
  if (!e) return 1;
  ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u / %u on closing %s", e, detail, name);
  ISAMDispError(name, "ISAMClose", e, 0);
  return 0;
}

// Gives up a file being made: it is closed and removed with everything beside it.
void DiscardCreated(ISAMFILE file, const char* name) {
  unsigned detail = 0;
  unsigned e = ISAMDiscard(file, &detail);
  if (e) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u / %u on closing %s", e, detail, name);
    ISAMDispError(name, "ISAMClose", e, 0);
  }
}

// Makes a new ISAM file with a table for each description, all in one engine
// transaction. The engine builds the file under a name of its own and gives it
// its name only when it is complete, so that neither a failure nor a killed
// program leaves a part of it under the name. int: 1 ok.
int MakeISAMFile(const CZTTableDescList& tables, const char* name) {
  ISAMFILE file = nullptr;
  unsigned detail = 0;
  unsigned e = ISAMCreateEx(&file, name, ISAM_CREATE_NAMED_ON_CLOSE, &detail);
  if (e) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u / %u on creating %s", e, detail, name);
    ISAMDispError(name, "ISAMCreate", e, 0);
    return 0;
  }
  e = ISAMBeginTransaction(file);
  if (e) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on ISAMBeginTransaction( %s )", e, name);
    ISAMDispError(file, "ISAMBeginTransaction", e, 0);
    DiscardCreated(file, name);
    return 0;
  }
  for (unsigned i = 0; i < tables.m_uCount && tables.m_pTables; ++i) {
    if (!tables.m_pTables[i].CreateISAMTable(file)) {
      DiscardCreated(file, name);
      return 0;
    }
  }
  e = ISAMCommitTransaction(file);
  if (e) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on ISAMCommitTransaction( %s )", e, name);
    ISAMDispError(file, "ISAMCommitTransaction", e, 0);
    DiscardCreated(file, name);
    return 0;
  }
  // Closing gives the file its name; when that fails the engine removes it.
  return CloseReporting(file, name);
}
}  // namespace

ZTSaveFileDialog ztSetSaveFileDialog(ZTSaveFileDialog dialog) {
  ZTSaveFileDialog old = s_saveFileDialog;
  s_saveFileDialog = dialog ? dialog : ztDefaultSaveFileDialog;
  return old;
}

int CZTFileDesc::InitTableDescs(void* isamFile) {
  ISAMFILE file = static_cast<ISAMFILE>(isamFile);
  Free();
  unsigned n = 0;
  unsigned e = ISAMGetTableCount(file, &n);
  if (e) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on ISAMGetTableCount( %s )", e, m_szFileName);
    ISAMDispError(file, "ISAMGetTableCount", e, 0);
    return 1;
  }
  if (!n) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSource, "InitTableDescs: No data tables found in the isam file.");
    return 1;
  }
  m_Tables.m_pTables = ztAllocRecords<CZTTableDesc>(n, kZTNoErrorBox, kSource);
  if (!m_Tables.m_pTables) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "AllocRecs: Cannot allocate new data records");
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot allocate %u new table description records.", n);
    ztTbl32Lib.DispError(ZT_ERR_FILE_ALLOC);
    return 0;
  }
  m_Tables.m_uCount = m_Tables.m_uAlloc = n;
  for (unsigned i = 0; i < n; ++i) {
    if (!m_Tables.m_pTables[i].ReadDesc(file, i)) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on read the description of table %u.", i);
      return 0;
    }
  }
  return 1;
}

int CZTFileDesc::CreateISAMFile(HWND owner, const char* fileName) {
  char name[MAX_PATH];
  if (fileName && fileName[0]) {
    ztStrCopy(name, fileName, sizeof(name));
  } else {
    name[0] = 0;
    if (!s_saveFileDialog(owner, name, sizeof(name)) || !name[0]) {
      ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSource, "User canceled creation in filename dialog.");
      return 0;
    }
    if (IsExistingFile(name)) {
      if (ztTbl32Lib.DispQuestion(ZT_ERR_FILE_REPLACE_QUESTION, name) != IDYES) {
        ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSource, "User canceled creation of existing isam file %s", name);
        return 0;
      }
      if (remove(name) != 0) {
        unsigned error = (unsigned)errno;
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on deleting %s", error, name);
        ztTbl32Lib.DispError(ZT_ERR_FILE_DELETE, name, error);
        return 0;
      }
    }
  }

  return MakeISAMFile(m_Tables, name);
}

int CZTFileDesc::CopyISAMStructure(const char* source, const char* destination) {
  if (!source || !source[0]) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "CopyISAMStructure: Missing or empty source file name.");
    ztTbl32Lib.DispError(ZT_ERR_COPY_NO_SOURCE);
    return 0;
  }
  if (!IsExistingFile(source)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "CopyISAMStructure: Source file does not exist: %s", source);
    ztTbl32Lib.DispError(ZT_ERR_COPY_SOURCE_MISSING, source);
    return 0;
  }
  if (!destination || !destination[0]) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "CopyISAMStructure: Missing or empty destination file name.");
    ztTbl32Lib.DispError(ZT_ERR_COPY_NO_DEST);
    return 0;
  }
  std::error_code ec;
  if (std::filesystem::exists(destination, ec)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "CopyISAMStructure: Destinatino file exists already: %s", destination);
    ztTbl32Lib.DispError(ZT_ERR_COPY_DEST_EXISTS, destination);
    return 0;
  }

  if (!ReadISAMDescs(source)) return 0;
  return MakeISAMFile(m_Tables, destination);
}

int CZTFileDesc::ReadISAMDescs(const char* fileName) {
  ISAMFILE file = nullptr;
  unsigned detail = 0;
  unsigned e = ISAMOpen(&file, fileName, ISAM_OPEN_READWRITE, &detail);
  if (e) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u / %u on opening %s", e, detail, fileName);
    ISAMDispError(fileName, "ISAMOpen", e, 0);
    return 0;
  }
  if (!InitTableDescs(file)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on reading table descriptions of %s", fileName);
    ISAMClose(file, &detail);
    return 0;
  }
  return CloseReporting(file, fileName);
}
