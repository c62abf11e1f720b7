// The commands of ztdesc, in the order the usage text lists them.
#include "commands.h"

const ZTCommand kCommands[] = {
    {"show", "FILE [--json]", "the tables, fields and keys of a description file or an ISAM file",
     "Shows the tables of a description file (.CFG) or of an ISAM file (read from the\n"
     "descriptions stored in its tables): name, fields, keys, record size and node size,\n"
     "then each table's fields and keys.\n\n"
     "  --json   the same as JSON\n",
     ztdescShow},
    {"verify", "FILE", "checks every table of a description",
     "Checks every table of a description file or an ISAM file as VerifyDesc does and\n"
     "prints the boxes it raises. Exit code 1 when a table is not usable.\n",
     ztdescVerify},
    {"create", "DESC.CFG OUT", "a new ISAM file from a description file",
     "Creates the ISAM file OUT with one table per table block of DESC.CFG. The\n"
     "description is checked first; OUT must not exist.\n",
     ztdescCreate},
    {"copy", "SRC DST", "a new, empty ISAM file with the structure of another",
     "Creates DST with the tables, fields, keys and stored descriptions of the ISAM\n"
     "file SRC, but no records. DST must not exist.\n",
     ztdescCopy},
    {"export-desc", "ISAMFILE OUT.CFG", "the descriptions stored in an ISAM file as a description file",
     "Writes the table descriptions stored in ISAMFILE as the description file OUT.CFG,\n"
     "which must not exist.\n",
     ztdescExportDesc},
    {"import", "ISAMFILE TABLE DATA.csv | --json DATA.jsonl", "loads records from a ';'-separated file or JSON lines",
     "Loads the records of DATA.csv into TABLE in one transaction. The first row names\n"
     "the fields; each value is written as the field shows it (German notation:\n"
     "1.234,56; dates in the field's display format). A value that does not fit its\n"
     "field stops the import with file, line, field and reason, and nothing is stored.\n"
     "Fields without a column are blank (text) or zero. The file is UTF-8 (on Windows\n"
     "when it begins with a byte order mark); every character must exist in\n"
     "Windows-1252, in which the records are stored.\n\n"
     "  --json   DATA holds one JSON object per line, as dump --json writes them: the\n"
     "           field names as keys, numbers as JSON numbers (1234.56), dates and times\n"
     "           as ISO 8601 text (\"2024-01-31\", \"2024-01-31 13:45:00\", \"13:45:00\"),\n"
     "           texts as UTF-8 strings. A field a line leaves out or gives as null is\n"
     "           blank (text, dates) or zero.\n",
     ztdescImport},
    {"dump", "ISAMFILE TABLE [--index N] [--backward] [--limit N] [--csv | --json] [--where EXPR [--explain]]",
     "the records of a table in index order",
     "Lists the records of TABLE in the order of key N (1 = the first key, as show\n"
     "numbers them), each field formatted as the grid shows it.\n\n"
     "  --index N     the key to follow (default 1)\n"
     "  --backward    from the last record to the first\n"
     "  --limit N     at most N records\n"
     "  --csv         ';'-separated with a header row, as import reads it\n"
     "  --json        one JSON object per record (JSON lines, UTF-8), the values typed:\n"
     "                whole numbers as integers, numbers with decimals as numbers,\n"
     "                dates and times as ISO 8601 text, empty dates as null\n"
     "  --where EXPR  only the records the selection EXPR picks, for example\n"
     "                \"Name = Mey* UND ZipCode >= 50000\"; when a key narrows it, only\n"
     "                that key's range is read (in that key's order)\n"
     "  --explain     print the key range used, or that the index is read in full\n",
     ztdescDump},
    {"export-sqlite", "ISAMFILE OUT.db [TABLE...] [--where EXPR]", "the records as a SQLite database",
     "Writes the tables of ISAMFILE (all, or those named) into the new SQLite database\n"
     "OUT.db, which must not exist: one table of the same name per table, one\n"
     "transaction each. Columns by the field's content: whole numbers INTEGER, numbers\n"
     "with decimals and floating values REAL, dates and times ISO 8601 TEXT (empty\n"
     "dates NULL), texts UTF-8 TEXT without trailing blanks. Every key becomes an index\n"
     "on the same columns (UNIQUE for a unique key); the table zt_descriptions keeps\n"
     "each table's description. On any failure no database is left behind.\n\n"
     "  --where EXPR  only the records the selection EXPR picks, in every table named\n"
#ifdef _WIN32
     "\nThis command needs sqlite3.dll (32-bit) beside ztdesc.exe or on the PATH.\n"
#endif
     ,
     ztdescExportSqlite},
    {"count", "ISAMFILE TABLE [--where EXPR] [--explain] [--full-scan]", "the number of records a selection picks",
     "Counts the records of TABLE that the selection EXPR picks (all without --where).\n"
     "When a key narrows the selection only that key's range is read.\n\n"
     "  --explain    print the key range used, or that an index is read in full\n"
     "  --full-scan  read a whole index even when a key range exists\n",
     ztdescCount},
    {"check", "ISAMFILE", "the engine's integrity check",
     "Runs the ISAM engine's integrity check on ISAMFILE: every page, every index's\n"
     "order and counts, every record indexed once.\n",
     ztdescCheck},
    {"demo", "[DIR]", "the built-in sample (default DIR: ztdesc-demo)",
     "Writes the sample description DIR/sample.cfg (customers and orders), creates\n"
     "DIR/sample.isa, stores 100,000 generated records, shows the file, checks it and\n"
     "dumps the first 20 orders by customer forwards and backwards.\n",
     ztdescDemo},
};

const unsigned kCommandCount = sizeof(kCommands) / sizeof(kCommands[0]);
