#!/usr/bin/env bash
# The main job: a fresh simulated Windows machine under demo/, a package laid
# into it, and an install run on it.
set -euo pipefail
echo "demo: not ready yet"
