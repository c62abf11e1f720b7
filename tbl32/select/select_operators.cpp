#include "select_operators.h"

#include "zt_tbl32/enum_string.h"

void ztSelSortOperatorTables() {
  // The tables are sorted once per process, before the first lookup.
  static bool sorted = false;
  if (sorted) return;
  ztCompOperators.SortTable();
  ztLogicOperators.SortTable();
  sorted = true;
}

unsigned ztSelComparisonOperator(const char* upperWord) { return ztCompOperators.FindUpper(upperWord, 0); }

unsigned ztSelLogicalOperator(const char* upperWord) { return ztLogicOperators.FindUpper(upperWord, 0); }
