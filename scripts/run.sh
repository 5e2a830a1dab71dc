#!/usr/bin/env bash
# Installs what the build needs and builds everything.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
echo "built: $(ls build/default/lib | tr '\n' ' ')"
