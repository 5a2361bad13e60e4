// Popup menus drawn in the skin: owner-drawn items with the ICOLINE icon column, the menu
// window's frame painted over, and access letters answered through WM_MENUCHAR (the system
// does not know the text of owner-drawn items).
#include <windows.h>

#include <commctrl.h>

#include <cwctype>

#include "skin/win32/painters.h"
#include "vcl/skin_manager.h"
#include "vcl/win32/handles.h"
#include "vcl/win32/skin_internal.h"
#include "vcl/win32/skin_win32.h"
#include "vcl/win32/subclass.h"

namespace vcl::win32::skinning {
namespace {

constexpr UINT_PTR kOwnerSubclass = 0x534B4D4F;  // "SKMO"
constexpr UINT_PTR kMenuSubclass = 0x534B4D57;   // "SKMW"

// What the owner's and the menu window's hooks need while one menu is tracked.
struct MenuSession {
  const std::vector<MenuEntry>* entries = nullptr;
  std::shared_ptr<const skin::Skin> skin;
  HMENU menu = nullptr;
  int dpi = 96;
  UniqueFont font;
  HHOOK hook = nullptr;
};

MenuSession* gSession = nullptr;

skin::win32::MenuItemLook LookOf(const MenuEntry& entry) {
  skin::win32::MenuItemLook look;
  look.text = entry.text;
  look.separator = entry.separator;
  look.disabled = !entry.enabled;
  return look;
}

const MenuEntry* EntryOf(const MenuSession& session, ULONG_PTR itemData) {
  if (itemData == 0 || itemData > session.entries->size()) return nullptr;
  return &(*session.entries)[itemData - 1];
}

// The access letter of a caption: the character after a single "&".
wchar_t AccessLetter(const std::wstring& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != L'&') continue;
    if (text[i + 1] != L'&') return static_cast<wchar_t>(std::towupper(text[i + 1]));
    ++i;
  }
  return 0;
}

// The menu window's frame: over what the system drew, once the items are in place.
void PaintMenuWindowFrame(HWND menuWindow, const MenuSession& session) {
  RECT window{};
  GetWindowRect(menuWindow, &window);
  RECT items{};
  bool any = false;
  const int count = GetMenuItemCount(session.menu);
  for (int i = 0; i < count; ++i) {
    RECT item{};
    if (!GetMenuItemRect(nullptr, session.menu, static_cast<UINT>(i), &item)) continue;
    if (!any) {
      items = item;
      any = true;
    } else {
      UnionRect(&items, &items, &item);
    }
  }
  if (!any) return;
  OffsetRect(&items, -window.left, -window.top);
  OffsetRect(&window, -window.left, -window.top);
  WholeWindowDc dc(menuWindow);
  if (dc.Get() == nullptr) return;
  skin::win32::PaintMenuFrame(dc.Get(), window, items, session.dpi, *session.skin);
}

LRESULT CALLBACK MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
  switch (message) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_PRINTCLIENT: {
      const LRESULT result = DefSubclass(window, message, wParam, lParam);
      if (gSession != nullptr) PaintMenuWindowFrame(window, *gSession);
      return result;
    }
    case WM_NCDESTROY:
      RemoveSubclass(window, MenuWindowProc, kMenuSubclass);
      break;
    default:
      break;
  }
  return DefSubclass(window, message, wParam, lParam);
}

