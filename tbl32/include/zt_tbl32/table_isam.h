// The record browser of one ISAM table: answers an owner-data grid's requests
// for cells line by line, in the order of an index, through a record cache;
// builds image file names from the gallery's patterns and finds records.
#pragma once

#include "zt_isa32.h"
#include "zt_icl32.h"
#include "zt_tbl32/igrid_view.h"
#include "zt_tbl32/rec_cache.h"
#include "zt_tbl32/sel_marks.h"
#include "zt_tbl32/table_data.h"

class CZTFileDesc;

// The index and direction of a browser that displays nothing yet.
constexpr unsigned kZTNotDisplayed = 0xFFFFFFFFu;
// What GetDataField answers for a cell it cannot read.
constexpr unsigned kZTNoCellText = 0xFFFFFFFFu;

class ZT_TBL32_API CZTTableISAM : public CZTTableData {
 public:
  ISAMFILE m_hFile;
  ISAMTABLE m_hTable;
  unsigned m_bFileOwned;   // the file was opened here (and is closed here)
  unsigned m_bTableOwned;  // the table was opened here (and is closed here)
  unsigned m_uIndex;       // the index that orders the display; kZTNotDisplayed: none
  unsigned m_uDirection;   // 0 forwards, else backwards; kZTNotDisplayed: nothing
  unsigned m_uLoadedLine;  // line whose record is in m_pRecord; kZTNoLine: none
  unsigned m_uRecordSize;
  unsigned m_uRecordAddress;  // record last read by iteration
  BYTE* m_pRecord;
  char m_szFileName[MAX_PATH];  // for error reports
  CZTRecCache m_Cache;

  unsigned m_uLineCount;    // lines of the display
  unsigned m_uRecordReads;  // records read from the engine since InitISAMFile
  // Where the engine's iteration stands: the line it returned last and whether
  // reading on gives the next higher line; kZTNoLine when it must be set up.
  unsigned m_uIterLine;
  unsigned m_bIterUp;
  // Evenly spaced positions of the lines of a selection.
  CZTSelMarks m_Marks;
  // Index entries passed over without their records when every record is a line.
  unsigned m_uEntrySize;  // bytes of an entry of the displayed index; 0: unknown
  BYTE* m_pSkipBuffer;    // kSkipBytes
  enum : unsigned { kSkipBytes = 16384 };

  CZTTableISAM();
  ~CZTTableISAM() override;

  // Opens the table that fileDesc has selected: with the handles given (not
  // closed here), else through the engine (mode 4 when flag is non-zero, else
  // 5). An open browser is closed first. int: 1 ok.
  int InitISAMFile(void* file, void* table, CZTFileDesc* fileDesc, int flag);
  int CloseTable() override;
  unsigned SetSelection(CZTTblSelDesc* selection) override;
  int DisplayTable(unsigned index, unsigned other, unsigned direction) override;

  // The text of one cell as the grid gets it; its length, kZTNoCellText on failure.
  unsigned GetDataField(unsigned line, unsigned column, char* buffer, unsigned size);
  // The first line from startLine on whose record the selection picks;
  // kZTNoLine when there is none up to the last line.
  unsigned FindRecord(CZTTblSelDesc* selection, unsigned startLine);
  // The file name of image `image` of the record on `line`, from the gallery's
  // image name pattern of that number. int: 1 ok.
  int GetImageName(CICLName* name, const char* baseDir, unsigned line, unsigned image);

  // The grid's cell callback; parameter is the browser.
  static BOOL CellCallback(UINT row, UINT column, char* buffer, UINT size, UINT* length, UINT_PTR parameter);

 private:
  // The address ReadOn is given to read on where the iteration stands.
  static constexpr unsigned kHere = 0xFFFFFFFFu;
  // A handle of the browser's own for its iterations, opened beside an m_hTable
  // it opened: a caller who reads through m_hTable cannot move the position the
  // browser reads on from. Null on a caller's handle: every walk sets up anew.
  ISAMTABLE m_hIter;

  ISAMTABLE IterTable() const { return m_hIter ? m_hIter : m_hTable; }
  bool Selecting() const;
  bool Passes(const BYTE* record) const;
  // The engine's error box with the file name or handle the call concerns.
  void ReportEngine(const char* call, unsigned error, bool byName = false, unsigned extError = 0) const;
  // Counts the lines of the current index (marks: remembers positions). int: 1 ok.
  int CountLines(unsigned* count, bool marks);
  // Brings the record of a line into m_pRecord. int: 1 ok.
  int LoadLine(unsigned line);
  // Reads on from the record at (fromLine, address) to line `line`; the
  // iteration is set up first unless it stands there already.
  int WalkTo(unsigned fromLine, unsigned address, unsigned line);
  // Sets the iteration up after the record at address (kHere: reads on
  // where it stands), reads `steps` picked records and keeps the last as `line`.
  int ReadOn(unsigned address, bool indexForward, unsigned steps, unsigned line);
  // Reads on until `steps` records the selection picks have been read; the
  // last is in m_pRecord, its address in *at. int: 1 ok (errors reported).
  int ReadPicked(unsigned steps, unsigned* at);
  // Passes over `count` entries of the iteration without reading their records.
  // int: 1 ok; -1 when entries cannot be passed over that way.
  int SkipEntries(unsigned count);
  // Reads the line by its number in the index (without a selection).
  int LoadByNumber(unsigned line);
  // Reads the line through the selection's marks.
  int LoadThroughMarks(unsigned line);
  // The first line of the display (step 5 of a display).
  int LoadFirstLine();
  // Keeps the line just read in the cache and the record buffer.
  int Loaded(unsigned line, unsigned address);
  unsigned RankOf(unsigned line) const { return m_uDirection ? m_uLineCount - 1 - line : line; }
  void ForgetDisplay();
  void ReleaseRecord();
};
