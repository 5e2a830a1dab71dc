#!/usr/bin/env bash
# Builds a Debian package of the two deliverables laid out as a jailbroken
# device keeps them: make-deb.sh BUILD_DIR VERSION plain|rootless OUT.deb
# The plain scheme puts files at their device paths; the rootless one puts
# everything under /var/jb.
set -euo pipefail
build=$1 version=$2 scheme=$3 out=$4
case "$scheme" in
  plain) prefix="" ;;
  rootless) prefix="/var/jb" ;;
  *) echo "make-deb: scheme is plain or rootless, not $scheme" >&2; exit 2 ;;
esac
stage=$(mktemp -d)
chmod 755 "$stage"
trap 'rm -rf "$stage"' EXIT
lib="$stage$prefix/Library"
mkdir -p "$lib/MobileSubstrate/DynamicLibraries" "$stage/DEBIAN"
cp "$build/lib/Corvallo.dylib" "$build/lib/Corvallo.plist" "$lib/MobileSubstrate/DynamicLibraries/"
cp -r "$build/stage/Library/PreferenceBundles" "$build/stage/Library/PreferenceLoader" "$lib/"
size=$(du -sk "$stage" | cut -f1)
# The binaries are Linux ELF files for Corvallo's simulated device, not for
# a phone: the architecture says so rather than claiming iphoneos-arm.
cat > "$stage/DEBIAN/control" <<CONTROL
Package: com.tenvarix.corvallo
Name: Corvallo
Version: $version
Section: Tweaks
Priority: optional
Architecture: corvallo-simulated-$(dpkg --print-architecture)
Installed-Size: $size
Depends: mobilesubstrate, preferenceloader
Maintainer: Tenvarix <tenvarix@users.noreply.github.com>
Author: Tenvarix
Description: Hide and recolour the home screen's page dots
 Hides the page dots below the home-screen icon pages, optionally those of
 widget stacks too, and recolours the current and the other dots. Settings
 live in their own page in the Settings app. Built for the simulated device
 of the Corvallo project ($scheme scheme).
CONTROL
dpkg-deb --root-owner-group -Zgzip --build "$stage" "$out" >/dev/null
echo "make-deb: $out"
