#include "zt_tbl32/tbl_field.h"

#include "edit_codes.h"

unsigned ztTblJustOfLetter(unsigned letter) {
  switch (letter) {
    case 'L':
    case 'l':
      return ZT_COL_LEFT;
    case 'R':
    case 'r':
      return ZT_COL_RIGHT;
    case 'M':
    case 'm':
      return ZT_COL_CENTRE;
    default:
      return kZTNoJust;
  }
}

unsigned ztTblJustStringId(unsigned just) {
  switch (just) {
    case ZT_COL_LEFT:
      return ZT_STR_JUST_LEFT;
    case ZT_COL_CENTRE:
      return ZT_STR_JUST_CENTRE;
    case ZT_COL_RIGHT:
      return ZT_STR_JUST_RIGHT;
    default:
      return ZT_STR_JUST_UNKNOWN;
  }
}

bool ztTblIsColumnType(unsigned type) {
  return type <= ZT_COL_AMOUNT_TEXT || (type >= ZT_COL_DATE_DMY4_DOTS && type <= ZT_COL_TIME_HM) ||
         (type >= ZT_COL_UNSIGNED && type <= ZT_COL_AMOUNT);
}

SZTTblField& SZTTblField::operator=(const SZTTblFldDesc& init) {
  uOffset = init.uOffset;
  uLength = init.uLength;
  uType = init.uType;
  uFlags = init.uFlags;
  const unsigned just = ztTblJustOfLetter(init.uJust);
  uJust = just == kZTNoJust ? ZT_COL_LEFT : just;
  uWidth = init.uWidth;
  uReserved = 0;
  uIndexData = 0;
  uIndexTree = 0;
  return *this;
}

void SZTTblField::SetName(const char* name) {
  uNameLength = ztStrCopy(szName, name, sizeof(szName));
  ztStrCopy(szUpperName, szName, sizeof(szUpperName));
  ztStrUpper(szUpperName);
}

void SZTTblField::LoadHeader(CZTLibrary* library, unsigned stringId) {
  char name[kZTTblNameSize] = "";
  if (library) library->LoadResString(stringId, name, sizeof(name));
  SetName(name);
}
