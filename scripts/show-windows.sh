#!/usr/bin/env bash
# The real windows: the win32 build's sample package (the Windows Setup.exe and
# its .exe payload programs) run by Wine in a prefix under demo/wine. With a
# display (DISPLAY set) the wizard appears there to be clicked through; without
# one it runs on a virtual display (Xvfb) and the welcome screen is saved as
# demo/windows/welcome.png. BUILD_WIN32 names another win32 build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in wine wineserver; do
  command -v "$tool" >/dev/null || {
    echo "show-windows: $tool is missing (dpkg --add-architecture i386; apt-get update;" \
         "apt-get install wine wine32 xvfb)" >&2
    exit 1
  }
done
if [ -z "${DISPLAY:-}" ] && ! command -v xvfb-run >/dev/null; then
  echo "show-windows: no display and no xvfb-run (apt-get install xvfb)" >&2
  exit 1
fi

build=${BUILD_WIN32:-build/win32}
if [ -n "${BUILD_WIN32:-}" ]; then
  cmake --build "$build" -j"${JOBS:-$(nproc)}" --target zorvex_demo_package >/dev/null
else
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 -j"${JOBS:-$(nproc)}" --target zorvex_demo_package >/dev/null
fi

export WINEPREFIX=$PWD/demo/wine WINEDEBUG=-all
on_display() {  # runs a command on the display, or on a virtual one
  if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1024x768x24" "$@"; fi
}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "show-windows: making the Wine prefix $WINEPREFIX (once)"
  mkdir -p "$WINEPREFIX"
  WINEARCH=win32 on_display wineboot -i >/dev/null 2>&1
fi
rm -rf "$WINEPREFIX/drive_c/ZorvexDemo"
cp -r "$build/packages/ZorvexDemo" "$WINEPREFIX/drive_c/ZorvexDemo"
cd "$WINEPREFIX/drive_c/ZorvexDemo"

if [ -n "${DISPLAY:-}" ]; then
  echo "show-windows: C:\\ZorvexDemo\\Setup.exe on $DISPLAY"
  wine Setup.exe
  exit 0
fi

shots=$OLDPWD/demo/windows
mkdir -p "$shots"
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3
export SHOT="$shots/welcome.png" PYTHON=$python
on_display bash -c '
  wine Setup.exe &
  sleep "${SHOW_SECONDS:-15}"
  "$PYTHON" -c "import os; from PIL import ImageGrab; ImageGrab.grab(xdisplay=os.environ[\"DISPLAY\"]).save(os.environ[\"SHOT\"])"
  wineserver -k
  wait || true'
echo "show-windows: the welcome screen on a virtual display: $SHOT"
