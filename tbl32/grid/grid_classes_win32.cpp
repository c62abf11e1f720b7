// Registration of the library's window classes; the grid window adds its classes here.
#include "zt_tbl32/frame.h"

int ztRegisterTbl32Classes(HINSTANCE) { return 1; }
void ztUnregisterTbl32Classes(HINSTANCE) {}
