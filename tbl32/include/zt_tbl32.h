// zt_tbl32: data table descriptions for ISAM files. The one header applications include.
#pragma once

#include "zt_lib32.h"
#include "zt_isa32.h"
#include "zt_icl32.h"
#include "zt_tbl32/frame.h"
