#include "zt_lib32/box_handler.h"

int ztDefaultBoxHandler(const ZTBoxRequest* box, void*) {
  return MessageBoxA(GetActiveWindow(), box->text ? box->text : "", box->caption ? box->caption : "",
                     box->style | MB_TASKMODAL);
}
