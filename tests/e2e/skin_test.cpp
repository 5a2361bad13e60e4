// The wood skin as the user sees it, at 96 and at 144 DPI: the frame and title bar with the
// clock, the caption buttons and what they answer to, the client area, the button, the edit,
// the right-click menu, the message box and the error box. Pixels are read from the screen at
// fixed points, so every check fails when the skin is not applied; screenshots of each state are
// kept for review.
#include <winsock2.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <regex>
#include <thread>

#include "skin/skin.h"
#include "tests/e2e/driver/driver.h"

namespace e2e {
namespace {

const skin::Skin kWood;  // the built-in skin's colours and metrics

int Scale(int v, int dpi) {
  return static_cast<int>(std::lround(v * dpi / 96.0));
}

struct Rgb {
  int r = 0, g = 0, b = 0;
};

std::string Describe(Rgb c) {
  char text[32];
  std::snprintf(text, sizeof text, "(%d,%d,%d)", c.r, c.g, c.b);
  return text;
}

int Distance(Rgb a, Rgb b) {
  return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}
int Distance(Rgb a, skin::Rgb b) {
  return Distance(a, Rgb{b.r, b.g, b.b});
}

// Brown wood: red over green over blue, clearly warm, neither white nor black. The platform's
// own caption (blue or grey) and face colours (grey) are none of this.
bool IsWood(Rgb c) {
  return c.r > c.g && c.g > c.b && c.r - c.b >= 35 && c.r >= 50 && c.r <= 235;
}

// A warm light tan, as the button's face; the standard grey face is not.
bool IsTan(Rgb c) {
  return c.r >= 190 && c.r - c.b >= 30 && c.r >= c.g && c.g >= c.b;
}

// The screen as it is now, read once; coordinates are screen pixels.
class ScreenShot {
 public:
  ScreenShot() {
    width_ = GetSystemMetrics(SM_CXSCREEN);
    height_ = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    pixels_.assign(static_cast<const uint32_t*>(bits),
                   static_cast<const uint32_t*>(bits) + static_cast<size_t>(width_) * height_);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
  }

  Rgb At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {-1, -1, -1};
    const uint32_t p = pixels_[static_cast<size_t>(y) * width_ + x];
    return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
            static_cast<int>(p & 0xFF)};
  }

  // Pixels of a rectangle within `tolerance` (sum of channel differences) of a colour.
  int Count(const RECT& r, skin::Rgb color, int tolerance) const {
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) count += Distance(At(x, y), color) <= tolerance;
    }
    return count;
  }

  // Saves a part of the screen (with a margin) among the test's artifacts as a .bmp, which the
  // harness turns into a .png.
  void Save(const std::wstring& name, RECT area, int margin = 24) const {
    area.left = std::max(0L, area.left - margin);
    area.top = std::max(0L, area.top - margin);
    area.right = std::min<LONG>(width_, area.right + margin);
    area.bottom = std::min<LONG>(height_, area.bottom + margin);
    const int w = area.right - area.left, h = area.bottom - area.top;
    const int stride = (w * 3 + 3) / 4 * 4;
    std::string data(static_cast<size_t>(stride) * h, '\0');
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const Rgb c = At(area.left + x, area.top + y);
        char* p = &data[static_cast<size_t>(h - 1 - y) * stride + x * 3];
        p[0] = static_cast<char>(c.b);
        p[1] = static_cast<char>(c.g);
        p[2] = static_cast<char>(c.r);
      }
    }
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(data.size());
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(data.size());
    CreateDirectoryW(ArtifactDir().c_str(), nullptr);
    const std::wstring path = ArtifactDir() + L"\\" + name + L".bmp";
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE) << Utf8(path);
    DWORD written = 0;
    WriteFile(out, &file, sizeof file, &written, nullptr);
    WriteFile(out, &info, sizeof info, &written, nullptr);
    WriteFile(out, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(out);
  }

  void SaveAll(const std::wstring& name) const { Save(name, {0, 0, width_, height_}, 0); }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

