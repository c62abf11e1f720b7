// The menu bar and the accelerators of the main window, built from the texts
// of the current language.
#include <string.h>

#include "view_frame.h"
#include "view_ids.h"
#include "view_texts.h"

namespace {

void Item(HMENU menu, unsigned id, unsigned text) { AppendMenuA(menu, MF_STRING, id, ViewText(text)); }
void Separator(HMENU menu) { AppendMenuA(menu, MF_SEPARATOR, 0, nullptr); }

HMENU Popup(HMENU bar, unsigned text) {
  HMENU popup = CreatePopupMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), ViewText(text));
  return popup;
}

// The submenu at a position of a popup, or null.
HMENU SubMenuWithItem(HMENU popup, unsigned firstId) {
  const int count = GetMenuItemCount(popup);
  for (int i = 0; i < count; ++i) {
    HMENU sub = GetSubMenu(popup, i);
    if (sub && GetMenuItemCount(sub) > 0) {
      const UINT id = GetMenuItemID(sub, 0);
      if (id >= firstId && id < firstId + 100) return sub;
    }
  }
  return nullptr;
}

void Clear(HMENU menu) {
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
}

}  // namespace

void CViewFrame::BuildMenu() {
  HMENU bar = CreateMenu();
  HMENU file = Popup(bar, ZV_STR_MENU_FILE);
  Item(file, ZV_CMD_OPEN, ZV_STR_OPEN);
  Item(file, ZV_CMD_FOLDER, ZV_STR_FOLDER);
  HMENU recent = CreatePopupMenu();
  AppendMenuA(recent, MF_STRING | MF_GRAYED, ZV_CMD_RECENT_FIRST, ViewText(ZV_STR_NONE));
  AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), ViewText(ZV_STR_RECENT));
  Separator(file);
  Item(file, ZV_CMD_EXPORT, ZV_STR_EXPORT);
  Item(file, ZV_CMD_CHECK, ZV_STR_CHECK);
  Separator(file);
  Item(file, ZV_CMD_PRINT_FIELDS, ZV_STR_PRINT_FIELDS);
  Item(file, ZV_CMD_PRINT_KEYS, ZV_STR_PRINT_KEYS);
  Item(file, ZV_CMD_PRINT_PREVIEW, ZV_STR_PRINT_PREVIEW);
  Separator(file);
  Item(file, ZV_CMD_EXIT, ZV_STR_EXIT);

  HMENU table = Popup(bar, ZV_STR_MENU_TABLE);
  Item(table, ZV_CMD_PROPERTIES, ZV_STR_PROPERTIES);
  HMENU index = CreatePopupMenu();
  AppendMenuA(index, MF_STRING | MF_GRAYED, ZV_CMD_INDEX_FIRST, ViewText(ZV_STR_NONE));
  AppendMenuA(table, MF_POPUP, reinterpret_cast<UINT_PTR>(index), ViewText(ZV_STR_INDEX));
  Item(table, ZV_CMD_BACKWARDS, ZV_STR_BACKWARDS);
  Separator(table);
  Item(table, ZV_CMD_GOTO, ZV_STR_GOTO);
  Item(table, ZV_CMD_SELECTION, ZV_STR_SELECTION);
  Item(table, ZV_CMD_NO_SELECTION, ZV_STR_NO_SELECTION);
  Item(table, ZV_CMD_FIND, ZV_STR_FIND);
  Item(table, ZV_CMD_FIND_NEXT, ZV_STR_FIND_NEXT);
  Separator(table);
  Item(table, ZV_CMD_COPY, ZV_STR_COPY);
  Item(table, ZV_CMD_COPY_LINE, ZV_STR_COPY_LINE);

  HMENU view = Popup(bar, ZV_STR_MENU_VIEW);
  Item(view, ZV_CMD_GERMAN, ZV_STR_GERMAN);
  Item(view, ZV_CMD_ENGLISH, ZV_STR_ENGLISH);
  Separator(view);
  Item(view, ZV_CMD_NEXT_PANE, ZV_STR_NEXT_PANE);
  Item(view, ZV_CMD_REFRESH, ZV_STR_REFRESH);

  HMENU help = Popup(bar, ZV_STR_MENU_HELP);
  Item(help, ZV_CMD_ABOUT, ZV_STR_ABOUT);

  HMENU old = m_hMenu;
  m_hMenu = bar;
  SetMenu(m_hWnd, bar);
  if (old) DestroyMenu(old);
  UpdateMenu();
}

