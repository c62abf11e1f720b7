// Gallery settings of a table: layout, dia mode and size, image name patterns.
#pragma once

#include "zt_tbl32/img_name_desc.h"

constexpr unsigned kZTDefaultDiaSize = 80;

class ZT_TBL32_API CZTGallDesc {
 public:
  unsigned m_bDefined;  // a layout or dia-mode line was read: the gallery is written
  unsigned m_uLayout;
  unsigned m_uDiaMode;
  unsigned m_uDiaWidth;
  unsigned m_uDiaHeight;
  // Record table of image names.
  unsigned m_uImgReserved;
  unsigned m_uImgCount;
  unsigned m_uImgAlloc;
  CZTImgNameDesc* m_pImgNames;

  CZTGallDesc();
  ~CZTGallDesc();
  // Deep copies; CZTTblErr when the image names cannot be allocated.
  CZTGallDesc(const CZTGallDesc& other);
  CZTGallDesc& operator=(const CZTGallDesc& other);

  // Clears the defined flag and frees the image names.
  void FreeGallery();
  int ReadDef(CZTConfFile& conf);
  int WriteDef(CZTConfFile& conf) const;
};
