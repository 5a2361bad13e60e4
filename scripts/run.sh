#!/usr/bin/env bash
# Installs what is missing, builds the program (the x86_64 exe: this machine runs no 32-bit
# code) and starts it under Wine. With a DISPLAY it shows there; without one it runs on a
# virtual display of its own and saves a screenshot every few seconds until Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

bash scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build build/win64 -j 2 --target countdown
exe=$repo/build/win64/app/countdown.exe
run_dir=$repo/build/run
mkdir -p "$run_dir"

# shellcheck source=wine-env.sh
source scripts/wine-env.sh
export CD_WINE_RUN_DIR=$run_dir/wine

if [ -n "${DISPLAY:-}" ]; then
  wine_env_start --no-xvfb
  echo "Starting $exe on $DISPLAY (inside a Wine desktop window)."
  set +e
  # In the background and waited for, so Ctrl+C reaches the trap at once.
  wine_run "$exe" &
  wait $!
  exit $?
fi

wine_env_start
shot=$run_dir/screenshot.png
interval=${CD_SCREENSHOT_SECONDS:-3}
wine_run "$exe" &
program=$!
echo "Running $exe on the virtual display $DISPLAY."
echo "Screenshot every ${interval} s: $shot"
echo "Press Ctrl+C to stop."
while kill -0 "$program" 2>/dev/null; do
  sleep "$interval"
  # Written beside and renamed, so a viewer never opens half a file.
  # The X screen may be larger than the Wine desktop: keep the desktop only.
  if import -display "$DISPLAY" -window root -crop "${CD_SCREEN_SIZE}+0+0" +repage \
    "$run_dir/.screenshot-new.png" 2>/dev/null; then
    mv -f "$run_dir/.screenshot-new.png" "$shot"
  fi
done
set +e
wait "$program"
code=$?
echo "The program ended with exit code $code."
exit $code
