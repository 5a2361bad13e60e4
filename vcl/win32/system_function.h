#pragma once
// Functions of newer Windows versions (or of DLLs the exe does not import), looked up at run time
// so the exe still loads on Windows 7.
#include <windows.h>

#include <cstring>

namespace vcl::win32 {

// The function `name` of `library` (loaded if it is not yet), or nullptr.
template <class Function>
Function SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  if (module == nullptr) module = LoadLibraryW(library);
  Function function = nullptr;
  if (module == nullptr) return function;
  if (FARPROC address = GetProcAddress(module, name)) {
    static_assert(sizeof(function) == sizeof(address));
    std::memcpy(&function, &address, sizeof(function));
  }
  return function;
}

}  // namespace vcl::win32
