#include <stdarg.h>
#include <string.h>

#include <filesystem>
#include <system_error>

#include "code_page.h"
#include "commands.h"
#include "zt_lib32/system_error.h"

int ztdescUsage(const char* command, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  ztFormatV(text, sizeof(text), format, args);
  va_end(args);
  fprintf(stderr, "ztdesc %s: %s\n", command, text);
  for (unsigned i = 0; i < kCommandCount; ++i)
    if (!strcmp(kCommands[i].name, command))
      fprintf(stderr, "usage: ztdesc %s %s\n", kCommands[i].name, kCommands[i].synopsis);
  return kExitUsage;
}

int ztdescFail(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  ztFormatV(text, sizeof(text), format, args);
  va_end(args);
  fprintf(stderr, "ztdesc: %s\n", text);
  return kExitFailed;
}

bool ztdescWantsHelp(const char* command, int argc, char** argv) {
  for (int i = 0; i < argc; ++i) {
    if (!strcmp(argv[i], "--help") || !strcmp(argv[i], "-h")) {
      for (unsigned c = 0; c < kCommandCount; ++c)
        if (!strcmp(kCommands[c].name, command))
          printf("usage: ztdesc %s %s\n\n%s", kCommands[c].name, kCommands[c].synopsis, kCommands[c].help);
      return true;
    }
  }
  return false;
}

int ztdescRun(const char* command, std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  for (unsigned i = 0; i < kCommandCount; ++i)
    if (!strcmp(kCommands[i].name, command)) return kCommands[i].run(static_cast<int>(args.size()), argv.data());
  return kExitFailed;
}

bool ztdescExists(const char* fileName) {
  std::error_code ec;
  return std::filesystem::exists(fileName, ec);
}

bool ztdescIsFolder(const char* fileName) {
  std::error_code ec;
  if (!std::filesystem::is_directory(fileName, ec)) return false;
  ztdescFail("%s is a folder, not a file", fileName);
  return true;
}

std::string ztdescEngineError(unsigned error, unsigned detail) {
  char text[600];
  unsigned n = ztFormat(text, sizeof(text), "%s (error %u", ISAMErrorText(error), error);
  if (error == ISAM_ERR_LOG_DAMAGED && detail) {
    n += ztFormat(text + n, sizeof(text) - n, "; %u committed transactions cannot be replayed", detail);
  } else if (unsigned system = ISAMLastSystemError()) {
    char reason[256];
    n += ztFormat(text + n, sizeof(text) - n, "; %s", ztSystemErrorText(system, reason, sizeof(reason)));
  }
  ztStrCopy(text + n, ")", sizeof(text) - n);
  return ztdescToOutput(text);
}

int ztdescLoad(CZTFileDesc& desc, const char* fileName) {
  std::error_code ec;
  if (ztdescIsFolder(fileName)) return 0;
  if (!std::filesystem::is_regular_file(fileName, ec)) {
    ztdescFail("%s: no such file", fileName);
    return 0;
  }
  if (!desc.InitDescEdit(nullptr, fileName, 0)) {
    // The engine's box above says why an ISAM file could not be read.
    ztdescFail(desc.m_bIsamFile ? "%s: the ISAM file cannot be read" : "%s: cannot be read as a description file",
               fileName);
    return 0;
  }
  return 1;
}

const char* ztdescEncodingName(unsigned code) {
  static const char* const kNames[] = {"ite8INTEGER",   "ite16INTEGER",  "ite32INTEGER",
                                       "ite64INTEGER",  "ite32FLOATING", "ite64FLOATING",
                                       "ite80FLOATING", "iteASCIITEXT",  "iteUNICODETEXT"};
  return code < sizeof(kNames) / sizeof(kNames[0]) ? kNames[code] : "-";
}

const char* ztdescKindName(unsigned word) {
  static const char* const kNames[] = {"text", "number", "date", "decimal", "kind4", "kind5"};
  unsigned kind = word & 0xF;
  return kind < 6 ? kNames[kind] : "?";
}

ZTOpenTable::~ZTOpenTable() {
  if (table) ISAMCloseTable(table);
  if (file) {
    unsigned detail = 0;
    ISAMClose(file, &detail);
  }
}

int ztdescOpenTable(ZTOpenTable& open, const char* fileName, const char* tableName, unsigned mode) {
  if (!ztdescLoad(open.desc, fileName)) return 0;
  if (!open.desc.m_bIsamFile) {
    ztdescFail("%s is not an ISAM file", fileName);
    return 0;
  }
  std::string name;
  if (!ztdescArgument(tableName, "table name", &name)) return 0;
  unsigned index = open.desc.FindTableName(name.c_str());
  if (index == kZTNotFound) {
    ztdescFail("%s: no table %s", fileName, tableName);
    return 0;
  }
  open.tableDesc = &open.desc.m_Tables.m_pTables[index];
  if (!open.tableDesc->m_Fields.m_uCount) {
    ztdescFail("%s: table %s has no stored description of its fields", fileName, tableName);
    return 0;
  }
  unsigned detail = 0;
  unsigned e = ISAMOpen(&open.file, fileName, mode, &detail);
  if (e) {
    open.file = nullptr;
    ztdescFail("%s: %s", fileName, ztdescEngineError(e, detail).c_str());
    return 0;
  }
  e = ISAMOpenTable(open.file, open.tableDesc->m_szName, &open.table);
  if (e) {
    open.table = nullptr;
    ztdescFail("%s: table %s: %s", fileName, tableName, ztdescEngineError(e).c_str());
    return 0;
  }
  e = ISAMGetDataRecSize(open.table, &open.recordSize);
  if (e) {
    ztdescFail("%s: table %s: %s", fileName, tableName, ztdescEngineError(e).c_str());
    return 0;
  }
  if (open.tableDesc->m_Fields.GetRecSize() > open.recordSize) {
    ztdescFail("%s: table %s: the description needs %u bytes, the records have %u", fileName, tableName,
               open.tableDesc->m_Fields.GetRecSize(), open.recordSize);
    return 0;
  }
  return 1;
}

std::string ztdescToOutput(const char* text) {
  if (!text) return std::string();
  return ztdescPrintsUtf8() ? ztCp1252ToUtf8(text, strlen(text)) : std::string(text);
}

std::string ztdescInputToOutput(const std::string& text, bool utf8) {
  std::string out;
  if (!utf8) return ztdescPrintsUtf8() ? ztCp1252ToUtf8(text) : text;
  if (ztdescPrintsUtf8()) return text;
  // On a console that is not UTF-8: as Windows-1252 where it can be.
  ZTCodePageError error;
  return ztUtf8ToCp1252(text.data(), text.size(), &out, &error) ? out : text;
}

bool ztdescArgument(const char* text, const char* what, std::string* out) {
#ifdef _WIN32
  *out = text;
  (void)what;
  return true;
#else
  ZTCodePageError error;
  if (ztUtf8ToCp1252(text, strlen(text), out, &error)) return true;
  ztdescFail("%s \"%s\": %s", what, text, ztCodePageErrorText(text, strlen(text), error).c_str());
  return false;
#endif
}

namespace {
unsigned g_boxes = 0;
}  // namespace

int ztdescBoxHandler(const ZTBoxRequest* box, void*) {
  ++g_boxes;
  fprintf(stderr, "%s: %s\n", ztdescToOutput(box->caption).c_str(), ztdescToOutput(box->text).c_str());
  fflush(stderr);
  // A batch run never says yes on its own.
  return (box->style & 0x0F) == MB_YESNO ? IDNO : IDOK;
}

unsigned ztdescBoxCount() { return g_boxes; }
