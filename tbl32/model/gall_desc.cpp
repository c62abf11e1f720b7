#include "zt_tbl32/gall_desc.h"

namespace {
const char kSource[] = "CZTGallDesc";
}

CZTGallDesc::CZTGallDesc()
    : m_bDefined(0),
      m_uLayout(0),
      m_uDiaMode(0),
      m_uDiaWidth(kZTDefaultDiaSize),
      m_uDiaHeight(kZTDefaultDiaSize),
      m_uImgReserved(0),
      m_uImgCount(0),
      m_uImgAlloc(0),
      m_pImgNames(nullptr) {}

CZTGallDesc::~CZTGallDesc() { FreeGallery(); }

CZTGallDesc::CZTGallDesc(const CZTGallDesc& other) : CZTGallDesc() { *this = other; }

CZTGallDesc& CZTGallDesc::operator=(const CZTGallDesc& other) {
  if (this == &other) return *this;
  m_bDefined = other.m_bDefined;
  m_uLayout = other.m_uLayout;
  m_uDiaMode = other.m_uDiaMode;
  m_uDiaWidth = other.m_uDiaWidth;
  m_uDiaHeight = other.m_uDiaHeight;
  if (m_pImgNames == other.m_pImgNames) return *this;
  CZTImgNameDesc* names = nullptr;
  if (other.m_pImgNames && other.m_uImgAlloc) {
    names = ztAllocRecords<CZTImgNameDesc>(other.m_uImgAlloc, kZTNoErrorBox, "CZTTableDesc");
    if (!names) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, "CZTTableDesc", "CopyOperator: Cannot allocate a new record table");
      throw CZTTblErr();
    }
    for (unsigned i = 0; i < other.m_uImgAlloc; ++i) names[i] = other.m_pImgNames[i];
  }
  delete[] m_pImgNames;
  m_pImgNames = names;
  m_uImgAlloc = names ? other.m_uImgAlloc : 0;
  m_uImgCount = names ? other.m_uImgCount : 0;
  return *this;
}

void CZTGallDesc::FreeGallery() {
  m_bDefined = 0;
  delete[] m_pImgNames;
  m_pImgNames = nullptr;
  m_uImgReserved = m_uImgCount = m_uImgAlloc = 0;
}

int CZTGallDesc::ReadDef(CZTConfFile& conf) {
  m_bDefined = 0;
  if (conf.GetWord("GALLERYLAYOUT", &m_uLayout) == 0)
    m_bDefined = 1;
  else
    m_uLayout = 0;
  if (conf.GetWord("GALLERYDIAMODE", &m_uDiaMode) == 0)
    m_bDefined = 1;
  else
    m_uDiaMode = 0;

  unsigned size[2] = {kZTDefaultDiaSize, kZTDefaultDiaSize};
  unsigned count = 0;
  if (conf.GetWords("GALLERYDIASIZE", size, 2, &count)) count = 0;
  m_uDiaWidth = count >= 1 ? size[0] : kZTDefaultDiaSize;
  m_uDiaHeight = count >= 2 ? size[1] : kZTDefaultDiaSize;

  delete[] m_pImgNames;
  m_pImgNames = nullptr;
  m_uImgCount = m_uImgAlloc = 0;
  unsigned n = conf.GetKeyCount("IMAGEFILENAME");
  if (!n) return 1;
  m_pImgNames = ztAllocRecords<CZTImgNameDesc>(n, 0, kSource);
  if (!m_pImgNames) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "ReadLines: Cannot create a new record table");
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error reading image name description");
    return 0;
  }
  m_uImgAlloc = n;
  conf.StartRange();
  for (unsigned i = 0; i < n; ++i) m_pImgNames[i].ReadDef(conf, "IMAGEFILENAME", i);
  conf.EndRange();
  m_uImgCount = n;
  return 1;
}

int CZTGallDesc::WriteDef(CZTConfFile& conf) const {
  if (!m_bDefined) return 1;
  conf.EditComment(nullptr);
  conf.EditIntLine("GalleryLayout:", m_uLayout, "gallery  windows layout");
  conf.EditIntLine("GalleryDiaMode:", m_uDiaMode, "gallery dia display mode");
  char text[32];
  ztFormat(text, sizeof(text), "%u, %u", m_uDiaWidth, m_uDiaHeight);
  conf.EditDataLine("GalleryDiaSize:", text, "Gallery dia display size");
  if (m_uImgCount && m_pImgNames) {
    conf.EditComment(nullptr);
    for (unsigned i = 0; i < m_uImgCount; ++i)
      conf.EditTextLine("ImageFileName:", m_pImgNames[i].m_szText, "image filename definition");
  }
  conf.EditComment(nullptr);
  return 1;
}
