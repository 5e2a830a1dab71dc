#!/usr/bin/env bash
# Installs what the build needs, builds, and walks one change through a
# simulated device: Corvallo is installed into a device root, SpringBoard and
# Settings start, the demo flips a switch in Settings and follows it to the
# home screen, printing each step and writing a picture of both screens per
# step. Extra arguments go to `corvallo` before the command, e.g.
# --root /tmp/device.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j"$(nproc)"
./build/default/bin/corvallo "$@" demo
