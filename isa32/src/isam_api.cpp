// The engine's C interface: handle checks, then the file object does the work.
#include <string.h>

#include <string>
#include <unordered_set>

#include "isam_checker.h"
#include "isam_file.h"
#include "isam_library.h"
#include "zt_lib32/box_handler.h"
#include "zt_lib32/strings.h"
#include "zt_lib32/system_error.h"

struct ZTIsamFile : public isam::CIsamFile {};

namespace {

// Live handles, so that a stale or foreign pointer gets an error instead of a crash.
std::unordered_set<const void*> g_files;
std::unordered_set<const void*> g_tables;

// The names of the last closed files, so that an error box for a handle that was
// just closed still names its file.
struct ClosedFile {
  const void* handle;
  char name[MAX_PATH];
};
constexpr unsigned kClosedRing = 16;
ClosedFile g_closed[kClosedRing];
unsigned g_closedNext = 0;

// The table handle used last: iterations call with the same handle again and again.
const void* g_lastTable = nullptr;

// The last failure and the system error behind it, for ISAMDispError and
// ISAMLastSystemError.
unsigned g_lastError = 0;
unsigned g_lastSystemError = 0;

// Errors whose detail is a system error code.
bool carriesSystemError(unsigned error) {
  switch (error) {
    case ISAM_ERR_OPEN:
    case ISAM_ERR_CREATE:
    case ISAM_ERR_READ:
    case ISAM_ERR_WRITE:
    case ISAM_ERR_FLUSH:
    case ISAM_ERR_LOCKED:
    case ISAM_ERR_LOG_UNREADABLE:
    case ISAM_ERR_NOT_WRITABLE:
      return true;
    default:
      return false;
  }
}

unsigned noted(unsigned error, unsigned detail) {
  if (error && error != ISAM_END_OF_ITERATION) {
    g_lastError = error;
    g_lastSystemError = carriesSystemError(error) ? detail : 0;
  }
  return error;
}

// A call on an open file: its pager knows the system error of a failure.
unsigned notedOn(unsigned error, isam::CIsamFile* f) { return noted(error, f ? f->Pager().LastDetail() : 0); }

ZTIsamFile* fileOf(ISAMFILE f) { return g_files.count(f) ? f : nullptr; }
isam::TableHandle* tableOf(ISAMTABLE t) {
  if (t && t == g_lastTable) return reinterpret_cast<isam::TableHandle*>(t);
  if (!g_tables.count(t)) return nullptr;
  g_lastTable = t;
  return reinterpret_cast<isam::TableHandle*>(t);
}

void forgetTable(const void* t) {
  g_tables.erase(t);
  if (g_lastTable == t) g_lastTable = nullptr;
}

void forgetTables(ZTIsamFile* f) {
  for (isam::TableHandle* h : f->Handles()) forgetTable(h);
}

// Runs one call on a table and trims the cache afterwards.
template <typename Fn>
unsigned onTable(ISAMTABLE table, Fn fn) {
  isam::TableHandle* t = tableOf(table);
  if (!t) return ISAM_ERR_HANDLE;
  unsigned e = fn(t);
  t->file->EndCall();
  return e && e != ISAM_END_OF_ITERATION ? notedOn(e, t->file) : e;
}

}  // namespace

unsigned ISAMCreateEx(ISAMFILE* file, const char* fileName, unsigned flags, unsigned* extError) {
  unsigned dummy = 0;
  unsigned* ext = extError ? extError : &dummy;
  *ext = 0;
  if (!file || !fileName || !*fileName || (flags & ~unsigned(ISAM_CREATE_NAMED_ON_CLOSE)))
    return noted(ISAM_ERR_ARGUMENT, 0);
  *file = nullptr;
  ZTIsamFile* f = new (std::nothrow) ZTIsamFile();
  if (!f) return noted(ISAM_ERR_NO_MEMORY, 0);
  unsigned e = f->Create(fileName, (flags & ISAM_CREATE_NAMED_ON_CLOSE) != 0, ext);
  if (e) {
    delete f;
    return noted(e, *ext);
  }
  g_files.insert(f);
  *file = f;
  return ISAM_OK;
}

unsigned ISAMCreate(ISAMFILE* file, const char* fileName, unsigned* extError) {
  return ISAMCreateEx(file, fileName, 0, extError);
}

