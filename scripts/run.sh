#!/usr/bin/env bash
# Installs what the build needs, builds, and runs the simulated device: the
# deliverables are installed into a device root, SpringBoard starts with the
# tweak injected, settings are changed as a user would, and the page dots are
# shown after each step. Extra arguments go to `corvallo` before the command,
# e.g. --device-root /tmp/device.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
./build/default/bin/corvallo "$@" demo