// The DPI Wine reports to programs started from now on (HKCU\Control Panel\Desktop LogPixels),
// put back afterwards so the next test starts at 96.
class DpiSetting {
 public:
  explicit DpiSetting(int dpi) {
    if (dpi == 96) return;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key_, nullptr);
    DWORD size = sizeof old_;
    hadOld_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_),
                               &size) == ERROR_SUCCESS;
    const DWORD value = static_cast<DWORD>(dpi);
    RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
  }
  ~DpiSetting() {
    if (key_ == nullptr) return;
    if (hadOld_) {
      RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_),
                     sizeof old_);
    } else {
      RegDeleteValueW(key_, L"LogPixels");
    }
    RegCloseKey(key_);
  }
  DpiSetting(const DpiSetting&) = delete;
  DpiSetting& operator=(const DpiSetting&) = delete;

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 96;
  bool hadOld_ = false;
};

double LocalSecondsNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
}

HWND ChildWithText(HWND main, std::wstring_view text) {
  for (HWND child : Descendants(main)) {
    if (Text(child) == text) return child;
  }
  return nullptr;
}

HWND Picker(HWND main) {
  static const std::wregex time(L"\\d\\d:\\d\\d:\\d\\d");
  for (HWND child : Descendants(main)) {
    if (ClassName(child) == L"Edit" && std::regex_match(Text(child), time)) return child;
  }
  return nullptr;
}

LRESULT HitTest(HWND window, POINT p) {
  DWORD_PTR hit = HTERROR;
  SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y), SMTO_ABORTIFHUNG, 3000, &hit);
  return static_cast<LRESULT>(hit);
}

class SkinTest : public E2eTest, public ::testing::WithParamInterface<int> {
 protected:
  int Dpi() const { return GetParam(); }
  int S(int v) const { return Scale(v, Dpi()); }
  std::wstring Name(const wchar_t* what) const {
    return std::wstring(what) + L"-" + std::to_wstring(Dpi()) + L"dpi";
  }

  // Starts the test exe with local time `seconds` after midnight and waits until the first
  // tick has written the clock into the title bar and the frame shows it.
  App& Start(double seconds = 10 * 3600) {
    dpi_ = std::make_unique<DpiSetting>(Dpi());
    // The pointer away from where the window will be, so nothing shows hovered.
    SetCursorPos(10, 10);
    App& app = Launch();
    main_ = app.WaitForMainWindow();
    EXPECT_NE(main_, nullptr) << "no main window";
    app.SetClockOffset(seconds - LocalSecondsNow());
    EXPECT_TRUE(WaitUntil([&] { return !Text(main_).empty(); })) << "no clock in the title";
    // The caption is painted right after the text changes; give the frame a moment to settle.
    Sleep(300);
    return app;
  }

  RECT Window() const { return WindowRect(main_); }
  // A point of the title bar, from the window's top-left corner, in 96-DPI units.
  POINT TitlePoint(int x96, int y96) const {
    const RECT r = Window();
    return {r.left + S(x96), r.top + S(y96)};
  }
  POINT FromRight(int x96, int y96) const {
    const RECT r = Window();
    return {r.right - S(x96), r.top + S(y96)};
  }

  std::unique_ptr<DpiSetting> dpi_;
  HWND main_ = nullptr;
};

