#include "zt_lib32/list_view.h"

CZTListView::CZTListView(unsigned controlId, unsigned columnCount, const ZTListViewColumn* columns, CZTLibrary* library)
    : m_hListView(nullptr),
      m_uItemCount(0),
      m_uControlId(controlId),
      m_uColumnCount(columnCount),
      m_pColumns(columns),
      m_pLibrary(library) {}
