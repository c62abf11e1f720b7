// The text of one column of a data line, by the row's column type.
#pragma once

#include "zt_tbl32/tbl_field.h"

// The column's bytes as the row's type shows them, cut to size - 1 characters
// and terminated; the length. A column that is not (wholly, for the fixed and
// binary types) in the record, or of no known type, gives the empty text.
unsigned ztTblColumnText(const SZTTblField& row, const unsigned char* record, unsigned recordLength, char* text,
                         unsigned size);
