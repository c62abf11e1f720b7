// Keeps a grid object alive while one of its calls may send to the parent: a
// parent that destroys the grid meanwhile only marks the destruction pending,
// and the outermost call finishes it (deleting a self-owned object) on its way out.
#pragma once

#include "zt_tbl32/grid_view.h"

struct SGridCall {
  explicit SGridCall(CGridView* view) : m_pView(view) { ++view->m_uSending; }
  ~SGridCall() { m_pView->LeaveCall(); }
  SGridCall(const SGridCall&) = delete;
  SGridCall& operator=(const SGridCall&) = delete;

  CGridView* m_pView;
};
