// Test support: the texts and rectangles of an enhanced metafile as printed by
// the print object, read back from the file's records.
#pragma once

#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

namespace zt_test {

struct EmfText {
  unsigned page;     // from 1: which page of a file with every page (1 in a one-page file)
  int x, y;          // the reference point in logical units (dots)
  unsigned align;    // TA_LEFT, TA_RIGHT or TA_CENTER
  int weight;        // of the font it was drawn with (0: no font selected)
  std::string text;  // Windows-1252
};

struct EmfRect {
  unsigned page;
  int left, top, right, bottom;
};

struct EmfContent {
  bool ok = false;   // the file exists and is an enhanced metafile
  RECTL frame = {};  // the header's frame, hundredths of a millimetre
  std::vector<EmfText> texts;
  std::vector<EmfRect> rects;

  // The texts of one page in drawing order.
  std::vector<EmfText> Page(unsigned page) const {
    std::vector<EmfText> result;
    for (const auto& t : texts)
      if (t.page == page) result.push_back(t);
    return result;
  }
  // The first text equal to s; null when none.
  const EmfText* Find(const std::string& s, unsigned page = 0) const {
    for (const auto& t : texts)
      if (t.text == s && (page == 0 || t.page == page)) return &t;
    return nullptr;
  }
  unsigned Pages() const {
    unsigned pages = 0;
    for (const auto& t : texts)
      if (t.page > pages) pages = t.page;
    return pages;
  }
};

inline EmfContent ReadEmf(const std::string& path) {
  EmfContent content;
  std::vector<unsigned char> bytes;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return content;
  unsigned char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  fclose(f);
  if (bytes.size() < sizeof(ENHMETAHEADER)) return content;
  const auto* header = reinterpret_cast<const ENHMETAHEADER*>(bytes.data());
  if (header->iType != EMR_HEADER || header->dSignature != ENHMETA_SIGNATURE) return content;
  content.ok = true;
  content.frame = header->rclFrame;

  std::vector<int> fontWeights;  // by object index; -1: not a font
  unsigned align = TA_LEFT;
  int weight = 0;
  unsigned page = 0;
  size_t at = 0;
  while (at + 8 <= bytes.size()) {
    const auto* record = reinterpret_cast<const ENHMETARECORD*>(bytes.data() + at);
    if (record->nSize < 8 || at + record->nSize > bytes.size()) break;
    const unsigned char* data = bytes.data() + at;
    switch (record->iType) {
      case EMR_SETTEXTALIGN:
        align = reinterpret_cast<const EMRSETTEXTALIGN*>(data)->iMode & (TA_LEFT | TA_RIGHT | TA_CENTER);
        break;
      case EMR_EXTCREATEFONTINDIRECTW: {
        const auto* font = reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(data);
        if (fontWeights.size() <= font->ihFont) fontWeights.resize(font->ihFont + 1, -1);
        fontWeights[font->ihFont] = font->elfw.elfLogFont.lfWeight;
        break;
      }
      case EMR_SELECTOBJECT: {
        const DWORD object = reinterpret_cast<const EMRSELECTOBJECT*>(data)->ihObject;
        if (object & 0x80000000u) {
          if ((object & 0x7FFFFFFFu) >= OEM_FIXED_FONT && (object & 0x7FFFFFFFu) <= DEFAULT_GUI_FONT) weight = 0;
        } else if (object < fontWeights.size() && fontWeights[object] >= 0) {
          weight = fontWeights[object];
        }
        break;
      }
      case EMR_DELETEOBJECT: {
        const DWORD object = reinterpret_cast<const EMRDELETEOBJECT*>(data)->ihObject;
        if (object < fontWeights.size()) fontWeights[object] = -1;
        break;
      }
      case EMR_SETVIEWPORTORGEX:
        ++page;
        break;
      case EMR_EXTTEXTOUTA:
      case EMR_EXTTEXTOUTW: {
        const auto* out = reinterpret_cast<const EMREXTTEXTOUTW*>(data);
        EmfText text;
        text.page = page ? page : 1;
        text.x = out->emrtext.ptlReference.x;
        text.y = out->emrtext.ptlReference.y;
        text.align = align;
        text.weight = weight;
        const unsigned chars = out->emrtext.nChars;
        const size_t offset = out->emrtext.offString;
        if (record->iType == EMR_EXTTEXTOUTW) {
          if (offset + chars * 2 <= record->nSize) {
            const auto* w = reinterpret_cast<const unsigned char*>(data + offset);
            for (unsigned i = 0; i < chars; ++i) {
              WCHAR c = static_cast<WCHAR>(w[2 * i] | (w[2 * i + 1] << 8));
              char a = '?';
              WideCharToMultiByte(1252, 0, &c, 1, &a, 1, nullptr, nullptr);
              text.text += a;
            }
          }
        } else if (offset + chars <= record->nSize) {
          text.text.assign(reinterpret_cast<const char*>(data + offset), chars);
        }
        content.texts.push_back(text);
        break;
      }
      case EMR_RECTANGLE: {
        const RECTL& box = reinterpret_cast<const EMRRECTANGLE*>(data)->rclBox;
        // The record's box is inclusive; the right and bottom here are those passed to Rectangle.
        content.rects.push_back({page ? page : 1, box.left, box.top, box.right + 1, box.bottom + 1});
        break;
      }
      default:
        break;
    }
    at += record->nSize;
  }
  return content;
}

}  // namespace zt_test
