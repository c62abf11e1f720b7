#include "zt_lib32/box_handler.h"

#include <stdio.h>

namespace {
ZTBoxHandler g_handler = nullptr;
void* g_context = nullptr;
}  // namespace

void ztSetBoxHandler(ZTBoxHandler handler, void* context, ZTBoxHandler* oldHandler, void** oldContext) {
  if (oldHandler) *oldHandler = g_handler;
  if (oldContext) *oldContext = g_context;
  g_handler = handler;
  g_context = context;
}

int ztShowBox(const ZTBoxRequest* box) {
  if (!box) return 0;
  if (g_handler) return g_handler(box, g_context);
  return ztDefaultBoxHandler(box, nullptr);
}

int ztStderrBoxHandler(const ZTBoxRequest* box, void*) {
  fprintf(stderr, "%s: %s\n", box->caption ? box->caption : "", box->text ? box->text : "");
  fflush(stderr);
  // A batch run never says yes on its own.
  return (box->style & 0x0F) == MB_YESNO ? IDNO : IDOK;
}