// Catches the menu window as it is created, to paint its frame.
LRESULT CALLBACK MenuCreationHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    auto* window = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32768") {
      SetSubclass(window, MenuWindowProc, kMenuSubclass, 0);
    }
  }
  return CallNextHookEx(gSession != nullptr ? gSession->hook : nullptr, code, wParam, lParam);
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR data) {
  auto* session = reinterpret_cast<MenuSession*>(data);
  switch (message) {
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      const MenuEntry* entry =
          measure->CtlType == ODT_MENU ? EntryOf(*session, measure->itemData) : nullptr;
      if (entry == nullptr) break;
      WindowDc dc(window);
      const SIZE size = skin::win32::MeasureMenuItem(dc.Get(), session->dpi, *session->skin,
                                                     LookOf(*entry), session->font.Get());
      measure->itemWidth = static_cast<UINT>(size.cx);
      measure->itemHeight = static_cast<UINT>(size.cy);
      return TRUE;
    }
    case WM_DRAWITEM: {
      auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      const MenuEntry* entry =
          draw->CtlType == ODT_MENU ? EntryOf(*session, draw->itemData) : nullptr;
      if (entry == nullptr) break;
      skin::win32::MenuItemLook look = LookOf(*entry);
      look.selected = (draw->itemState & ODS_SELECTED) != 0;
      look.disabled = look.disabled || (draw->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
      // Access letters are underlined only while the system shows keyboard cues.
      look.hidePrefix = (draw->itemState & ODS_NOACCEL) != 0;
      PaintBuffered(draw->hDC, draw->rcItem, [&](HDC dc) {
        skin::win32::PaintMenuItem(dc, draw->rcItem, session->dpi, *session->skin, look,
                                   session->font.Get());
      });
      return TRUE;
    }
    case WM_MENUCHAR: {
      const auto key = static_cast<wchar_t>(std::towupper(LOWORD(wParam)));
      const auto& entries = *session->entries;
      for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].enabled && !entries[i].separator && AccessLetter(entries[i].text) == key) {
          return MAKELRESULT(i, MNC_EXECUTE);
        }
      }
      break;
    }
    default:
      break;
  }
  return DefSubclass(window, message, wParam, lParam);
}

}  // namespace

UINT TrackSkinnedEntries(HWND owner, const std::vector<MenuEntry>& entries, int x, int y,
                         UINT flags) {
  MenuSession session;
  session.entries = &entries;
  session.skin = ActiveSkin();
  if (!session.skin || entries.empty()) return 0;
  session.dpi = WindowDpi(owner);
  session.font.Reset(
      skin::win32::CreateSkinFont(session.skin->menu.fontHeight, session.dpi, false));
  UniqueMenu menu(CreatePopupMenu());
  session.menu = menu.Get();
  for (size_t i = 0; i < entries.size(); ++i) {
    const MenuEntry& e = entries[i];
    UINT itemFlags = MF_OWNERDRAW;
    if (e.separator) itemFlags |= MF_SEPARATOR;
    if (!e.enabled) itemFlags |= MF_GRAYED;
    // The item data is the entry's position plus one (0 marks "not ours").
    AppendMenuW(menu.Get(), itemFlags, e.id, reinterpret_cast<LPCWSTR>(i + 1));
  }
  UniqueBrush background(CreateSolidBrush(skin::win32::ToColorRef(session.skin->menu.background)));
  MENUINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = MIM_BACKGROUND;
  info.hbrBack = background.Get();
  SetMenuInfo(menu.Get(), &info);

  MenuSession* outer = gSession;
  gSession = &session;
  session.hook = SetWindowsHookExW(WH_CBT, MenuCreationHook, nullptr, GetCurrentThreadId());
  SetSubclass(owner, OwnerProc, kOwnerSubclass, reinterpret_cast<DWORD_PTR>(&session));
  const UINT command = static_cast<UINT>(
      TrackPopupMenuEx(menu.Get(), flags | TPM_RETURNCMD | TPM_NONOTIFY, x, y, owner, nullptr));
  RemoveSubclass(owner, OwnerProc, kOwnerSubclass);
  if (session.hook != nullptr) UnhookWindowsHookEx(session.hook);
  gSession = outer;
  return command;
}

}  // namespace vcl::win32::skinning

namespace vcl::win32 {

TMenuItem* TrackSkinnedMenu(TPopupMenu& menu, HWND owner, int x, int y) {
  const auto& items = menu.Items();
  std::vector<skinning::MenuEntry> entries;
  for (size_t i = 0; i < items.size(); ++i) {
    skinning::MenuEntry entry;
    entry.id = static_cast<UINT>(i + 1);
    entry.text = items[i]->Caption();
    entries.push_back(std::move(entry));
  }
  const UINT chosen =
      skinning::TrackSkinnedEntries(owner, entries, x, y, TPM_LEFTALIGN | TPM_RIGHTBUTTON);
  if (chosen > 0 && chosen <= items.size()) return items[chosen - 1];
  return nullptr;
}

}  // namespace vcl::win32
