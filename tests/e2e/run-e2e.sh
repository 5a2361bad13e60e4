#!/usr/bin/env bash
# Runs one end-to-end driver exe under Wine on a private Xvfb and Wine prefix:
#   run-e2e.sh WIN64_BUILD_DIR e2e_<name> [GoogleTest arguments...]
# Screenshots and the program's script folders stay in WIN64_BUILD_DIR/e2e-results/e2e_<name>/.
set -euo pipefail
build=$(realpath "$1")
name=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/wine-env.sh
source "$here/../../scripts/wine-env.sh"

driver=$build/tests/e2e/$name.exe
for f in "$driver" "$build/app/countdown_test.exe" "$build/app/countdown.exe"; do
  [ -f "$f" ] || { echo "run-e2e: $f is missing (build the win64 preset first)" >&2; exit 1; }
done

out=$build/e2e-results/$name
rm -rf "$out"
mkdir -p "$out/artifacts" "$out/work"

CD_WINE_RUN_DIR=$out/wine wine_env_start
export CD_TEST_EXE CD_REAL_EXE CD_E2E_ARTIFACTS CD_E2E_WORK
CD_TEST_EXE=$(winpath "$build/app/countdown_test.exe")
CD_REAL_EXE=$(winpath "$build/app/countdown.exe")
CD_E2E_ARTIFACTS=$(winpath "$out/artifacts")
CD_E2E_WORK=$(winpath "$out/work")

set +e
# Below ctest's own time-out, so the trap still cleans up after a hung run.
timeout --kill-after=10 600 env LC_ALL=zh_CN.UTF-8 "$WINE64" "$driver" "$@"
rc=$?
set -e
[ $rc -eq 124 ] && echo "run-e2e: $name timed out" >&2

shopt -s nullglob
for bmp in "$out"/artifacts/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "run-e2e: screenshots in $out/artifacts"
exit $rc
