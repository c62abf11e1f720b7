#include "select_operators.h"

#include <string.h>

namespace {

struct Word {
  unsigned value;
  const char* name;
};

const Word kComparison[] = {{0, "="}, {0, "=="}, {1, "!="}, {1, "<>"}, {6, "<"}, {7, "<="}, {4, ">"}, {5, ">="}};
const Word kLogical[] = {{0, "ODER"}, {0, "OR"}, {0, "||"}, {2, "UND"}, {2, "AND"}, {2, "&&"}, {1, "XOR"}, {1, "^^"}};

unsigned Find(const Word* table, unsigned count, const char* word) {
  for (unsigned i = 0; i < count; ++i)
    if (strcmp(table[i].name, word) == 0) return table[i].value;
  return 0xFFFFFFFFu;
}

}  // namespace

void ztSelSortOperatorTables() {}

unsigned ztSelComparisonOperator(const char* upperWord) {
  return Find(kComparison, sizeof(kComparison) / sizeof(kComparison[0]), upperWord);
}

unsigned ztSelLogicalOperator(const char* upperWord) {
  return Find(kLogical, sizeof(kLogical) / sizeof(kLogical[0]), upperWord);
}
