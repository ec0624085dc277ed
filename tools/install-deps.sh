#!/bin/sh
# Installs the Debian packages the build and the tests need, only those that are missing,
# so that a second run costs nothing. Runs as root, or through sudo.
set -eu

packages="cmake ninja-build g++ make qt6-base-dev libgl-dev clang libclang-rt-14-dev libpalm-perl adwaita-icon-theme
          desktop-file-utils appstream-util chromium poppler-utils"

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq --no-install-recommends $missing