// The parts of the menu that follow the state: recent files, the indexes of
// the table, checks and greyed commands.
void CViewFrame::UpdateMenu() {
  if (!m_hMenu) return;
  HMENU file = GetSubMenu(m_hMenu, 0), table = GetSubMenu(m_hMenu, 1);
  if (HMENU recent = SubMenuWithItem(file, ZV_CMD_RECENT_FIRST)) {
    Clear(recent);
    const CZTHistory& history = m_Settings.m_Recent;
    for (unsigned i = 0; i < history.m_uCount; ++i) {
      char text[kZTHistoryTextSize + 8];
      ztFormat(text, sizeof(text), i < 9 ? "&%u %s" : "%u %s", i + 1, history.m_szItems[i]);
      AppendMenuA(recent, MF_STRING, ZV_CMD_RECENT_FIRST + i, text);
    }
    if (!history.m_uCount) AppendMenuA(recent, MF_STRING | MF_GRAYED, ZV_CMD_RECENT_FIRST, ViewText(ZV_STR_NONE));
  }
  const CZTTableDesc* desc = Table();
  if (HMENU index = SubMenuWithItem(table, ZV_CMD_INDEX_FIRST)) {
    Clear(index);
    const unsigned keys = desc ? desc->m_Keys.m_uCount : 0;
    for (unsigned k = 0; k < keys && k < 100; ++k) {
      const CZTKeyDesc& key = desc->m_Keys.m_pKeys[k];
      char text[200];
      ztFormat(text, sizeof(text), k < 9 ? "&%u " : "%u ", k + 1);
      for (unsigned p = 0; p < key.m_uPartCount && p < kZTMaxKeyParts; ++p) {
        const unsigned at = static_cast<unsigned>(strlen(text));
        ztFormat(text + at, sizeof(text) - at, p ? "+%s" : "%s", key.m_Part[p].szFieldName);
      }
      AppendMenuA(index, MF_STRING | (k == m_uIndex ? MF_CHECKED : 0), ZV_CMD_INDEX_FIRST + k, text);
    }
    if (!keys) AppendMenuA(index, MF_STRING | MF_GRAYED, ZV_CMD_INDEX_FIRST, ViewText(ZV_STR_NONE));
  }
  const bool isam = desc && m_File.m_bIsamFile && desc->m_Keys.m_uCount;
  auto enable = [this](unsigned id, bool on) {
    EnableMenuItem(m_hMenu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  enable(ZV_CMD_EXPORT, isam);
  enable(ZV_CMD_PRINT_FIELDS, desc != nullptr);
  enable(ZV_CMD_PRINT_KEYS, desc != nullptr);
  enable(ZV_CMD_PRINT_PREVIEW, desc != nullptr);
  enable(ZV_CMD_PROPERTIES, desc != nullptr);
  enable(ZV_CMD_BACKWARDS, isam);
  enable(ZV_CMD_GOTO, m_bBrowsing);
  enable(ZV_CMD_FIND, m_bBrowsing);
  enable(ZV_CMD_SELECTION, desc != nullptr);
  enable(ZV_CMD_NO_SELECTION, m_bSelection);
  enable(ZV_CMD_FIND_NEXT, m_bBrowsing);
  CheckMenuItem(m_hMenu, ZV_CMD_BACKWARDS, MF_BYCOMMAND | (m_bBackwards ? MF_CHECKED : MF_UNCHECKED));
  const bool german = strcmp(m_Settings.m_szLanguage, "E") != 0;
  CheckMenuItem(m_hMenu, ZV_CMD_GERMAN, MF_BYCOMMAND | (german ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(m_hMenu, ZV_CMD_ENGLISH, MF_BYCOMMAND | (german ? MF_UNCHECKED : MF_CHECKED));
}

HACCEL CViewFrame::BuildAccelerators() {
  ACCEL keys[] = {
      {FVIRTKEY | FCONTROL, 'O', ZV_CMD_OPEN},
      {FVIRTKEY | FCONTROL, 'D', ZV_CMD_FOLDER},
      {FVIRTKEY | FCONTROL, 'E', ZV_CMD_EXPORT},
      {FVIRTKEY | FCONTROL, 'P', ZV_CMD_PRINT_FIELDS},
      {FVIRTKEY | FALT, VK_RETURN, ZV_CMD_PROPERTIES},
      {FVIRTKEY | FCONTROL, 'B', ZV_CMD_BACKWARDS},
      {FVIRTKEY | FCONTROL, 'G', ZV_CMD_GOTO},
      {FVIRTKEY | FCONTROL, 'L', ZV_CMD_SELECTION},
      {FVIRTKEY | FCONTROL, 'F', ZV_CMD_FIND},
      {FVIRTKEY, VK_F3, ZV_CMD_FIND_NEXT},
      {FVIRTKEY | FCONTROL, 'C', ZV_CMD_COPY},
      {FVIRTKEY | FCONTROL | FSHIFT, 'C', ZV_CMD_COPY_LINE},
      {FVIRTKEY, VK_F6, ZV_CMD_NEXT_PANE},
      {FVIRTKEY, VK_F5, ZV_CMD_REFRESH},
  };
  return CreateAcceleratorTableA(keys, sizeof(keys) / sizeof(keys[0]));
}
