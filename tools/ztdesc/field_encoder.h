// Turns the text of a field, as FormatData shows it (German notation), back into
// the field's raw bytes: the inverse of FormatData for every encoding and kind
// that it can format.
#pragma once

#include "zt_tbl32.h"
#include "zt_tbl32/field_desc.h"

// Writes the field's bytes into record. int: 1 ok; 0 with the reason in reason
// (the record's field bytes are then undefined).
int ztEncodeField(const CZTFieldDesc& field, const char* text, unsigned char* record, unsigned recordSize, char* reason,
                  unsigned reasonSize);