unsigned ISAMOpen(ISAMFILE* file, const char* fileName, unsigned mode, unsigned* extError) {
  unsigned dummy = 0;
  unsigned* ext = extError ? extError : &dummy;
  *ext = 0;
  if (!file || !fileName || !*fileName) return noted(ISAM_ERR_ARGUMENT, 0);
  *file = nullptr;
  const bool acceptLogLoss = (mode & ISAM_OPEN_ACCEPT_LOG_LOSS) != 0;
  mode &= ~unsigned(ISAM_OPEN_ACCEPT_LOG_LOSS);
  if (mode != ISAM_OPEN_READWRITE && mode != ISAM_OPEN_READONLY) return noted(ISAM_ERR_MODE, 0);
  ZTIsamFile* f = new (std::nothrow) ZTIsamFile();
  if (!f) return noted(ISAM_ERR_NO_MEMORY, 0);
  unsigned e = f->Open(fileName, mode == ISAM_OPEN_READONLY, acceptLogLoss, ext);
  if (e) {
    delete f;
    return noted(e, *ext);
  }
  g_files.insert(f);
  *file = f;
  return ISAM_OK;
}

namespace {
// Closes (or discards) a file handle; its name stays known to ISAMDispError.
unsigned closeFile(ISAMFILE file, unsigned* extError, bool discard) {
  unsigned dummy = 0;
  unsigned* ext = extError ? extError : &dummy;
  *ext = 0;
  ZTIsamFile* f = fileOf(file);
  if (!f) return noted(ISAM_ERR_HANDLE, 0);
  forgetTables(f);
  g_files.erase(f);
  ClosedFile& c = g_closed[g_closedNext++ % kClosedRing];
  c.handle = f;
  ztStrCopy(c.name, f->Name().c_str(), sizeof(c.name));
  unsigned e = discard ? f->Discard(ext) : f->Close(ext);
  delete f;
  return e ? noted(e, *ext) : e;
}
}  // namespace

unsigned ISAMClose(ISAMFILE file, unsigned* extError) { return closeFile(file, extError, false); }

unsigned ISAMDiscard(ISAMFILE file, unsigned* extError) { return closeFile(file, extError, true); }

unsigned ISAMGetTableCount(ISAMFILE file, unsigned* count) {
  ZTIsamFile* f = fileOf(file);
  if (!f) return ISAM_ERR_HANDLE;
  if (!count) return ISAM_ERR_ARGUMENT;
  unsigned e = f->TableCount(count);
  return e ? notedOn(e, f) : e;
}

unsigned ISAMGetTableName(ISAMFILE file, unsigned index, char* name, unsigned size) {
  ZTIsamFile* f = fileOf(file);
  if (!f) return ISAM_ERR_HANDLE;
  if (!name) return ISAM_ERR_ARGUMENT;
  unsigned e = f->TableName(index, name, size);
  return e ? notedOn(e, f) : e;
}

unsigned ISAMSetCacheSize(ISAMFILE file, unsigned bytes) {
  ZTIsamFile* f = fileOf(file);
  if (!f) return ISAM_ERR_HANDLE;
  f->Pager().SetCacheBytes(bytes);
  f->EndCall();
  return ISAM_OK;
}

unsigned ISAMCreateTable(ISAMFILE file, const char* tableName, const ISAMIDT* idt, unsigned keyCount,
                         unsigned recordSize, unsigned nodeSize) {
  ZTIsamFile* f = fileOf(file);
  if (!f) return ISAM_ERR_HANDLE;
  unsigned e = f->CreateTable(tableName, idt, keyCount, recordSize, nodeSize);
  f->EndCall();
  return e ? notedOn(e, f) : e;
}

unsigned ISAMCheckTableDef(const ISAMIDT* idt, unsigned keyCount, unsigned recordSize, unsigned nodeSize, unsigned* key,
                           unsigned* part) {
  unsigned k = 0, p = 0;
  isam::KeyDef defs[ISAM_MAX_KEYS] = {};
  unsigned e = isam::CheckTableDef(idt, keyCount, recordSize, nodeSize, defs, &k, &p);
  if (key) *key = k;
  if (part) *part = p;
  return e;
}

unsigned ISAMOpenTable(ISAMFILE file, const char* tableName, ISAMTABLE* table) {
  ZTIsamFile* f = fileOf(file);
  if (!f) return ISAM_ERR_HANDLE;
  if (!table) return ISAM_ERR_ARGUMENT;
  *table = nullptr;
  isam::TableHandle* h = nullptr;
  unsigned e = f->OpenTable(tableName, &h);
  if (!e) {
    *table = reinterpret_cast<ISAMTABLE>(h);
    g_tables.insert(h);
  }
  f->EndCall();
  return e ? notedOn(e, f) : e;
}

