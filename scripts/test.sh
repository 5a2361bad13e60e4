#!/usr/bin/env bash
# Installs what is missing, builds the four builds (native, fuzz, win64, win32) and runs every
# test: unit tests, fuzz runs, the exe checks and the end-to-end tests under Wine. The last
# lines are ctest's summary; the exit code is ctest's.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

for preset in native fuzz win64 win32; do
  echo "== build $preset (at ${SECONDS} s)"
  cmake --preset "$preset" >/dev/null
  cmake --build "build/$preset" -j 2
done

echo "== tests (at ${SECONDS} s)"
set +e
ctest --test-dir build/native --output-on-failure
exit $?
