// zt_tbl32: data table descriptions for ISAM files. The one header applications include.
#pragma once

#include "zt_lib32.h"
#include "zt_isa32.h"
#include "zt_icl32.h"
#include "zt_tbl32/frame.h"
#include "zt_tbl32/date_text.h"
#include "zt_tbl32/number_text.h"
#include "zt_tbl32/grid_view.h"
#include "zt_tbl32/grid_def.h"
#include "zt_tbl32/grid_desc.h"
#include "zt_tbl32/field_desc.h"
#include "zt_tbl32/field_desc_list.h"
#include "zt_tbl32/enum_string.h"
