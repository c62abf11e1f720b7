// Companion library: library object, log file, error reporter, resources,
// list helpers, print object and text helpers.
#pragma once

#include "zt_lib32/platform.h"
#include "zt_lib32/strings.h"
#include "zt_lib32/box_handler.h"
#include "zt_lib32/module.h"
#include "zt_lib32/log_file.h"
#include "zt_lib32/resource.h"
#include "zt_lib32/error.h"
#include "zt_lib32/library.h"
#include "zt_lib32/list_box.h"
#include "zt_lib32/combo_box.h"
#include "zt_lib32/list_view.h"
#include "zt_lib32/conf_file.h"
#include "zt_lib32/print.h"