unsigned ISAMCloseTable(ISAMTABLE table) {
  isam::TableHandle* t = tableOf(table);
  if (!t) return ISAM_ERR_HANDLE;
  forgetTable(t);
  return t->file->CloseTable(t);
}

unsigned ISAMWriteTableDesc(ISAMTABLE table, unsigned slot, const char* text, unsigned length) {
  return onTable(table, [&](isam::TableHandle* t) { return t->file->WriteDesc(t, slot, text, length); });
}

unsigned ISAMGetTableDescSize(ISAMTABLE table, unsigned slot, unsigned* size) {
  if (!size) return ISAM_ERR_ARGUMENT;
  return onTable(table, [&](isam::TableHandle* t) { return t->file->DescSize(t, slot, size); });
}

unsigned ISAMReadTableDesc(ISAMTABLE table, unsigned slot, char* buffer, unsigned size, unsigned* lengthRead) {
  return onTable(table, [&](isam::TableHandle* t) { return t->file->ReadDesc(t, slot, buffer, size, lengthRead); });
}

unsigned ISAMGetIndexRecSize(ISAMTABLE table, unsigned* nodeSize) {
  if (!nodeSize) return ISAM_ERR_ARGUMENT;
  isam::TableHandle* t = tableOf(table);
  if (!t) return ISAM_ERR_HANDLE;
  *nodeSize = t->state->nodeSize;
  return ISAM_OK;
}

unsigned ISAMGetDataRecSize(ISAMTABLE table, unsigned* recordSize) {
  if (!recordSize) return ISAM_ERR_ARGUMENT;
  isam::TableHandle* t = tableOf(table);
  if (!t) return ISAM_ERR_HANDLE;
  *recordSize = t->state->recordSize;
  return ISAM_OK;
}

unsigned ISAMGetRecordCount(ISAMTABLE table, unsigned* count) {
  if (!count) return ISAM_ERR_ARGUMENT;
  return onTable(table, [&](isam::TableHandle* t) { return t->file->RecordCount(t, count); });
}

unsigned ISAMGetIndexDesc(ISAMTABLE table, unsigned index, void* descriptor) {
  if (!descriptor) return ISAM_ERR_ARGUMENT;
  return onTable(table,
                 [&](isam::TableHandle* t) { return t->file->IndexDesc(t, index, static_cast<uint8_t*>(descriptor)); });
}

unsigned ISAMSetupIterationLimits(ISAMTABLE table, unsigned index, unsigned flags, const void* lowKey,
                                  const void* highKey) {
  return onTable(table, [&](isam::TableHandle* t) { return t->file->SetupLimits(t, index, flags, lowKey, highKey); });
}

unsigned ISAMSetupIterationAddress(ISAMTABLE table, unsigned index, unsigned flags, unsigned address, void*) {
  return onTable(table, [&](isam::TableHandle* t) { return t->file->SetupAddress(t, index, flags, address); });
}

unsigned ISAMSetupIterationEntry(ISAMTABLE table, unsigned index, unsigned flags, unsigned entry) {
  return onTable(table, [&](isam::TableHandle* t) { return t->file->SetupEntry(t, index, flags, entry); });
}

unsigned ISAMGetEntryNumber(ISAMTABLE table, unsigned index, unsigned address, unsigned* entry) {
  if (!entry) return ISAM_ERR_ARGUMENT;
  return onTable(table, [&](isam::TableHandle* t) { return t->file->EntryNumber(t, index, address, entry); });
}

unsigned ISAMReadNextRecord(ISAMTABLE table, unsigned index, void* record, unsigned* address, void*) {
  return onTable(table, [&](isam::TableHandle* t) { return t->file->ReadNext(t, index, record, address); });
}

unsigned ISAMReadNextKeys(ISAMTABLE table, unsigned index, void* buffer, unsigned size, unsigned* count) {
  if (!buffer || !count) return ISAM_ERR_ARGUMENT;
  *count = 0;
  return onTable(table, [&](isam::TableHandle* t) { return t->file->ReadNextKeys(t, index, buffer, size, count); });
}

unsigned ISAMKeyEntrySize(ISAMTABLE table, unsigned index, unsigned* size) {
  if (!size) return ISAM_ERR_ARGUMENT;
  return onTable(table, [&](isam::TableHandle* t) { return t->file->KeyEntrySize(t, index, size); });
}

