// What every printed list sets on its print object before opening it.
#pragma once

#include "zt_lib32/print.h"

// Margins 20, 15, 15 and 15 mm, 6 mm below the page header and above the footer;
// no page routines yet.
inline void ztSetListLayout(CZTPrint& print) {
  print.m_uMarginLeft = 200;
  print.m_uMarginRight = 150;
  print.m_uMarginTop = 150;
  print.m_uMarginBottom = 150;
  print.m_uHeaderSpace = 60;
  print.m_uFooterSpace = 60;
  print.m_pfnPageHeader = print.m_pfnPageFooter = print.m_pfnColumnHeader = nullptr;
}
