// The main window of ztview: a menu, accelerators, a status bar, the side pane
// with the file tree, the table list of the open file in a grid and, below it,
// the records of the chosen table in a second grid.
#pragma once

#include "view_preview.h"
#include "view_settings.h"
#include "view_side_pane.h"
#include "zt_tbl32.h"

// Asks for a file name to open (save false) or to write (save true); filter is
// a double-zero-terminated filter list. 1 with name filled, 0 when cancelled.
// Replaceable so that tests can answer it.
typedef int (*ViewFileDialog)(HWND owner, bool save, const char* filter, char* name, unsigned size);

class CViewFrame {
 public:
  HWND m_hWnd;
  HWND m_hStatus;
  HWND m_hTables;   // grid of the tables of the open file
  HWND m_hRecords;  // grid of the records of the chosen table
  HMENU m_hMenu;
  HACCEL m_hAccel;
  CViewSidePane m_Side;
  CViewSettings m_Settings;

  CZTFileDesc m_File;
  bool m_bOpen;       // m_File holds an opened file
  unsigned m_uTable;  // the chosen table; kZTNoTable none
  unsigned m_uIndex;  // the index that orders the records
  bool m_bBackwards;
  CZTTblSelDesc m_Selection;
  bool m_bSelection;  // m_Selection holds a selection to apply
  CZTTblSelDesc m_Find;
  bool m_bFind;  // m_Find holds what Find next looks for
  CZTTableISAM m_Browser;
  bool m_bBrowsing;  // m_Browser shows the chosen table's records
  CViewPreview m_Preview;
  unsigned m_uSheetPage;  // the property sheet's first page shown

  static ViewFileDialog s_pFileDialog;

  CViewFrame();
  ~CViewFrame();
  CViewFrame(const CViewFrame&) = delete;
  CViewFrame& operator=(const CViewFrame&) = delete;

  // Creates the main window in the settings' language. int: 1 ok.
  int Create(HINSTANCE instance, int show);
  // Gives accelerators, the pane keys (Tab, Shift+Tab, F6) and dialog keys
  // their meaning; true when the message was used. For the message loop.
  bool PreTranslate(MSG* message);

  // Opens a description or ISAM file and shows its tables; the library's boxes
  // on failure, the old file staying open. int: 1 ok.
  int Open(const char* fileName);
  // Chooses a table of the open file (kZTNoTable: none).
  void SelectTable(unsigned table);
  // Runs a menu command; 1 when the command was known.
  int Command(unsigned id);
  // Switches the language of the library and of every text of the window.
  void SetLanguage(const char* language);
  // The focus moves to the next (or previous) of side pane, tables and records.
  void NextPane(bool back);
  // Shows the folder in the side pane (and keeps it in the settings). int: 1 ok.
  int ShowFolder(const char* folder);

  // Makes a line of the records current and visible.
  void GoToLine(unsigned line);

  const CZTTableDesc* Table() const;
  // The text of a status bar part.
  void StatusText(unsigned part, char* text, unsigned size) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Layout();
  void UpdateStatus();
  void UpdateTitle();
  void ShowTables();
  // Opens the chosen table's records (ISAM files) or shows its columns only.
  void ShowRecords();
  void ShowRecordsOf(const CZTTableDesc* table);
  // Shows the open records again in the current index, direction and selection.
  void DisplayRecords();
  void OnNotify(const NMHDR* header);

  // Menu and accelerators (view_menu_win32.cpp).
  void BuildMenu();
  void UpdateMenu();
  static HACCEL BuildAccelerators();

  // Commands (view_commands_win32.cpp).
  void OnOpen();
  void OnFolder();
  void OnExport();
  void OnCheck();
  void OnSelection();
  void OnCopy(bool line);
  void OnGoTo();
  void OnFind();
  void OnFindNext();
  void OnProperties();
  void OnPrint(bool keys);
  void OnPreview();
  // Asks for a selection in the library's dialog, bound to the table. int: 1
  // with a selection in result (0 lines: the person emptied it), 0 cancelled.
  int AskSelection(const CZTTblSelDesc* current, CZTTblSelDesc& result, bool* empty);
  void OnAbout();
  void OnIndex(unsigned index);
  void CopyText(const char* text);
};