TEST_P(SkinTest, FrameTitleBarAndClientAreaAreTheSkins) {
  Start();
  ASSERT_NE(main_, nullptr);
  const RECT outer = Window();
  const POINT origin = ClientOrigin(main_);
  const SIZE client = ClientSize(main_);
  // The frame: 8 pixels left, right and bottom, 30 at the top, scaled with the DPI.
  EXPECT_EQ(origin.x - outer.left, S(8));
  EXPECT_EQ(origin.y - outer.top, S(30));
  EXPECT_EQ(outer.right - (origin.x + client.cx), S(8));
  EXPECT_EQ(outer.bottom - (origin.y + client.cy), S(8));
  if (Dpi() == 96) {
    EXPECT_EQ(outer.right - outer.left, 248);
    EXPECT_EQ(outer.bottom - outer.top, 111);
    EXPECT_EQ(client.cx, 232);
    EXPECT_EQ(client.cy, 73);
  }
  const LONG style = Style(main_);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);

  const ScreenShot shot;
  shot.Save(Name(L"rest"), outer);
  shot.SaveAll(Name(L"rest-screen"));

  // Title bar: wood along its length, above the text and between text and buttons.
  for (int x96 : {40, 90, 140, 180}) {
    const POINT p = TitlePoint(x96, 3);
    EXPECT_TRUE(IsWood(shot.At(p.x, p.y)))
        << "title bar at x " << x96 << ": " << Describe(shot.At(p.x, p.y));
  }
  const POINT beforeButtons = FromRight(64, 15);
  EXPECT_TRUE(IsWood(shot.At(beforeButtons.x, beforeButtons.y)))
      << Describe(shot.At(beforeButtons.x, beforeButtons.y));
  // The frame's sides and bottom are wood too.
  EXPECT_TRUE(IsWood(shot.At(outer.left + S(4), (outer.top + outer.bottom) / 2)));
  EXPECT_TRUE(IsWood(shot.At((outer.left + outer.right) / 2, outer.bottom - S(4))));

  // The caption text (the clock) is drawn in the caption colour.
  const RECT text{outer.left + S(30), outer.top + S(5), outer.left + S(170), outer.top + S(26)};
  EXPECT_GE(shot.Count(text, kWood.form.captionText, 60), S(30))
      << "no caption text in the title bar: " << Utf8(Text(main_));

  // Client background: between the button and the right radio button, free of controls.
  HWND button = ChildWithText(main_, L"开始");
  HWND radio = ChildWithText(main_, L"注销");
  ASSERT_NE(button, nullptr);
  ASSERT_NE(radio, nullptr);
  const int freeY = (WindowRect(button).bottom + WindowRect(radio).top) / 2;
  const Rgb background = shot.At(origin.x + client.cx - S(3), freeY);
  EXPECT_LE(Distance(background, kWood.form.client), 3) << Describe(background);
  const Rgb corner = shot.At(origin.x + S(2), origin.y + S(2));
  EXPECT_LE(Distance(corner, kWood.form.client), 3) << Describe(corner);

  // The button's face, clear of its text.
  const RECT b = WindowRect(button);
  const Rgb face = shot.At(b.left + S(5), (b.top + b.bottom) / 2);
  EXPECT_TRUE(IsTan(face)) << "button face " << Describe(face);
  const Rgb buttonEdge = shot.At((b.left + b.right) / 2, b.top);
  EXPECT_LE(Distance(buttonEdge, kWood.button.border), 30) << Describe(buttonEdge);

  // The edit of the time picker: its own background colour inside, the skin's border around.
  HWND picker = Picker(main_);
  ASSERT_NE(picker, nullptr) << "no time picker";
  const RECT e = WindowRect(picker);
  const int middle = (e.top + e.bottom) / 2;
  const Rgb field = shot.At(e.left + S(3), middle);
  EXPECT_LE(Distance(field, skin::FromColorNumber(8500947)), 3) << Describe(field);
  const Rgb border = shot.At(e.left, middle);
  EXPECT_TRUE(Distance(border, kWood.edit.border) <= 3 ||
              Distance(border, kWood.edit.borderFocused) <= 3)
      << "edit border " << Describe(border);

  // The large label keeps its blue.
  HWND status = ChildWithText(main_, L"已停止倒计时");
  ASSERT_NE(status, nullptr);
  EXPECT_GE(shot.Count(WindowRect(status), {0, 0, 255}, 90), S(40));
}

