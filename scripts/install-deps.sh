#!/usr/bin/env bash
# Installs the Debian packages Tovra needs to build, test and run. Only missing packages are
# installed; sudo is used when not running as root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    libicu-dev libglib2.0-dev libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-qpa-plugins qt6-wayland dbus-daemon dbus-x11
    fonts-inter-variable fonts-dancingscript
    libxcb1-dev libxcb-xfixes0-dev libxcb-xtest0-dev libxcb-xinput-dev libxcb-keysyms1-dev
    libxcb-ewmh-dev libxcb-icccm4-dev libxcb-res0-dev libxcb-xkb-dev
    libx11-dev libxtst-dev libxi-dev
    xvfb xauth xclip xdotool openbox x11-utils
    python3-gi gir1.2-gtk-3.0 gir1.2-gtk-4.0 xterm xfce4-terminal x11-xkb-utils parcellite
    libreoffice-calc libreoffice-gtk3
    libwayland-dev sway wl-clipboard foot clipman xwayland x11-xserver-utils kwin-wayland
    gnome-shell nodejs
)

# Extra packages a caller needs (the screenshot script) come as arguments.
packages+=("$@")

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
