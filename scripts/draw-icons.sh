#!/usr/bin/env bash
# Draws the preference bundle's icons (the Settings entry at 1x and 2x, the
# banner) into prefs/resources, from which every build installs them.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target draw_icons
./build/default/bin/draw_icons prefs/resources
echo "drew prefs/resources/icon.png, icon@2x.png and Corvallo-fullsize.png"