TEST_P(SkinTest, HitTestingMatchesTheDrawnCaptionButtons) {
  Start();
  ASSERT_NE(main_, nullptr);
  const RECT r = Window();
  const struct {
    const char* what;
    POINT p;
    LRESULT hit;
  } cases[] = {
      {"close button", FromRight(19, 14), HTCLOSE},
      {"minimize button", FromRight(47, 14), HTMINBUTTON},
      {"icon", TitlePoint(16, 14), HTSYSMENU},
      {"caption", TitlePoint(100, 14), HTCAPTION},
      {"top edge", TitlePoint(100, 0), HTCAPTION},
      {"left edge", {r.left + 1, (r.top + r.bottom) / 2}, HTBORDER},
      {"right edge", {r.right - 2, (r.top + r.bottom) / 2}, HTBORDER},
      {"bottom edge", {(r.left + r.right) / 2, r.bottom - 2}, HTBORDER},
      {"bottom-right corner", {r.right - 1, r.bottom - 1}, HTBORDER},
      {"client", {(r.left + r.right) / 2, (r.top + r.bottom) / 2}, HTCLIENT},
  };
  for (const auto& c : cases) EXPECT_EQ(HitTest(main_, c.p), c.hit) << c.what;

  // Hovering the close button lights it red; the minimize button stays as it is.
  const POINT close = FromRight(19, 14);
  SetCursorPos(close.x, close.y);
  PostMessageW(main_, WM_NCMOUSEMOVE, HTCLOSE, MAKELPARAM(close.x, close.y));
  const POINT closeFace = FromRight(10, 9);
  const bool lit = WaitUntil(
      [&] {
        const Rgb c = ScreenShot().At(closeFace.x, closeFace.y);
        return c.r > c.g + 60;
      },
      3000);
  ScreenShot hover;
  SetCursorPos(10, 10);
  hover.Save(Name(L"close-hover"), r);
  EXPECT_TRUE(lit) << "the close button does not light up under the mouse";
  const POINT minimizeFace = FromRight(38, 9);
  const Rgb minimizeColor = hover.At(minimizeFace.x, minimizeFace.y);
  EXPECT_FALSE(minimizeColor.r > minimizeColor.g + 60) << Describe(minimizeColor);
}

// A click on a caption button as the mouse gives it: pressed in the frame, released (with the
// mouse captured) at a point of the window.
void ClickCaptionButton(HWND window, LRESULT hit, POINT press, POINT release) {
  ScreenToClient(window, &release);
  PostMessageW(window, WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), MAKELPARAM(press.x, press.y));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(release.x, release.y));
}

TEST_P(SkinTest, MinimizeButtonSendsTheWindowAway) {
  Start();
  ASSERT_NE(main_, nullptr);
  const POINT minimize = FromRight(47, 14);
  ClickCaptionButton(main_, HTMINBUTTON, minimize, minimize);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }))
      << "the minimize button did not minimize";
}

TEST_P(SkinTest, CloseButtonClosesOnlyWhenReleasedOverIt) {
  App& app = Start();
  ASSERT_NE(main_, nullptr);
  const POINT close = FromRight(19, 14);
  ClickCaptionButton(main_, HTCLOSE, close, TitlePoint(60, 14));
  Sleep(500);
  EXPECT_TRUE(app.IsRunning()) << "released away from the button, yet it closed";
  ClickCaptionButton(main_, HTCLOSE, close, close);
  EXPECT_EQ(app.WaitForExit(), std::optional<DWORD>(0));
}

