#!/usr/bin/env bash
# The real windows: the win32 build's sample package (the Windows Setup.exe and
# its .exe payload programs) run by Wine in the prefix demo/wine
# (scripts/show_windows.py). BUILD_WIN32 names another win32 build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${BUILD_WIN32:-build/win32}
targets=(zorvex_demo_package zxdrive)
if [ -n "${BUILD_WIN32:-}" ]; then
  cmake --build "$build" -j"${JOBS:-$(nproc)}" --target "${targets[@]}" >/dev/null
else
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 -j"${JOBS:-$(nproc)}" --target "${targets[@]}" >/dev/null
fi
exec /usr/bin/python3 -B scripts/show_windows.py "$build"
