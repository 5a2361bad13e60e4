#include "tests/e2e/driver/driver.h"

#include <cstdio>
#include <cwctype>
#include <stdexcept>

namespace e2e {
namespace {

std::wstring EnvOr(const wchar_t* name, const std::wstring& fallback) {
  wchar_t buffer[32768];
  DWORD n = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
  if (n == 0 || n >= std::size(buffer)) return fallback;
  return std::wstring(buffer, n);
}

// The folder of this driver exe; the harness gives every path explicitly, this is the fallback.
std::wstring DriverDir() {
  wchar_t buffer[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
  std::wstring path(buffer, n);
  return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring TempDir() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetTempPathW(static_cast<DWORD>(std::size(buffer)), buffer);
  std::wstring dir(buffer, n);
  while (!dir.empty() && dir.back() == L'\\') dir.pop_back();
  return dir + L"\\cd-e2e";
}

void MakeDirectories(const std::wstring& path) {
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == L'\\' || path[i] == L'/') {
      CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
    }
  }
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return true;
}

bool WriteFileBytes(const std::wstring& path, const void* data, size_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  return ok && written == size;
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string data;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    data.append(buffer, read);
  }
  CloseHandle(file);
  return data;
}

std::wstring SafeFileName(std::wstring name) {
  for (wchar_t& c : name) {
    if (c < 32 || wcschr(L"\\/:*?\"<>|", c)) c = L'_';
  }
  return name;
}

// Writes a bottom-up 24-bit DIB as a .bmp file.
bool WriteBmp(const std::wstring& path, int width, int height, const void* bits) {
  const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + imageSize;
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = imageSize;
  std::string data(reinterpret_cast<const char*>(&file), sizeof file);
  data.append(reinterpret_cast<const char*>(&info), sizeof info);
  data.append(static_cast<const char*>(bits), imageSize);
  return WriteFileBytes(path, data.data(), data.size());
}

// Copies `width` x `height` pixels from `source` (or what `paint` draws) into a BMP file.
std::wstring CaptureToBmp(const std::wstring& name, int width, int height,
                          const std::function<bool(HDC)>& paint) {
  if (width <= 0 || height <= 0) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as .bmp files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::wstring result;
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    bool painted = paint(memory);
    GdiFlush();
    SelectObject(memory, old);
    MakeDirectories(ArtifactDir());
    std::wstring path = ArtifactDir() + L"\\" + SafeFileName(name) + L".bmp";
    if (painted && WriteBmp(path, width, height, bits)) result = path;
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return result;
}

LPARAM KeyLParam(UINT virtualKey, bool up) {
  UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  LPARAM lParam = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
  switch (virtualKey) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE:
      lParam |= 1 << 24;  // extended key
      break;
    default:
      break;
  }
  if (up) lParam |= (1 << 30) | (static_cast<LPARAM>(1) << 31);
  return lParam;
}

struct FileStamp {
  bool exists = false;
  FILETIME written{};
  DWORD size = 0;
  bool operator==(const FileStamp& other) const {
    return exists == other.exists && CompareFileTime(&written, &other.written) == 0 &&
           size == other.size;
  }
};

FileStamp StampOf(const std::wstring& path) {
  FileStamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    stamp.exists = true;
    stamp.written = data.ftLastWriteTime;
    stamp.size = data.nFileSizeLow;
  }
  return stamp;
}

}  // namespace

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(std::string_view text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::wstring TestExePath() {
  return EnvOr(L"CD_TEST_EXE", DriverDir() + L"\\..\\..\\app\\countdown_test.exe");
}
std::wstring RealExePath() {
  return EnvOr(L"CD_REAL_EXE", DriverDir() + L"\\..\\..\\app\\countdown.exe");
}
std::wstring ArtifactDir() {
  return EnvOr(L"CD_E2E_ARTIFACTS", TempDir() + L"\\artifacts");
}
std::wstring WorkDir() {
  return EnvOr(L"CD_E2E_WORK", TempDir() + L"\\work");
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(pollMs);
  }
}

// ---- windows -----------------------------------------------------------------------------

std::wstring Text(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 3000, &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 3000, &copied)) {
    return {};
  }
  text.resize(wcsnlen(text.c_str(), text.size()));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t buffer[256];
  int n = GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
  return std::wstring(buffer, n > 0 ? n : 0);
}

LONG Style(HWND window) {
  return GetWindowLongW(window, GWL_STYLE);
}
LONG ExStyle(HWND window) {
  return GetWindowLongW(window, GWL_EXSTYLE);
}

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

POINT ClientOrigin(HWND window) {
  POINT p{0, 0};
  ClientToScreen(window, &p);
  return p;
}