TEST_P(SkinTest, CountingDownRepaintsTheCaptionWithTheClock) {
  Start(10 * 3600);
  ASSERT_NE(main_, nullptr);
  HWND picker = Picker(main_);
  ASSERT_NE(picker, nullptr);
  TypeText(picker, L"110000");
  ASSERT_TRUE(WaitUntil([&] { return Text(picker) == L"11:00:00"; }, 3000));
  Click(ChildWithText(main_, L"开始"));
  HWND stop = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (stop = ChildWithText(main_, L"停止")) != nullptr; }));
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND child : Descendants(main_)) {
      if (Text(child).find(L"小时") != std::wstring::npos) return true;
    }
    return false;
  })) << "no remaining time shown";

  const RECT outer = Window();
  const RECT caption{outer.left + S(30), outer.top + S(5), outer.left + S(170), outer.top + S(26)};
  const std::wstring before = Text(main_);
  const ScreenShot first;
  first.Save(Name(L"counting"), outer);
  ASSERT_TRUE(WaitUntil([&] { return Text(main_) != before; }, 3000)) << "the clock stands";
  Sleep(300);
  const ScreenShot second;
  int changed = 0;
  for (int y = caption.top; y < caption.bottom; ++y) {
    for (int x = caption.left; x < caption.right; ++x) {
      changed += Distance(first.At(x, y), second.At(x, y)) > 30;
    }
  }
  EXPECT_GT(changed, 0) << "the caption was not painted again for the new time";
  EXPECT_GE(second.Count(caption, kWood.form.captionText, 60), S(30));
  const RECT b = WindowRect(stop);
  EXPECT_TRUE(IsTan(second.At(b.left + S(5), (b.top + b.bottom) / 2)));
}

TEST_P(SkinTest, RightClickMenuIsDrawnInTheSkin) {
  App& app = Start();
  ASSERT_NE(main_, nullptr);
  OpenContextMenu(main_);
  HWND menu = app.WaitForPopupMenu();
  ASSERT_NE(menu, nullptr) << "no menu";
  // The menu window is placed and painted a moment after it appears.
  auto firstItemOf = [&](const RECT& r) { return r.top + S(4) + S(kWood.menu.itemHeight) / 2; };
  ASSERT_TRUE(WaitUntil(
      [&] {
        const RECT r = WindowRect(menu);
        return r.right - r.left > S(60) && Distance(ScreenShot().At(r.right - S(6), firstItemOf(r)),
                                                    kWood.menu.background) <= 3;
      },
      5000))
      << "the menu's background is not the skin's";
  const RECT m = WindowRect(menu);
  const int firstItem = firstItemOf(m);
  const ScreenShot shot;
  shot.Save(Name(L"menu"),
            {std::min(Window().left, m.left), std::min(Window().top, m.top),
             std::max(Window().right, m.right), std::max(Window().bottom, m.bottom)});
  // The icon column down the left, from the top edge to the bottom edge.
  for (int y : {static_cast<int>(m.top) + 2, firstItem, static_cast<int>(m.bottom) - 3}) {
    const Rgb c = shot.At(m.left + S(6), y);
    EXPECT_LE(Distance(c, kWood.icoline.column), 3)
        << "icon column at y " << y - m.top << ": " << Describe(c);
  }
  const Rgb edge = shot.At(m.left, firstItem);
  EXPECT_LE(Distance(edge, kWood.menu.border), 3) << "menu border " << Describe(edge);
  // Text in the menu's text colour.
  const RECT text{m.left + S(kWood.icoline.width) + S(4), m.top + S(4), m.right - S(8),
                  m.top + S(4) + S(kWood.menu.itemHeight)};
  EXPECT_GE(shot.Count(text, kWood.menu.text, 60), S(20));

  // The access letter still chooses: 退出(Z) ends the program.
  MenuAccessKey(menu, L'Z');
  EXPECT_EQ(app.WaitForExit(), std::optional<DWORD>(0));
}

