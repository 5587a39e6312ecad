#!/usr/bin/env bash
# Installs the Debian packages a step needs, only those that are missing.
#   scripts/deps.sh build|test|printer|fuzz|tidy|package|screenshot...
set -euo pipefail

packages=()
for group in "$@"; do
    case $group in
    build) packages+=(cmake ninja-build g++ qt6-base-dev qt6-base-private-dev qt6-base-dev-tools libgl-dev libicu-dev fonts-dejavu-core fonts-liberation) ;;
    test) packages+=(poppler-utils xauth xvfb weston qt6-wayland qt6-gtk-platformtheme dbus-daemon at-spi2-core python3-pyatspi orca speech-dispatcher openbox xdotool) ;;
    printer) packages+=(cups cups-client cups-bsd printer-driver-cups-pdf) ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    tidy) packages+=(clang-tidy clang-format) ;;
    package) packages+=(dpkg-dev file desktop-file-utils appstream) ;;
    screenshot) packages+=(xvfb xauth xdotool imagemagick x11-utils) ;;
    *) echo "deps.sh: unknown group '$group'" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