unsigned ISAMReadRecords(ISAMTABLE table, unsigned* address, void* buffer, unsigned size, unsigned* count) {
  if (!address || !buffer || !count) return ISAM_ERR_ARGUMENT;
  *count = 0;
  return onTable(table, [&](isam::TableHandle* t) { return t->file->ReadRecords(t, address, buffer, size, count); });
}

unsigned ISAMReadRecordByAddress(ISAMTABLE table, unsigned address, void* buffer, unsigned size, void*) {
  return onTable(table, [&](isam::TableHandle* t) { return t->file->ReadByAddress(t, address, buffer, size); });
}

unsigned ISAMInsertRecord(ISAMTABLE table, const void* record, unsigned* address) {
  return onTable(table, [&](isam::TableHandle* t) { return t->file->Insert(t, record, address); });
}

unsigned ISAMUpdateRecord(ISAMTABLE table, unsigned address, const void* record) {
  return onTable(table, [&](isam::TableHandle* t) { return t->file->Update(t, address, record); });
}

unsigned ISAMDeleteRecord(ISAMTABLE table, unsigned address) {
  return onTable(table, [&](isam::TableHandle* t) { return t->file->Delete(t, address); });
}

unsigned ISAMBeginTransaction(ISAMFILE file) {
  ZTIsamFile* f = fileOf(file);
  if (!f) return ISAM_ERR_HANDLE;
  unsigned e = f->Begin();
  return e ? notedOn(e, f) : e;
}

unsigned ISAMCommitTransaction(ISAMFILE file) {
  ZTIsamFile* f = fileOf(file);
  if (!f) return ISAM_ERR_HANDLE;
  unsigned e = f->Commit();
  f->EndCall();
  return e ? notedOn(e, f) : e;
}

unsigned ISAMRollbackTransaction(ISAMFILE file) {
  ZTIsamFile* f = fileOf(file);
  return f ? f->Rollback() : ISAM_ERR_HANDLE;
}

unsigned ISAMLastSystemError(void) { return g_lastSystemError; }

unsigned ISAMCheckFile(ISAMFILE file, char* report, unsigned size) {
  if (report && size) report[0] = '\0';
  ZTIsamFile* f = fileOf(file);
  if (!f) return ISAM_ERR_HANDLE;
  isam::CIsamChecker checker(f);
  unsigned e = checker.Run(report, size);
  f->EndCall();
  return e;
}

void ISAMDispError(const void* identification, const char* functionName, unsigned error, unsigned extError) {
  char name[MAX_PATH] = "";
  if (g_files.count(identification)) {
    ztStrCopy(name, static_cast<const ZTIsamFile*>(identification)->Name().c_str(), sizeof(name));
  } else if (g_tables.count(identification)) {
    const isam::TableHandle* t = static_cast<const isam::TableHandle*>(identification);
    ztFormat(name, sizeof(name), "%s (%s)", t->file->Name().c_str(), t->state->name);
  } else {
    bool closed = false;
    for (const ClosedFile& c : g_closed) {
      if (identification && c.handle == identification) {
        ztStrCopy(name, c.name, sizeof(name));
        closed = true;
      }
    }
    if (!closed && identification) {
      const char* text = static_cast<const char*>(identification);
      ztStrCopyN(name, text, unsigned(strnlen(text, MAX_PATH - 1)), sizeof(name));
    }
  }
  char captionFormat[128];
  char caption[160];
  ztIsa32Lib.LoadOwnString(0, captionFormat, sizeof(captionFormat));
  ztFormat(caption, sizeof(caption), captionFormat, error);
  // A system error says why (a full disk, a missing right): its text follows the
  // code. Callers that pass 0 get the system error of the last failure of that code.
  if (!extError && error == g_lastError) extError = g_lastSystemError;
  char reason[300] = "";
  if (extError && carriesSystemError(error)) {
    char system[256];
    ztFormat(reason, sizeof(reason), " (%s)", ztSystemErrorText(extError, system, sizeof(system)));
  }
  char text[1024];
  ztFormat(text, sizeof(text), "Datei: %s\nFunktion: %s\nFehler %u: %s\nDetail: %u%s", name,
           functionName ? functionName : "", error, ISAMErrorText(error), extError, reason);
  ZTBoxRequest box{error, ZT_BOX_ENGINE, 0x30, caption, text};
  ztShowBox(&box);
}
