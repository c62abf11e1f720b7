#include "zt_lib32/error.h"

#include "zt_lib32/box_handler.h"
#include "zt_lib32/resource.h"
#include "zt_lib32/strings.h"

namespace {
// Indexes of the own strings (relative to the first own string id).
enum { kErrorCaption = 0, kMessageCaption = 1, kNoText = 2, kTextCaption = 3, kSubstitution = 4 };
constexpr unsigned kTextSize = 2048;
}  // namespace

CZTError::CZTError() : m_szCaption{}, m_pResource(nullptr) {}

CZTError::~CZTError() {}

int CZTError::DispBox(unsigned code, unsigned kind, unsigned style, va_list args) {
  char caption[256] = "";
  char format[kTextSize] = "";
  char text[kTextSize] = "";
  char marker[128] = "<?>";
  if (m_pResource) {
    char captionFormat[256];
    m_pResource->LoadOwnString(kind == ZT_BOX_ERROR ? kErrorCaption : kMessageCaption, captionFormat,
                               sizeof(captionFormat));
    ztFormat(caption, sizeof(caption), captionFormat, code);
    m_pResource->LoadOwnString(kSubstitution, marker, sizeof(marker));
    if (m_pResource->LoadResString(code, format, sizeof(format)) == 0)
      m_pResource->LoadOwnString(kNoText, format, sizeof(format));
  } else {
    ztFormat(caption, sizeof(caption), kind == ZT_BOX_ERROR ? "Error %u" : "Message %u", code);
  }
  ztFormatV(text, sizeof(text), format, args, marker);
  ZTBoxRequest box{code, kind, style, caption, text};
  return ztShowBox(&box);
}

int CZTError::DispBox(const char* text, const char* caption, unsigned style, va_list args) {
  char formatted[kTextSize];
  char marker[128] = "<?>";
  if (m_pResource) m_pResource->LoadOwnString(kSubstitution, marker, sizeof(marker));
  ztFormatV(formatted, sizeof(formatted), text, args, marker);
  ZTBoxRequest box{ZT_BOX_NO_CODE, ZT_BOX_TEXT, style, caption ? caption : m_szCaption, formatted};
  return ztShowBox(&box);
}
