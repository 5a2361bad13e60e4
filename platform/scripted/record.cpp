#include "platform/scripted/record.h"

#include <windows.h>

#include <mutex>

namespace platform::scripted {

const std::wstring& ScriptDir() {
  static const std::wstring dir = [] {
    std::wstring value(32768, L'\0');
    DWORD n =
        GetEnvironmentVariableW(L"CD_SCRIPT_DIR", value.data(), static_cast<DWORD>(value.size()));
    value.resize(n < value.size() ? n : 0);
    while (!value.empty() && (value.back() == L'\\' || value.back() == L'/')) value.pop_back();
    return value;
  }();
  return dir;
}

void Record(std::wstring line) {
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  line += L'\n';
  if (ScriptDir().empty()) {
    OutputDebugStringW(line.c_str());
    return;
  }
  int bytes = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr,
                                  0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  // Opened and closed per line: nothing stays buffered in this process, and the driver may read
  // the file at any moment.
  std::wstring path = ScriptDir() + L"\\calls.log";
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    OutputDebugStringW((L"calls.log cannot be opened: " + line).c_str());
    return;
  }
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  FlushFileBuffers(file);
  CloseHandle(file);
}

}  // namespace platform::scripted
