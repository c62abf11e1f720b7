#include "zt_lib32/box_handler.h"

int ztDefaultBoxHandler(const ZTBoxRequest* box, void* context) { return ztStderrBoxHandler(box, context); }
