// The commands of ztdesc and what they share. Each command lives in its own
// cmd_*.cpp; main.cpp only dispatches.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

#include "zt_tbl32.h"
#include "zt_tbl32/file_desc.h"

// Exit codes.
enum : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

struct ZTCommand {
  const char* name;
  const char* synopsis;               // arguments, for the usage text
  const char* summary;                // one line
  const char* help;                   // the text of "ztdesc COMMAND --help"
  int (*run)(int argc, char** argv);  // argv[0] is the first argument after the command
};

// The command table (cmd_table.cpp).
extern const ZTCommand kCommands[];
extern const unsigned kCommandCount;

int ztdescShow(int argc, char** argv);
int ztdescVerify(int argc, char** argv);
int ztdescCreate(int argc, char** argv);
int ztdescCopy(int argc, char** argv);
int ztdescExportDesc(int argc, char** argv);
int ztdescImport(int argc, char** argv);
int ztdescDump(int argc, char** argv);
int ztdescExportSqlite(int argc, char** argv);
int ztdescCount(int argc, char** argv);
int ztdescCheck(int argc, char** argv);
int ztdescDemo(int argc, char** argv);

// Usage error of a command: the message and the command's synopsis on stderr; 2.
int ztdescUsage(const char* command, const char* format, ...);
// A failure: "ztdesc: message" on stderr; 1.
int ztdescFail(const char* format, ...);
// Runs a command of the table with the arguments: its exit code.
int ztdescRun(const char* command, std::vector<std::string> args);
// Whether argv holds --help or -h; prints the command's help then.
bool ztdescWantsHelp(const char* command, int argc, char** argv);

// Opens a description file or an ISAM file into desc. int: 1 ok (message printed otherwise).
int ztdescLoad(CZTFileDesc& desc, const char* fileName);
// Whether a name exists (file or directory).
bool ztdescExists(const char* fileName);
// Whether a name is a folder: "NAME is a folder, not a file" is printed then.
bool ztdescIsFolder(const char* fileName);
// An engine error for a message: its text and code, and what the system said
// about the failure behind it (a full disk, a missing right) or, for a damaged
// log, how many committed transactions it lost (detail).
std::string ztdescEngineError(unsigned error, unsigned detail = 0);

// Texts of the library and of records are Windows-1252. What ztdesc prints is
// UTF-8 natively, and on Windows when the console's output code page is UTF-8;
// otherwise the texts go out as they are, in the console's code page.
bool ztdescPrintsUtf8();
std::string ztdescToOutput(const char* text);
// A text of an input file, UTF-8 (utf8) or Windows-1252, as printed.
std::string ztdescInputToOutput(const std::string& text, bool utf8);
// The engine's text of an error code, as printed.
// A text given on the command line (a table name, a selection) as
// Windows-1252: natively converted from UTF-8, on Windows taken as it comes (in
// the ANSI code page). false after printing why, naming what the text is.
bool ztdescArgument(const char* text, const char* what, std::string* out);
// Boxes of the library and the engine: printed to stderr as ztdesc prints
// texts, and counted, so that a command can tell whether it was told why an
// operation failed.
int ztdescBoxHandler(const ZTBoxRequest* box, void* context);
unsigned ztdescBoxCount();

// Names of the codes of a field description.
const char* ztdescEncodingName(unsigned code);
const char* ztdescKindName(unsigned word);

// An open ISAM table with its description.
struct ZTOpenTable {
  ISAMFILE file = nullptr;
  ISAMTABLE table = nullptr;
  CZTFileDesc desc;
  const CZTTableDesc* tableDesc = nullptr;
  unsigned recordSize = 0;
  ~ZTOpenTable();
};
// Opens the ISAM file (mode 4 or 5) and its table by the name given on the
// command line. int: 1 ok.
int ztdescOpenTable(ZTOpenTable& open, const char* fileName, const char* tableName, unsigned mode);

// import: the field an imported file names (a Windows-1252 name, letters of
// either case), fields.m_uCount for none; the bytes of a field that no value
// fills (blanks for text, zeros otherwise); the records encoded from the lines of dataName stored in one
// transaction (an exit code); the JSON lines variant of the import.
unsigned ztdescFindField(const CZTFieldDescList& fields, const std::string& name);
void ztdescBlankField(const CZTFieldDesc& field, unsigned char* record);
int ztdescStoreRecords(ZTOpenTable& open, const std::vector<unsigned char>& records, const std::vector<unsigned>& lines,
                       const char* isamName, const char* dataName);
int ztdescImportJson(ZTOpenTable& open, FILE* data, const char* isamName, const char* dataName);
