#!/usr/bin/env bash
# Installs the Debian packages the build needs; with --fuzz, also the clang
# and libFuzzer runtime that scripts/fuzz.sh builds with. Safe to run again: it
# only calls apt-get when something is missing, and refreshes the package
# lists once then.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libplist-dev libplist++-dev
  libicu-dev
  libasio-dev
  nlohmann-json3-dev
  libcli11-dev
  libarchive-dev
  libobjc-12-dev
  libdbus-1-dev dbus-daemon
  libpango1.0-dev libcairo2-dev fonts-inter fonts-dejavu-core
  libcpp-httplib-dev
  chromium chromium-driver python3-selenium
)
if [ "${1:-}" = --fuzz ]; then packages+=(clang libclang-rt-14-dev); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