TEST_P(SkinTest, MessageBoxIsDrawnInTheSkin) {
  App& app = Start(10 * 3600);  // the target 00:00:00 has passed
  ASSERT_NE(main_, nullptr);
  Click(ChildWithText(main_, L"开始"));
  HWND box = app.WaitForMessageBox();
  ASSERT_NE(box, nullptr) << "no message box";
  const MessageBoxInfo info = ReadMessageBox(box);
  EXPECT_EQ(Utf8(info.caption), "倒计时");
  EXPECT_EQ(Utf8(info.text), "设置的时间比当前系统时间早");
  ASSERT_EQ(info.buttons.size(), 1u);
  EXPECT_EQ(Utf8(info.buttons[0].second), "OK");
  EXPECT_FALSE(info.hasIcon);
  EXPECT_EQ(Owner(box), main_);
  EXPECT_FALSE(IsWindowEnabled(main_));

  Sleep(300);
  const RECT r = WindowRect(box);
  const int width = r.right - r.left, height = r.bottom - r.top;
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  const ScreenShot shot;
  shot.Save(Name(L"message-box"), r, 60);
  const POINT origin = ClientOrigin(box);
  EXPECT_EQ(origin.y - r.top, S(30));
  EXPECT_TRUE(IsWood(shot.At(r.left + width / 2, r.top + S(3))));
  const Rgb client = shot.At(origin.x + S(3), origin.y + S(3));
  EXPECT_LE(Distance(client, kWood.form.client), 3) << Describe(client);
  const RECT ok = WindowRect(info.buttons[0].first);
  EXPECT_TRUE(IsTan(shot.At(ok.left + S(5), (ok.top + ok.bottom) / 2)));
  EXPECT_GE(shot.Count(WindowRect(GetDlgItem(box, 0xFFFF)), kWood.form.labelText, 60), S(20));

  ASSERT_TRUE(info.Press(L"OK"));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_) != FALSE; }));
}

// A connectivity probe of the driver's own on 127.0.0.1: it answers every connection with an
// empty page, so that the network-time command gets past its check.
class ProbeServer {
 public:
  ProbeServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listen(listener_, 4);
    thread_ = std::thread([this] {
      for (;;) {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;  // closed: the test is over
        char request[1024];
        recv(client, request, sizeof request, 0);
        const char reply[] = "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n";
        send(client, reply, sizeof reply - 1, 0);
        closesocket(client);
      }
    });
  }
  ~ProbeServer() {
    closesocket(listener_);
    thread_.join();
    WSACleanup();
  }
  ProbeServer(const ProbeServer&) = delete;
  ProbeServer& operator=(const ProbeServer&) = delete;
  int Port() const { return port_; }

 private:
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
};

void WriteFileText(const std::wstring& path, const std::string& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << Utf8(path);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

TEST_P(SkinTest, ErrorBoxIsDrawnInTheSkinWithItsStopIcon) {
  // 获取网络时间 with the probe answering and no time server known: the name does not resolve,
  // the socket error leaves the handler and the error box reports it.
  ProbeServer probe;
  App& app = Start();
  ASSERT_NE(main_, nullptr);
  WriteFileText(app.ScriptDir() + L"\\probe-url.txt",
                "http://127.0.0.1:" + std::to_string(probe.Port()) + "/");
  OpenContextMenu(main_);
  HWND menu = app.WaitForPopupMenu();
  ASSERT_NE(menu, nullptr) << "no menu";
  MenuAccessKey(menu, L'X');
  HWND box = app.WaitForMessageBox(15000);
  ASSERT_NE(box, nullptr) << "no error box";
  const MessageBoxInfo info = ReadMessageBox(box);
  EXPECT_EQ(Utf8(info.caption), "倒计时");
  EXPECT_TRUE(info.hasIcon) << "no stop icon";
  EXPECT_FALSE(info.text.empty());
  ASSERT_EQ(info.buttons.size(), 1u);
  EXPECT_EQ(Utf8(info.buttons[0].second), "OK");

  Sleep(300);
  const RECT r = WindowRect(box);
  const int width = r.right - r.left, height = r.bottom - r.top;
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  const ScreenShot shot;
  shot.Save(Name(L"error-box"), r, 60);
  EXPECT_TRUE(IsWood(shot.At(r.left + width / 2, r.top + S(3))));
  const POINT origin = ClientOrigin(box);
  EXPECT_LE(Distance(shot.At(origin.x + S(3), origin.y + S(3)), kWood.form.client), 3);
  // The stop icon: red on the box's tan, at its place left of the text.
  HWND icon = nullptr;
  for (HWND child : Descendants(box)) {
    if (ClassName(child) == L"Static" && (Style(child) & SS_TYPEMASK) == SS_ICON) icon = child;
  }
  ASSERT_NE(icon, nullptr);
  const RECT i = WindowRect(icon);
  EXPECT_EQ(i.right - i.left, S(32));
  int red = 0;
  for (int y = i.top; y < i.bottom; ++y) {
    for (int x = i.left; x < i.right; ++x) {
      const Rgb c = shot.At(x, y);
      red += c.r > 150 && c.g < 90 && c.b < 90;
    }
  }
  EXPECT_GE(red, S(32) * S(32) / 8) << "no red stop sign";
  EXPECT_LT(i.right, WindowRect(GetDlgItem(box, 0xFFFF)).left);

  ASSERT_TRUE(info.Press(L"OK"));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_) != FALSE; }));
  EXPECT_TRUE(app.IsRunning());
}

