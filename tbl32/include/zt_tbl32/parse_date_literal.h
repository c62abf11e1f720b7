// The date value of a selection comparison: DDMMYY, DDMMYYYY or D.M.[Y].
#pragma once

#include "zt_tbl32/frame.h"

// The day number of the date, ZT_INVALID_DAY when the text is not a valid date.
ZT_TBL32_API unsigned ParseDateLiteral(const char* text, unsigned length);
