#!/usr/bin/env bash
# Setup.exe must be a 32-bit PE that needs no MinGW DLL: only system DLLs. It
# must also carry what Windows reads from the file itself: one manifest asking
# for administrator rights (with long paths and the supported Windows
# versions), the icon and the version block (check_pe_resources.py).
set -euo pipefail
exe=${1:-build/win32/Setup.exe}
here=$(dirname "$0")
[ -f "$exe" ] || { echo "error: $exe does not exist" >&2; exit 1; }
file_type=$(i686-w64-mingw32-objdump -f "$exe" | grep -o 'file format [a-z0-9-]*' || true)
[ "$file_type" = "file format pei-i386" ] || { echo "error: $exe is not a PE32 i386 executable ($file_type)" >&2; exit 1; }
bad=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' |
      grep -i -E 'libgcc|libstdc|libwinpthread|mingw' || true)
if [ -n "$bad" ]; then
  echo "error: $exe depends on MinGW DLLs: $bad" >&2
  exit 1
fi
echo "Setup.exe: PE32 i386, DLLs: $(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {printf "%s ", $3}')"
if ! python3 -B "$here/check_pe_resources.py" "$exe"; then
  echo "error: $exe lacks Windows resources it needs (see above); they come from src/app/res/setup.rc.in" >&2
  exit 1
fi
