#!/usr/bin/env bash
# The main job: a fresh simulated Windows machine under demo/, a package laid
# into it, and an install run on it.
set -euo pipefail
cd "$(dirname "$0")/.."
# The sample package, also laid into the source tree (packages/ZorvexDemo).
cmake --build --preset host --target zorvex_demo_package_source
echo "demo: not ready yet"
