# Wine environment for the end-to-end tests and the run command. Source it, then:
#   wine_env_start [--no-xvfb]   copy the cached template prefix into a fresh run folder and start
#                                Xvfb on a free display (unless --no-xvfb: then $DISPLAY is used)
#   wine_run PROGRAM ARGS...     run a Windows program in that prefix (zh-CN locale, code page 936)
#   winpath UNIX_PATH            the Z:\ path Wine sees for a Unix path
#   wine_env_stop                end everything started here (also run by the EXIT/INT/TERM trap)
# Knobs: CD_WINE_RUN_DIR (folder for the run's prefix and Xvfb files; default build/wine-runs/…),
#        CD_WINE_TEMPLATE (cached template prefix; default build/wine-template).
# shellcheck shell=bash

CD_REPO_DIR=${CD_REPO_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
CD_WINE_TEMPLATE=${CD_WINE_TEMPLATE:-$CD_REPO_DIR/build/wine-template}
CD_SCREEN_SIZE=1024x700
# The X screen is larger than the desktop, so a test can switch the desktop to another size
# (ChangeDisplaySettings offers the sizes that fit the X screen) and back.
CD_XVFB_SIZE=1280x1024

export WINELOADER=$WINE64
export WINESERVER
export WINEDEBUG=-all
# No Mono/Gecko install prompts, no menu entries written into the home folder.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

_cd_xvfb_pid=""
_cd_run_dir=""
_cd_wine_started=""

winpath() {
  local p
  p=$(realpath -m "$1")
  printf 'Z:%s' "${p//\//\\}"
}

wine_run() {
  LC_ALL=zh_CN.UTF-8 "$WINE64" "$@"
}

# The registry settings every run needs: one 1024x700 virtual desktop shared by all processes of
# the prefix, with its shell (a taskbar with task buttons and a notification area), and font
# links so Tahoma, MS Shell Dlg 2 and Segoe UI fall back to WenQuanYi for Chinese instead of
# drawing boxes.
_cd_template_reg() {
  # REGEDIT4 files give REG_MULTI_SZ data as ANSI bytes (UTF-16 bytes here would double every
  # character and break the links).
  local link='hex(7):77,71,79,2d,6d,69,63,72,6f,68,65,69,2e,74,74,63,2c,57,65,6e,51,75,61,6e,59,69,20,4d,69,63,72,6f,20,48,65,69,00,00'
  cat <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="$CD_SCREEN_SIZE"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops\\Default]
"EnableShell"=dword:00000001

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]
"Tahoma"=$link
"Tahoma Bold"=$link
"MS Shell Dlg 2"=$link
"Segoe UI"=$link

EOF
}

_cd_template_key() {
  {
    "$WINE64" --version
    _cd_template_reg
    ls -l /usr/share/wine/fonts/ /usr/share/fonts/truetype/wqy/
  } | sha256sum | cut -d' ' -f1
}

# Builds the template prefix once (about 10 s); later runs only copy it. Serialised by a lock so
# parallel test runs in the same tree do not build it twice.
_cd_ensure_template() {
  mkdir -p "$(dirname "$CD_WINE_TEMPLATE")"
  local key
  key=$(_cd_template_key)
  (
    flock 9
    if [ -f "$CD_WINE_TEMPLATE/.cd-template-key" ] &&
       [ "$(cat "$CD_WINE_TEMPLATE/.cd-template-key")" = "$key" ]; then
      exit 0
    fi
    echo "wine-env: building the template prefix $CD_WINE_TEMPLATE" >&2
    local new="$CD_WINE_TEMPLATE.new.$$"
    rm -rf "$new"
    mkdir -p "$new"
    (
      export WINEPREFIX=$new
      unset DISPLAY
      wine_run wineboot -i >/dev/null 2>&1 || true
      # Wine 8 does not read /usr/share/wine/fonts: the fonts must sit in C:\windows\Fonts.
      cp -L /usr/share/wine/fonts/*.ttf /usr/share/fonts/truetype/wqy/wqy-microhei.ttc \
        "$new/drive_c/windows/Fonts/"
      _cd_template_reg >"$new/cd-settings.reg"
      wine_run regedit /S "$(winpath "$new/cd-settings.reg")" >/dev/null 2>&1
      "$WINESERVER" -w
    )
    [ -f "$new/system.reg" ] || { echo "wine-env: wineboot failed" >&2; exit 1; }
    grep -q '"Default"="'"$CD_SCREEN_SIZE"'"' "$new/user.reg" ||
      { echo "wine-env: registry settings missing" >&2; exit 1; }
    echo "$key" >"$new/.cd-template-key"
    rm -rf "$CD_WINE_TEMPLATE"
    mv "$new" "$CD_WINE_TEMPLATE"
  ) 9>"$CD_WINE_TEMPLATE.lock"
}

_cd_start_xvfb() {
  local fifo="$_cd_run_dir/xvfb-display"
  : >"$fifo"
  Xvfb -displayfd 3 -screen 0 "${CD_XVFB_SIZE}x24" -nolisten tcp 3>"$fifo" \
    >"$_cd_run_dir/xvfb.log" 2>&1 &
  _cd_xvfb_pid=$!
  local i
  for i in $(seq 100); do
    if grep -q '^[0-9]\+$' "$fifo" 2>/dev/null; then
      export DISPLAY=":$(head -n1 "$fifo")"
      return 0
    fi
    kill -0 "$_cd_xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "wine-env: Xvfb did not start (see $_cd_run_dir/xvfb.log)" >&2
  return 1
}

wine_env_stop() {
  if [ -n "$_cd_wine_started" ] && [ -n "${WINEPREFIX:-}" ]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    _cd_wine_started=""
  fi
  if [ -n "$_cd_xvfb_pid" ]; then
    kill "$_cd_xvfb_pid" 2>/dev/null || true
    wait "$_cd_xvfb_pid" 2>/dev/null || true
    _cd_xvfb_pid=""
  fi
  if [ -n "$_cd_run_dir" ] && [ -z "${CD_KEEP_PREFIX:-}" ]; then
    rm -rf "$_cd_run_dir/prefix"
  fi
}

_cd_on_signal() {
  wine_env_stop
  trap - EXIT
  exit 130
}

wine_env_start() {
  local use_xvfb=1
  [ "${1:-}" = "--no-xvfb" ] && use_xvfb=""
  _cd_ensure_template || return 1
  _cd_run_dir=${CD_WINE_RUN_DIR:-$CD_REPO_DIR/build/wine-runs/run-$$}
  rm -rf "$_cd_run_dir/prefix"
  mkdir -p "$_cd_run_dir"
  trap wine_env_stop EXIT
  trap _cd_on_signal INT TERM HUP
  cp -a "$CD_WINE_TEMPLATE" "$_cd_run_dir/prefix"
  export WINEPREFIX="$_cd_run_dir/prefix"
  _cd_wine_started=1
  if [ -n "$use_xvfb" ]; then
    _cd_start_xvfb || return 1
  fi
}
