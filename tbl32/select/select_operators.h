// The operator words of the selection language, looked up in upper case.
#pragma once

// Sorts both word tables once per process (before the first lookup).
void ztSelSortOperatorTables();
// Comparison function code 0-7, or kZTNotFound for an unknown word.
unsigned ztSelComparisonOperator(const char* upperWord);
// Logical operator code 0-2, or kZTNotFound.
unsigned ztSelLogicalOperator(const char* upperWord);
