#include "zt_lib32/library.h"

INT_PTR CZTLibrary::DispDialogBoxParam(unsigned templateId, HWND parent, DLGPROC proc, LPARAM param) {
  if (!m_bResLoaded) return -1;
  return DialogBoxParamA(m_hResInstance, MAKEINTRESOURCEA(templateId), parent, proc, param);
}
