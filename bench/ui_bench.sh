#!/usr/bin/env bash
# The window benchmark under Wine: bench/ui_bench.sh [WIN64_BUILD_DIR] [idle seconds]
# Start-up and peak working set against a minimal Win32 window (with, for reference, a window of
# the same standard controls and nothing else), then repaints while idle and while counting
# down. Ratios are against the baseline measured in the same run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../build/win64}")
idle=${2:-30}
# shellcheck source=../scripts/wine-env.sh
source "$here/../scripts/wine-env.sh"
for f in "$build/bench/ui_bench.exe" "$build/bench/minimal_window.exe" \
  "$build/bench/controls_window.exe" "$build/app/countdown.exe"; do
  [ -f "$f" ] || { echo "ui_bench: $f is missing (build the win64 preset first)" >&2; exit 1; }
done
CD_WINE_RUN_DIR=$build/bench-results/wine wine_env_start
set +e
wine_run "$build/bench/ui_bench.exe" "$(winpath "$build/app/countdown.exe")" \
  "$(winpath "$build/app/countdown.exe")" "$(winpath "$build/bench/minimal_window.exe")" \
  "$(winpath "$build/bench/controls_window.exe")" "$idle"
status=$?
set -e
wine_env_stop
exit $status
