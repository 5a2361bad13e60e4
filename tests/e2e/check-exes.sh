#!/usr/bin/env bash
# Checks the built exes without running them:
#   check-exes.sh types   WIN64_BUILD WIN32_BUILD   GUI PE32+ x86-64 and GUI PE32 Intel 80386
#   check-exes.sh imports WIN64_BUILD WIN32_BUILD   every imported DLL is part of Windows
set -euo pipefail
mode=$1
win64=$2
win32=$3

# DLLs that every supported Windows (7 to 11) has in its system folder.
allowed=(
  kernel32.dll user32.dll gdi32.dll shell32.dll advapi32.dll comctl32.dll wininet.dll
  ws2_32.dll comdlg32.dll ole32.dll oleaut32.dll shlwapi.dll uxtheme.dll msimg32.dll
  winmm.dll version.dll imm32.dll dwmapi.dll msvcrt.dll iphlpapi.dll secur32.dll bcrypt.dll
  crypt32.dll winspool.drv
)

exes() {  # the exes a build must have, then those it may have
  local dir=$1
  echo "$dir/app/countdown.exe"
  [ -f "$dir/app/countdown_test.exe" ] && echo "$dir/app/countdown_test.exe"
  return 0
}

failed=0
fail() { echo "FAIL: $*"; failed=1; }

check_type() {
  local exe=$1 expected=$2 actual
  [ -f "$exe" ] || { fail "$exe is missing"; return; }
  actual=$(file -b "$exe")
  if [[ "$actual" == "$expected"* ]]; then
    echo "ok: $exe: $actual"
  else
    fail "$exe: '$actual' does not start with '$expected'"
  fi
}

check_imports() {
  local exe=$1 objdump=$2 dlls dll
  [ -f "$exe" ] || { fail "$exe is missing"; return; }
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  [ -n "$dlls" ] || { fail "$exe: no imports found"; return; }
  for dll in $dlls; do
    if printf '%s\n' "${allowed[@]}" | grep -qxF "$dll"; then
      echo "ok: $(basename "$exe") imports $dll"
    else
      fail "$exe imports $dll, which is not a Windows system DLL"
    fi
  done
}

case "$mode" in
  types)
    for exe in $(exes "$win64"); do check_type "$exe" "PE32+ executable (GUI) x86-64"; done
    for exe in $(exes "$win32"); do check_type "$exe" "PE32 executable (GUI) Intel 80386"; done
    ;;
  imports)
    for exe in $(exes "$win64"); do check_imports "$exe" x86_64-w64-mingw32-objdump; done
    for exe in $(exes "$win32"); do check_imports "$exe" i686-w64-mingw32-objdump; done
    ;;
  *)
    echo "usage: $0 types|imports WIN64_BUILD WIN32_BUILD" >&2
    exit 2
    ;;
esac
exit $failed
