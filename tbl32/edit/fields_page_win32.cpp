// The fields page of the table property sheet: one grid line per field, one
// column per field attribute, edited in place; new fields are filled in column
// by column.
#include "edit_codes.h"
#include "format_dialogs.h"
#include "record_table.h"
#include "sheet_pages.h"

namespace {

// Column index c of the fields grid has the command id ZT_ID_FIELD_NUMBER + c.
enum : unsigned {
  kColName = 1,
  kColEncoding = 2,
  kColOffset = 3,
  kColLength = 4,
  kColContent = 5,
  kColContentFormat = 6,
  kColDataJust = 7,
  kColDisplay = 8,
  kColDisplayFormat = 9,
  kColDispJust = 10,
  kColWidth = 11,
};

const SColumnDef kColumns[] = {
    {GCT_PLAIN, 0, 2, 1, ZT_ID_FIELD_NUMBER, 5, ZT_STR_FIELDS_HEADER},
    {GCT_EDIT, 0, 0, 1, ZT_ID_FIELD_NAME, 19, ZT_STR_FIELDS_HEADER + 1},
    {GCT_LIST, 0, 0, 1, ZT_ID_FIELD_ENCODING, 9, ZT_STR_FIELDS_HEADER + 2},
    {GCT_EDIT, 0, 2, 1, ZT_ID_FIELD_OFFSET, 6, ZT_STR_FIELDS_HEADER + 3},
    {GCT_EDIT, 0, 2, 1, ZT_ID_FIELD_LENGTH, 7, ZT_STR_FIELDS_HEADER + 4},
    {GCT_LIST, 0, 0, 1, ZT_ID_FIELD_CONTENT, 9, ZT_STR_FIELDS_HEADER + 5},
    {GCT_NOTIFY, 0, 0, 1, ZT_ID_FIELD_CONTENT_FORMAT, 9, ZT_STR_FIELDS_HEADER + 6},
    {GCT_LIST, 0, 0, 1, ZT_ID_FIELD_DATA_JUST, 7, ZT_STR_FIELDS_HEADER + 7},
    {GCT_LIST, 0, 0, 1, ZT_ID_FIELD_DISPLAY, 7, ZT_STR_FIELDS_HEADER + 8},
    {GCT_NOTIFY, 0, 0, 1, ZT_ID_FIELD_DISPLAY_FORMAT, 8, ZT_STR_FIELDS_HEADER + 9},
    {GCT_LIST, 0, 0, 1, ZT_ID_FIELD_DISP_JUST, 7, ZT_STR_FIELDS_HEADER + 10},
    {GCT_EDIT, 0, 2, 1, ZT_ID_FIELD_WIDTH, 7, ZT_STR_FIELDS_HEADER + 11},
};
CGridDef s_Grid = {0, nullptr, ZT_ID_FIELDS_GRID, 25, &ztTbl32Lib, nullptr, 12, kColumns};

SZTSheetPage s_Page = {};
// The line of a new field being filled in column by column; kZTNoLine when none.
unsigned s_uFillLine = kZTNoLine;

CZTFieldDesc* FieldAt(unsigned line) {
  CZTTableDesc* table = s_Page.table;
  if (!table || line >= table->m_Fields.m_uCount || !table->m_Fields.m_pFields) return nullptr;
  return &table->m_Fields.m_pFields[line];
}

void ShowSizes(HWND page) {
  SetDlgItemInt(page, ZT_ID_DISP_WIDTH_SUM, s_Page.table->m_Fields.GetDispWidth(), FALSE);
  SetDlgItemInt(page, ZT_ID_RECORD_SIZE, s_Page.table->m_Fields.GetRecSize(), FALSE);
}

void Fill() {
  const CZTFieldDescList& fields = s_Page.table->m_Fields;
  ztSheetFillGrid(s_Grid, fields.m_pFields ? fields.m_uCount : 0,
                  [](unsigned line) { s_Page.table->m_Fields.m_pFields[line].DispDef(s_Grid, line); });
}

void Activate(HWND page) {
  s_uFillLine = kZTNoLine;
  Fill();
  ShowSizes(page);
}

// After a change of the field on line: the line shown again, the sheet told,
// and the next column of a new field opened.
void Refresh(HWND page, unsigned line, unsigned column) {
  s_Page.table->DispFieldProperties(s_Grid, line);
  ztSheetChanged(s_Page, page);
  if (line != s_uFillLine || column >= kColWidth) {
    s_uFillLine = kZTNoLine;
    return;
  }
  if (column >= kColName) PostMessageA(s_Grid.m_hGrid, ZT_GRID_EDIT, line, column + 1);
}

// A new unnamed field at position (the end when beyond), its name cell opened.
void AddField(HWND page, unsigned position) {
  if (!s_Page.table->InsertField("", &position)) return;
  Fill();
  ShowSizes(page);
  if (s_Grid.m_pGrid) s_Grid.m_pGrid->EditItem(position, kColName);
  ztSheetChanged(s_Page, page);
  s_uFillLine = position;
}

void DeleteField(HWND page, unsigned line) {
  if (line == kZTNoLine) return;
  const CZTFieldDesc* field = FieldAt(line);
  const int answer = field ? ztTbl32Lib.DispQuestion(ZT_ASK_DELETE_FIELD, field->m_szName)
                           : ztTbl32Lib.DispQuestion(ZT_ASK_DELETE_LINE, line + 1);
  if (answer != IDYES || !field) return;
  CZTFieldDescList& fields = s_Page.table->m_Fields;
  ztRemoveRecord(fields.m_pFields, fields.m_uCount, line);
  s_uFillLine = kZTNoLine;
  Fill();
  ShowSizes(page);
  ztSheetChanged(s_Page, page);
}

// The list columns: how the list is filled and how its selection is taken.
struct ListColumn {
  unsigned column;
  int (CZTFieldDesc::*show)(HWND) const;
  int (CZTFieldDesc::*take)(unsigned);
};
const ListColumn kListColumns[] = {
    {kColEncoding, &CZTFieldDesc::DispEncodeTypeLB, &CZTFieldDesc::SetEncodeTypeIdx},
    {kColContent, &CZTFieldDesc::DispContentTypeLB, &CZTFieldDesc::SetContentTypeIdx},
    {kColDataJust, &CZTFieldDesc::DispDataJustTypeLB, &CZTFieldDesc::SetDataJustTypeIdx},
    {kColDisplay, &CZTFieldDesc::DispDisplayTypeLB, &CZTFieldDesc::SetDisplayTypeIdx},
    {kColDispJust, &CZTFieldDesc::DispDispJustTypeLB, &CZTFieldDesc::SetDispJustTypeIdx},
};

// The list of a list column: filled when it opens, taken when it is accepted.
void OnListColumn(HWND page, const ListColumn& list, unsigned code, unsigned line) {
  CZTFieldDesc* field = FieldAt(line);
  IGridView* grid = s_Grid.m_pGrid;
  if (!field || !grid) return;
  if (code == GN_LISTOPEN) {
    (field->*list.show)(grid->GetChildHwnd());
  } else if (code == GN_LISTCLOSE) {
    (field->*list.take)(grid->GetColumnListSel(list.column));
    Refresh(page, line, list.column);
  }
}

void OnNumberColumn(HWND page, unsigned column, unsigned code, unsigned line) {
  CZTFieldDesc* field = FieldAt(line);
  IGridView* grid = s_Grid.m_pGrid;
  if (!field || !grid) return;
  if (code == GN_EDITOPEN) {
    // A new field's offset starts where the field before it ends.
    if (column == kColOffset && line > 0 && grid->GetItemUInt(line, column) == 0) {
      const CZTFieldDesc* before = FieldAt(line - 1);
      char text[16];
      ztFormat(text, sizeof(text), "%u", before->m_uOffset + before->m_uLength);
      if (HWND edit = grid->GetChildHwnd()) SetWindowTextA(edit, text);
    }
    return;
  }
  if (code != GN_EDITCLOSE) return;
  const unsigned value = grid->GetItemUInt(line, column);
  if (column == kColOffset)
    field->m_uOffset = value;
  else if (column == kColLength)
    field->m_uLength = value;
  else
    field->m_uDispWidth = value;
  Refresh(page, line, column);
  ShowSizes(page);
}

void OnGridColumn(HWND page, unsigned column, unsigned code, unsigned line) {
  for (const ListColumn& list : kListColumns)
    if (list.column == column) return OnListColumn(page, list, code, line);
  switch (column) {
    case kColName:
      if (code == GN_EDITCLOSE && FieldAt(line) && s_Grid.m_pGrid) {
        char name[128] = "";
        s_Grid.m_pGrid->GetItemText(line, column, name, sizeof(name));
        s_Page.table->SetFieldName(line, name);
        Refresh(page, line, column);
      }
      break;
    case kColOffset:
    case kColLength:
    case kColWidth:
      OnNumberColumn(page, column, code, line);
      break;
    case kColContentFormat:
    case kColDisplayFormat: {
      CZTFieldDesc* field = FieldAt(line);
      if (code != GN_CELLACTIVATE || !field) break;
      unsigned& word = column == kColContentFormat ? field->m_uContentType : field->m_uDisplayType;
      if (ztEditFormatWord(page, &word)) {
        Refresh(page, line, column);
      } else if (line == s_uFillLine) {
        // Nothing to change (or left as it was): a new field goes on to the next column.
        PostMessageA(s_Grid.m_hGrid, ZT_GRID_EDIT, line, column + 1);
      }
      break;
    }
  }
}

void OnCommand(HWND page, WPARAM wParam, LPARAM lParam) {
  const unsigned id = LOWORD(wParam), code = HIWORD(wParam);
  const unsigned line = static_cast<unsigned>(lParam);
  IGridView* grid = s_Grid.m_pGrid;
  CZTTableDesc* table = s_Page.table;
  switch (id) {
    case ZT_ID_APPEND:
      if (code == BN_CLICKED) AddField(page, table->m_Fields.m_uCount);
      return;
    case ZT_ID_INSERT:
      if (code == BN_CLICKED) AddField(page, grid ? grid->GetCurItem() : kZTNoLine);
      return;
    case ZT_ID_DELETE:
      if (code == BN_CLICKED && grid) DeleteField(page, grid->GetCurItem());
      return;
    case ZT_ID_PRINT:
      if (code == BN_CLICKED) table->PrintFieldList(page);
      return;
    case ZT_ID_FIELDS_GRID:
      // A click outside the cells carries the mouse point, not a line: append.
      if (code == GN_INSERTLINE)
        AddField(page, line);
      else if (code == GN_CLICK)
        AddField(page, table->m_Fields.m_uCount);
      else if (code == GN_DELETELINE)
        DeleteField(page, line);
      return;
  }
  if (id > ZT_ID_FIELD_NUMBER && id <= ZT_ID_FIELD_WIDTH) OnGridColumn(page, id - ZT_ID_FIELD_NUMBER, code, line);
}

}  // namespace

INT_PTR CALLBACK ztFieldsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  static const SZTPageType kType = {&s_Page, &s_Grid, Activate, OnCommand};
  return ztSheetPageProc(kType, page, message, wParam, lParam);
}
