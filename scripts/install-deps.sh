#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, quietly and
# only when missing. Runs as root (CI and the development machines are root).
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  libpng-dev libfreetype-dev zlib1g-dev
  fonts-wine fonts-wqy-microhei fonts-dejavu-core
  liblnk-utils
  python3 python3-pil
)
[ -n "${ZX_EXTRA_PACKAGES:-}" ] && packages+=(${ZX_EXTRA_PACKAGES})

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "error: missing packages (${missing[*]}) and not root; install them with apt-get" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
