#pragma once
// The skin on real windows: the skinned frame of forms and boxes, the owner-drawn button and
// radio buttons, the edits' borders, the popup menus and the message and error boxes. Each
// entry point does nothing (or returns false) while no skin is in force, so the backend calls
// them unconditionally and keeps the standard look otherwise.
#include <windows.h>

#include <string>

#include "vcl/backend.h"
#include "vcl/skin_manager.h"

namespace vcl::win32 {

class FormPeer;

// Every window of the thread takes on vcl::ActiveSkin() (or the standard look without one);
// hidden forms are marked and take it when they show.
void ApplySkinToWindows();
// One form takes on vcl::ActiveSkin() now.
void ApplySkinToForm(FormPeer& form);

// A form's messages before its own handling: the frame, title bar and caption buttons, and
// the owner-drawn controls. True when the message was answered (with `result`).
bool SkinFormMessage(FormPeer& form, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The outer rectangle for a client rectangle while the skin draws the window's frame; false
// when it does not (the standard frame applies).
bool SkinAdjustWindowRect(HWND window, RECT& rect, int dpi);

// The client area's colour and a label's text colour under the skin; the given standard
// colour without one (or for labels that keep their own colour).
COLORREF SkinClientColor(COLORREF standard);
COLORREF SkinLabelColor(const TControl& label, COLORREF standard);

// The message box and the error box drawn in the skin: a modal "#32770" dialog with the text
// in the static 0xFFFF and one OK button, centred on the screen, the owner disabled meanwhile.
// False when no skin is in force.
bool ShowSkinnedBox(HWND owner, BoxKind kind, const std::wstring& caption,
                    const std::wstring& text);

// Tracks a popup menu drawn in the skin (owner-drawn items with the ICOLINE icon column);
// returns the chosen item or nullptr. Call only while a skin is in force.
TMenuItem* TrackSkinnedMenu(TPopupMenu& menu, HWND owner, int x, int y);

// Gives an edit field (or any window with a client edge) the skin's EDIT border.
void SkinEditBorder(HWND edit);

}  // namespace vcl::win32
