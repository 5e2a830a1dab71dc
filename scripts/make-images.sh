#!/usr/bin/env bash
# Makes the README's pictures in docs/images: the home screen with recoloured
# dots and the Corvallo page in Settings, from a device on a temporary root.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target corvallo
root=$(mktemp -d /tmp/cvimg.XXXXXX)
corvallo() { ./build/default/bin/corvallo --root "$root" "$@"; }
trap 'corvallo down >/dev/null; rm -rf "$root"' EXIT
corvallo up
corvallo set isHidePageDotsEnabled off
corvallo set isColorCustomizationEnabled on
corvallo set activePageDotColor '#FF2D55'
corvallo set inactivePageDotColor '#FFFFFF:0.5'
# The tweak applies the change on SpringBoard's queues; wait until the dots show it.
for _ in $(seq 200); do
  corvallo home --json | grep -q '"#FF2D55FF"' && break
  sleep 0.02
done
mkdir -p docs/images
corvallo home --png docs/images/home.png
corvallo settings --png docs/images/settings.png
echo "wrote docs/images/home.png and docs/images/settings.png"
