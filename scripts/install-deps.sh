#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, quietly and
# only when missing. Runs as root (CI and the development machines are root).
# clang with its run-time libraries (libFuzzer, the sanitizers) builds the fuzz targets.
# Wine runs the Windows Setup.exe in the tests and in DEMO=windows: its 32-bit
# half (wine32:i386) needs the i386 architecture, added here when missing.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  libpng-dev libfreetype-dev zlib1g-dev
  fonts-wine fonts-wqy-microhei fonts-dejavu-core
  liblnk-utils
  python3 python3-pil
  wine wine64 wine32:i386 xvfb xdotool
)
[ -n "${ZX_EXTRA_PACKAGES:-}" ] && packages+=(${ZX_EXTRA_PACKAGES})

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "error: missing packages (${missing[*]}) and not root; install them with apt-get" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "adding the i386 architecture (for wine32)"
  dpkg --add-architecture i386
fi
apt-get update -qq

log=$(mktemp)
trap 'rm -f "$log"' EXIT
apt_install() { apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1; }

if apt_install "${missing[@]}"; then exit 0; fi

# The i386 index of Debian's security archive can be a step behind amd64's,
# so that wine32:i386 asks for a libgstreamer-plugins-base1.0-0:i386 whose
# amd64 twin is not the one installed (both must be the same version). Then
# the three GStreamer packages are pinned, for both architectures, to the
# newest version that exists for both.
if ! grep -q 'gstreamer' "$log"; then
  cat "$log" >&2
  echo "error: apt-get could not install ${missing[*]}" >&2
  exit 1
fi
versions() { apt-cache madison "$1" | awk -F'|' '{gsub(/ /, "", $2); print $2}'; }
common=""
for v in $(versions libgstreamer-plugins-base1.0-0:amd64); do
  if versions libgstreamer-plugins-base1.0-0:i386 | grep -qxF "$v"; then common=$v; break; fi
done
if [ -z "$common" ]; then
  cat "$log" >&2
  echo "error: no version of libgstreamer-plugins-base1.0-0 exists for both amd64 and i386" >&2
  exit 1
fi
echo "wine32:i386 cannot be installed beside the GStreamer libraries of amd64 (the i386 index is" \
     "behind); pinning libgstreamer-plugins-base1.0-0, gstreamer1.0-plugins-base and" \
     "gstreamer1.0-x to $common for both architectures"
pinned=()
for p in libgstreamer-plugins-base1.0-0 gstreamer1.0-plugins-base gstreamer1.0-x; do
  pinned+=("$p:amd64=$common" "$p:i386=$common")
done
if ! apt_install -t bookworm --allow-downgrades "${missing[@]}" "${pinned[@]}"; then
  cat "$log" >&2
  echo "error: apt-get could not install ${missing[*]}, even with GStreamer pinned to $common" >&2
  exit 1
fi