// External skins sit beside the exe: the test runs a copy of the exe in a folder of its own.
class ExternalSkinTest : public E2eTest {
 protected:
  std::wstring Folder() {
    static int counter = 0;
    const std::wstring folder = WorkDir() + L"\\skin-" + std::to_wstring(GetCurrentProcessId()) +
                                L"-" + std::to_wstring(++counter);
    CreateDirectoryW(WorkDir().c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(
        CopyFileW(TestExePath().c_str(), (folder + L"\\countdown_test.exe").c_str(), FALSE));
    return folder;
  }
  // The client background of the copy started from `folder`.
  Rgb ClientColour(const std::wstring& folder, const wchar_t* shotName) {
    LaunchOptions options;
    options.exe = folder + L"\\countdown_test.exe";
    App& app = Launch(options);
    HWND main = app.WaitForMainWindow();
    EXPECT_NE(main, nullptr);
    if (main == nullptr) return {};
    WaitUntil([&] { return !Text(main).empty(); });
    Sleep(300);
    EXPECT_EQ(app.WaitForMessageBox(300), nullptr) << "a message about the skin";
    const POINT origin = ClientOrigin(main);
    const ScreenShot shot;
    shot.Save(shotName, WindowRect(main));
    return shot.At(origin.x + 2, origin.y + 2);
  }
};

constexpr char kBlueishSkin[] =
    "; a test skin: only the client area differs from the wood\r\n"
    "CountdownSkin 1\r\n[FORM]\r\nClient = #A0C4E8\r\n";

TEST_F(ExternalSkinTest, APackedFileBesideTheExeIsTaken) {
  const std::wstring folder = Folder();
  WriteFileText(folder + L"\\wood.asz.asz", kBlueishSkin);
  const Rgb c = ClientColour(folder, L"external-file");
  EXPECT_LE(Distance(c, skin::Rgb{0xA0, 0xC4, 0xE8}), 3) << Describe(c);
}

TEST_F(ExternalSkinTest, AFolderWithOptionsDatIsTaken) {
  const std::wstring folder = Folder();
  CreateDirectoryW((folder + L"\\wood.asz").c_str(), nullptr);
  WriteFileText(folder + L"\\wood.asz\\Options.dat", kBlueishSkin);
  const Rgb c = ClientColour(folder, L"external-folder");
  EXPECT_LE(Distance(c, skin::Rgb{0xA0, 0xC4, 0xE8}), 3) << Describe(c);
}

TEST_F(ExternalSkinTest, ABrokenOneOrAPlainWoodAszGivesTheBuiltInSkinSilently) {
  const std::wstring folder = Folder();
  WriteFileText(folder + L"\\wood.asz.asz", "CountdownSkin 1\r\n[FORM]\r\nClient = blue\r\n");
  WriteFileText(folder + L"\\wood.asz", kBlueishSkin);  // not a name the lookup takes
  const Rgb c = ClientColour(folder, L"external-broken");
  EXPECT_LE(Distance(c, kWood.form.client), 3) << Describe(c);
}

INSTANTIATE_TEST_SUITE_P(Dpi, SkinTest, ::testing::Values(96, 144),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "At" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace e2e
