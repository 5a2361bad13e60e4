// The network-time commands of the right-click menu against real peers on 127.0.0.1: chrony as
// the time server and a static HTTP server as the connectivity probe (with-time-servers.sh starts
// both and names their ports in CD_NTP_PORT and CD_HTTP_PORT). The test exe records the clock
// setting instead of making it.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <regex>

#include "tests/e2e/driver/driver.h"

namespace e2e {
namespace {

constexpr int64_t kTicksPerMs = 10000;  // FILETIME counts 100 ns
constexpr int64_t kBeijingShiftMs = 8 * 3600 * 1000;

int EnvPort(const wchar_t* name) {
  wchar_t value[16] = {};
  if (GetEnvironmentVariableW(name, value, 16) == 0) return 0;
  return _wtoi(value);
}

// The real UTC clock of this machine (the one chrony serves), in ms since 1601.
int64_t UtcNowMs() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  return (static_cast<int64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime) / kTicksPerMs;
}

int64_t ToMs(const SYSTEMTIME& time) {
  FILETIME file;
  if (!SystemTimeToFileTime(&time, &file)) return -1;
  return (static_cast<int64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime) / kTicksPerMs;
}

std::string Describe(int64_t ms) {
  const int64_t ticks = ms * kTicksPerMs;
  FILETIME file{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME t;
  FileTimeToSystemTime(&file, &t);
  char text[40];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
  return text;
}

// "YYYY-MM-DD HH:MM:SS.mmm" in ms since 1601, -1 if it is not one.
int64_t ParseStamp(const std::wstring& text) {
  SYSTEMTIME t{};
  unsigned y, mo, d, h, mi, s, ms;
  if (swscanf(text.c_str(), L"%u-%u-%u %u:%u:%u.%u", &y, &mo, &d, &h, &mi, &s, &ms) != 7) {
    return -1;
  }
  t = {static_cast<WORD>(y), static_cast<WORD>(mo), 0,
       static_cast<WORD>(d), static_cast<WORD>(h),  static_cast<WORD>(mi),
       static_cast<WORD>(s), static_cast<WORD>(ms)};
  return ToMs(t);
}

void WriteScript(const App& app, const wchar_t* name, const std::string& line) {
  HANDLE file = CreateFileW((app.ScriptDir() + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

// A UDP socket of the driver's own on 127.0.0.1: a time server that never answers, and a witness
// of every datagram sent to it.
class SilentServer {
 public:
  SilentServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~SilentServer() {
    closesocket(socket_);
    WSACleanup();
  }
  int Port() const { return port_; }
  // Datagrams that arrived within waitMs.
  int Received(int waitMs) {
    int count = 0;
    for (;;) {
      WSAPOLLFD entry{socket_, POLLRDNORM, 0};
      if (WSAPoll(&entry, 1, count == 0 ? waitMs : 0) <= 0) return count;
      char buffer[512];
      recv(socket_, buffer, sizeof buffer, 0);
      ++count;
    }
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  int port_ = 0;
};

// A TCP port on 127.0.0.1 with nothing listening: the probe is down.
int ClosedTcpPort() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(s);
  WSACleanup();
  return ntohs(address.sin_port);
}

enum class Choice { kAccessLetter, kMouse };
const char* Name(Choice choice) {
  return choice == Choice::kAccessLetter ? "access letter" : "mouse";
}

class NetworkTimeTest : public E2eTest {
 protected:
  void SetUp() override {
    ntpPort_ = EnvPort(L"CD_NTP_PORT");
    httpPort_ = EnvPort(L"CD_HTTP_PORT");
    ASSERT_GT(ntpPort_, 0) << "CD_NTP_PORT not set: run through tests/e2e/with-time-servers.sh";
    ASSERT_GT(httpPort_, 0) << "CD_HTTP_PORT not set: run through tests/e2e/with-time-servers.sh";
  }

  // Starts the test exe with the probe and the time server on 127.0.0.1.
  App& LaunchWith(int probePort, int timeServerPort, const LaunchOptions& options = {}) {
    App& app = Launch(options);
    main_ = app.WaitForMainWindow();
    EXPECT_NE(main_, nullptr);
    WriteScript(app, L"probe-url.txt", "http://127.0.0.1:" + std::to_string(probePort) + "/");
    if (timeServerPort != 0) {
      WriteScript(app, L"time-server.txt", "127.0.0.1:" + std::to_string(timeServerPort));
    }
    return app;
  }

  // Opens the right-click menu and chooses item `index` (获取网络时间 0, 校正本机时间 1).
  void Choose(App& app, int index, Choice choice) {
    OpenContextMenu(main_);
    HWND menu = app.WaitForPopupMenu();
    ASSERT_NE(menu, nullptr) << "no menu";
    chosenAt_ = GetTickCount();
    if (choice == Choice::kAccessLetter) {
      MenuAccessKey(menu, index == 0 ? L'X' : L'Y');
      return;
    }
    // The menu's three items share its height. Wine's menu loop reads a mouse message's
    // position from its lParam, in screen coordinates.
    const RECT r = WindowRect(menu);
    const int x = (r.left + r.right) / 2;
    const int y = r.top + (r.bottom - r.top) * (2 * index + 1) / 6;
    SetCursorPos(x, y);
    PostMessageW(menu, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PostMessageW(menu, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(menu, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }

  // The box the command ends with, closed again.
  MessageBoxInfo TakeBox(App& app, DWORD timeoutMs = 10000, const wchar_t* screenshot = nullptr) {
    HWND box = app.WaitForMessageBox(timeoutMs);
    if (box == nullptr) return {};
    boxAfterMs_ = GetTickCount() - chosenAt_;
    MessageBoxInfo info = ReadMessageBox(box);
    if (screenshot != nullptr) SaveScreenshot(screenshot);
    // The one button, whatever the system calls it.
    if (!info.buttons.empty()) Click(info.buttons[0].first);
    WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 3000);
    return info;
  }

  static std::vector<std::wstring> Starting(const std::vector<std::wstring>& lines,
                                            std::wstring_view prefix) {
    std::vector<std::wstring> out;
    for (const auto& line : lines) {
      if (line.rfind(prefix, 0) == 0) out.push_back(line);
    }
    return out;
  }

  int ntpPort_ = 0;
  int httpPort_ = 0;
  DWORD chosenAt_ = 0;    // when the menu item was chosen
  DWORD boxAfterMs_ = 0;  // from then to the box
  HWND main_ = nullptr;
};

// "现在北京时间：" and the text form of a date-time (zh-CN: yyyy/M/d H:mm:ss), in ms since 1601.
int64_t ShownBeijingMs(const std::wstring& text) {
  static const std::wregex shown(
      L"现在北京时间：(\\d{4})\\D(\\d{1,2})\\D(\\d{1,2})(?: (\\d{1,2}):(\\d{2}):(\\d{2}))?");
  std::wsmatch m;
  if (!std::regex_match(text, m, shown)) return -1;
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(std::stoi(m[1]));
  t.wMonth = static_cast<WORD>(std::stoi(m[2]));
  t.wDay = static_cast<WORD>(std::stoi(m[3]));
  if (m[4].matched) {
    t.wHour = static_cast<WORD>(std::stoi(m[4]));
    t.wMinute = static_cast<WORD>(std::stoi(m[5]));
    t.wSecond = static_cast<WORD>(std::stoi(m[6]));
  }
  return ToMs(t);
}

TEST_F(NetworkTimeTest, ShowsTheServersTimeInBeijingTime) {
  for (Choice choice : {Choice::kAccessLetter, Choice::kMouse}) {
    SCOPED_TRACE(Name(choice));
    App& app = LaunchWith(httpPort_, ntpPort_);
    const int64_t before = UtcNowMs();
    Choose(app, 0, choice);
    const MessageBoxInfo box = TakeBox(app, 10000, L"network-time-shown");
    const int64_t after = UtcNowMs();
    ASSERT_NE(box.window, nullptr) << "no box";
    EXPECT_EQ(Utf8(box.caption), "倒计时");
    EXPECT_EQ(box.buttons.size(), 1u);
    const int64_t shown = ShownBeijingMs(box.text);
    ASSERT_GE(shown, 0) << Utf8(box.text);
    // The text keeps whole seconds of the server's time, which lies between the two readings.
    EXPECT_GE(shown, (before + kBeijingShiftMs) / 1000 * 1000) << Utf8(box.text);
    EXPECT_LE(shown, after + kBeijingShiftMs) << Utf8(box.text);
    std::printf("[%s] shown %s, box %lu ms after the choice\n", Name(choice),
                Utf8(box.text).c_str(), boxAfterMs_);
    EXPECT_EQ(app.CallsLog(),
              (std::vector<std::wstring>{L"InternetCheckConnection http://www.baidu.com/ 1 0 -> 1",
                                         L"SendTo 127.0.0.1:123 48"}));
    EXPECT_TRUE(app.IsRunning());
  }
}

// The program's clock runs an hour and 250 ms behind; the recorded setting is compared with the
// real clock (the one chrony serves) read at the moment of the call. One exchange under Wine on
// this shared machine now and then loses a few ms to a late wake-up: of up to three commands,
// every setting lies within 50 ms and one within 5 ms.
TEST_F(NetworkTimeTest, CorrectsTheClockToTheServersWithinFiveMs) {
  for (Choice choice : {Choice::kAccessLetter, Choice::kMouse}) {
    SCOPED_TRACE(Name(choice));
    LaunchOptions options;
    options.clock = L"offset -3600.25";
    App& app = LaunchWith(httpPort_, ntpPort_, options);
    int64_t best = INT64_MAX;
    for (int attempt = 1; attempt <= 3 && best > 5; ++attempt) {
      const int64_t before = UtcNowMs();
      Choose(app, 1, choice);
      const MessageBoxInfo box = TakeBox(app);
      const int64_t after = UtcNowMs();
      ASSERT_NE(box.window, nullptr) << "no box";
      EXPECT_EQ(Utf8(box.text), "校验本机时间完毕！");
      EXPECT_EQ(Utf8(box.caption), "倒计时");
      const auto settings = Starting(app.CallsLog(), L"SetSystemTime ");
      ASSERT_EQ(settings.size(), static_cast<size_t>(attempt));
      // "SetSystemTime <asked> at <real clock>"
      const std::wstring& line = settings.back();
      const size_t at = line.find(L" at ");
      ASSERT_NE(at, std::wstring::npos) << Utf8(line);
      const int64_t asked = ParseStamp(line.substr(14, at - 14));
      const int64_t real = ParseStamp(line.substr(at + 4));
      ASSERT_GE(asked, 0) << Utf8(line);
      ASSERT_GE(real, 0) << Utf8(line);
      EXPECT_GE(real, before - 1);
      EXPECT_LE(real, after + 1);
      EXPECT_LE(std::llabs(asked - real), 50) << Utf8(line);
      best = std::min(best, std::llabs(asked - real));
      std::printf("[%s] asked %s, real clock %s, difference %lld ms; box %lu ms after the choice\n",
                  Name(choice), Describe(asked).c_str(), Describe(real).c_str(),
                  static_cast<long long>(asked - real), boxAfterMs_);
    }
    EXPECT_LE(best, 5);
  }
}

TEST_F(NetworkTimeTest, ProbeDownGivesNoNetworkAndNoTraffic) {
  SilentServer witness;
  const int closed = ClosedTcpPort();
  for (Choice choice : {Choice::kAccessLetter, Choice::kMouse}) {
    for (int item : {0, 1}) {
      SCOPED_TRACE(std::string(Name(choice)) + (item == 0 ? " 获取网络时间" : " 校正本机时间"));
      App& app = LaunchWith(closed, witness.Port());
      Choose(app, item, choice);
      const MessageBoxInfo box = TakeBox(app);
      EXPECT_EQ(Utf8(box.text), "没有网络");
      EXPECT_EQ(witness.Received(300), 0);
      const std::wstring check = L"InternetCheckConnection http://www.baidu.com/ 1 0 -> 0";
      EXPECT_EQ(app.CallsLog(), std::vector<std::wstring>{check});
    }
  }
}

TEST_F(NetworkTimeTest, NoReplyIsNoTimeAndTheWaitIsBounded) {
  SilentServer silent;
  App& app = LaunchWith(httpPort_, silent.Port());
  for (int item : {0, 1}) {
    const DWORD start = GetTickCount();
    Choose(app, item, Choice::kAccessLetter);
    const MessageBoxInfo box = TakeBox(app, 15000);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(Utf8(box.text), "获取网络时间失败");
    EXPECT_EQ(silent.Received(0), 1);
    // The receive time-out of 2 s bounds the command.
    EXPECT_GE(elapsed, 1900u);
    EXPECT_LT(elapsed, 6000u);
    std::printf("no reply: box after %lu ms\n", elapsed);
  }
  EXPECT_TRUE(Starting(app.CallsLog(), L"SetSystemTime").empty());
}

TEST_F(NetworkTimeTest, UnknownServerGivesTheErrorBox) {
  App& app = LaunchWith(httpPort_, 0);  // no time-server.txt: no name resolves
  Choose(app, 1, Choice::kAccessLetter);
  const MessageBoxInfo box = TakeBox(app);
  EXPECT_EQ(Utf8(box.caption), "倒计时");
  EXPECT_EQ(Utf8(box.text), "Socket Error # 11001\r\nHost not found.");
  EXPECT_TRUE(box.hasIcon);
  EXPECT_TRUE(Starting(app.CallsLog(), L"SendTo").empty());
  EXPECT_TRUE(Starting(app.CallsLog(), L"SetSystemTime").empty());
  EXPECT_TRUE(app.IsRunning());
}

TEST_F(NetworkTimeTest, FailedClockSettingIsReportedWithTheSystemsReason) {
  App& app = LaunchWith(httpPort_, ntpPort_);
  WriteScript(app, L"setsystemtime-fails.txt", "");
  Choose(app, 1, Choice::kAccessLetter);
  const MessageBoxInfo box = TakeBox(app, 10000, L"clock-setting-failed");
  const std::string text = Utf8(box.text);
  EXPECT_EQ(text.rfind("校正本机时间失败：", 0), 0u) << text;
  EXPECT_GT(text.size(), std::string("校正本机时间失败：").size()) << "no reason given";
  EXPECT_TRUE(box.hasIcon);
  EXPECT_EQ(Starting(app.CallsLog(), L"SetSystemTime").size(), 1u);
}

}  // namespace
}  // namespace e2e