HWND Owner(HWND window) {
  return GetWindow(window, GW_OWNER);
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindDescendant(HWND parent, std::wstring_view className,
                    std::optional<std::wstring_view> text) {
  for (HWND child : Descendants(parent)) {
    if (EqualsNoCase(ClassName(child), className) && (!text || Text(child) == *text)) {
      return child;
    }
  }
  return nullptr;
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{processId, {}};
  EnumWindows(
      [](HWND window, LPARAM param) {
        auto* s = reinterpret_cast<Search*>(param);
        if (ProcessOf(window) == s->pid) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// ---- input -------------------------------------------------------------------------------

void Click(HWND button) {
  PostMessageW(button, BM_CLICK, 0, 0);
}

void ClickAt(HWND window, int x, int y) {
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void RightClickAt(HWND window, int x, int y) {
  PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
  PostMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}

void TypeText(HWND window, std::wstring_view text) {
  for (wchar_t unit : text) PostMessageW(window, WM_CHAR, unit, 1);
}

void PressKey(HWND window, UINT virtualKey) {
  PostMessageW(window, WM_KEYDOWN, virtualKey, KeyLParam(virtualKey, false));
  PostMessageW(window, WM_KEYUP, virtualKey, KeyLParam(virtualKey, true));
}

void OpenContextMenu(HWND window, std::optional<POINT> screenPoint) {
  POINT p;
  if (screenPoint) {
    p = *screenPoint;
  } else {
    SIZE size = ClientSize(window);
    p = ClientOrigin(window);
    p.x += size.cx / 2;
    p.y += size.cy / 2;
  }
  PostMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(p.x, p.y));
}

void MenuKeys(HWND menu, const std::vector<UINT>& virtualKeys) {
  for (UINT key : virtualKeys) PressKey(menu, key);
}

void MenuAccessKey(HWND menu, wchar_t letter) {
  PostMessageW(menu, WM_CHAR, letter, 1);
}

HWND OpenPopupMenu(DWORD processId) {
  for (HWND window : TopLevelWindows(processId)) {
    if (ClassName(window) == L"#32768" && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// ---- taskbar -----------------------------------------------------------------------------

std::vector<HWND> TaskButtons() {
  std::vector<HWND> buttons;
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (!taskbar) return buttons;
  bool start = true;  // the taskbar's first button is the Start button
  for (HWND child = GetWindow(taskbar, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!EqualsNoCase(ClassName(child), L"Button")) continue;
    if (start) {
      start = false;
      continue;
    }
    if (IsWindowVisible(child)) buttons.push_back(child);
  }
  return buttons;
}

// ---- message boxes -----------------------------------------------------------------------

bool MessageBoxInfo::Press(std::wstring_view buttonText) const {
  for (const auto& [button, text] : buttons) {
    if (text == buttonText) {
      Click(button);
      return true;
    }
  }
  return false;
}

MessageBoxInfo ReadMessageBox(HWND box) {
  MessageBoxInfo info;
  info.window = box;
  info.caption = Text(box);
  for (HWND child : Descendants(box)) {
    std::wstring cls = ClassName(child);
    if (EqualsNoCase(cls, L"Static")) {
      if (GetDlgCtrlID(child) == 0xFFFF) info.text = Text(child);
      if ((Style(child) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) {
        info.hasIcon = true;
      }
    } else if (EqualsNoCase(cls, L"Button") && IsWindowVisible(child)) {
      info.buttons.emplace_back(child, Text(child));
    }
  }
  return info;
}

// ---- screenshots -------------------------------------------------------------------------

std::wstring SaveScreenshot(const std::wstring& name) {
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  return CaptureToBmp(name, width, height, [&](HDC target) {
    HDC screen = GetDC(nullptr);
    BOOL ok = BitBlt(target, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
    ReleaseDC(nullptr, screen);
    return ok != FALSE;
  });
}

std::wstring SaveWindowShot(HWND window, const std::wstring& name) {
  RECT r = WindowRect(window);
  return CaptureToBmp(name, r.right - r.left, r.bottom - r.top,
                      [&](HDC target) { return PrintWindow(window, target, 0) != FALSE; });
}

// ---- the program under test --------------------------------------------------------------

std::unique_ptr<App> App::Launch(const LaunchOptions& options) {
  static int counter = 0;
  std::unique_ptr<App> app(new App());
  app->scriptDir_ = WorkDir() + L"\\app-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                    std::to_wstring(++counter);
  MakeDirectories(app->scriptDir_);
  if (!options.clock.empty()) app->SetClock(options.clock);

  // The driver's environment with the additions; CD_SCRIPT_DIR always names this app's folder.
  std::vector<std::pair<std::wstring, std::wstring>> added = options.environment;
  added.emplace_back(L"CD_SCRIPT_DIR", app->scriptDir_);
  std::wstring block;
  if (wchar_t* env = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = env; *entry; entry += wcslen(entry) + 1) {
      std::wstring_view item(entry);
      size_t equals = item.find(L'=', 1);
      std::wstring_view name = item.substr(0, equals);
      bool replaced = false;
      for (const auto& [key, value] : added) replaced = replaced || EqualsNoCase(key, name);
      if (!replaced) block.append(item).push_back(L'\0');
    }
    FreeEnvironmentStringsW(env);
  }
  for (const auto& [key, value] : added) block.append(key + L"=" + value).push_back(L'\0');
  block.push_back(L'\0');

  std::wstring exe = options.exe.empty() ? TestExePath() : options.exe;
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!options.arguments.empty()) commandLine += L" " + options.arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = options.showCommand;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &info)) {
    throw std::runtime_error("cannot start " + Utf8(exe) + ": error " +
                             std::to_string(GetLastError()));
  }
  CloseHandle(info.hThread);
  app->process_ = info.hProcess;
  app->pid_ = info.dwProcessId;
  WaitForInputIdle(info.hProcess, 15000);
  return app;
}

App::~App() {
  if (process_) {
    if (IsRunning()) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
  }
}

HWND App::WaitForMainWindow(DWORD timeoutMs) {
  WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows()) {
          RECT r = WindowRect(window);
          if (IsWindowVisible(window) && (Style(window) & WS_CAPTION) == WS_CAPTION &&
              r.right > r.left && r.bottom > r.top && ClassName(window) != L"#32770") {
            main_ = window;
            return true;
          }
        }
        return !IsRunning();
      },
      timeoutMs);
  return main_;
}

HWND App::ApplicationWindow() {
  if (!main_) WaitForMainWindow();
  return main_ ? Owner(main_) : nullptr;
}

HWND App::WaitForMessageBox(DWORD timeoutMs) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows()) {
          if (ClassName(window) == L"#32770" && IsWindowVisible(window)) {
            box = window;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return box;
}

HWND App::WaitForPopupMenu(DWORD timeoutMs) {
  HWND menu = nullptr;
  WaitUntil([&] { return (menu = OpenPopupMenu(pid_)) != nullptr; }, timeoutMs);
  return menu;
}

bool App::IsRunning() const {
  return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> App::WaitForExit(DWORD timeoutMs) {
  if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

void App::SetClock(const std::wstring& line) {
  const std::wstring path = scriptDir_ + L"\\clock.txt";
  const std::wstring temp = scriptDir_ + L"\\clock.tmp";
  const std::string bytes = Utf8(line) + "\n";
  const FileStamp before = StampOf(path);
  // Replaced by a rename, so the program never reads a half-written file; rewritten until the
  // write time or size differs, since the program re-reads only on such a change.
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (!WriteFileBytes(temp, bytes.data(), bytes.size()) ||
        !MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      throw std::runtime_error("cannot write " + Utf8(path));
    }
    if (!(StampOf(path) == before)) return;
    Sleep(5);
  }
  throw std::runtime_error("clock.txt keeps its write time: " + Utf8(path));
}

void App::SetClockFrozen(const SYSTEMTIME& t) {
  wchar_t text[64];
  swprintf(text, std::size(text), L"frozen %04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth,
           t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
  SetClock(text);
}

void App::SetClockOffset(double seconds) {
  wchar_t text[64];
  swprintf(text, std::size(text), L"offset %.3f", seconds);
  SetClock(text);
}

std::vector<std::wstring> App::CallsLog() const {
  std::vector<std::wstring> lines;
  auto data = ReadFileBytes(scriptDir_ + L"\\calls.log");
  if (!data) return lines;
  size_t start = 0;
  while (start < data->size()) {
    size_t end = data->find('\n', start);
    if (end == std::string::npos) end = data->size();
    std::string_view line(data->data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(FromUtf8(line));
    start = end + 1;
  }
  return lines;
}

// ---- fixture -----------------------------------------------------------------------------

App& E2eTest::Launch(const LaunchOptions& options) {
  apps_.push_back(App::Launch(options));
  return *apps_.back();
}

void E2eTest::TearDown() {
  if (HasFailure()) {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::wstring name = FromUtf8(std::string(test->test_suite_name()) + "." + test->name());
    std::wstring shot = SaveScreenshot(name + L"-failed");
    std::printf("screenshot of the failure: %s\n", Utf8(shot).c_str());
    for (const auto& app : apps_) {
      for (const auto& line : app->CallsLog()) {
        std::printf("calls.log of pid %lu: %s\n", app->Pid(), Utf8(line).c_str());
      }
    }
  }
  apps_.clear();
}

}  // namespace e2e
