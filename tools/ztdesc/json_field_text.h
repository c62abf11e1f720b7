// What a JSON value of a field (as dump --json writes them) becomes on the way
// into the field: the text that ztEncodeField reads, in German notation, and the
// field description to encode it with (dates are given in the stored formats,
// so that nothing the display formats leave out is lost).
#pragma once

#include <string>

#include "json_line_reader.h"
#include "zt_tbl32.h"

// int: 1 ok; 0 with the reason.
int ztJsonFieldText(const CZTFieldDesc& field, const ZTJsonMember& value, std::string& text, CZTFieldDesc& encodeAs,
                    char* reason, unsigned reasonSize);
