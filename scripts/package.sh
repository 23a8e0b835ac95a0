#!/usr/bin/env bash
# Builds the Debian package and checks it: the desktop entry and AppStream validators, the
# manual page, the files it installs, the links of its font bundle, and lintian.
# Usage: scripts/package.sh [build-dir]   (the .deb is left in the build directory)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-package}"

"$root/scripts/install-deps.sh" dpkg-dev fakeroot lintian desktop-file-utils appstream man-db \
    binutils

# A build directory made already (CI's, say) is packaged as it is configured.
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVRA_BUILD_TESTS=OFF \
        -DTOVRA_BUILD_BENCH=OFF -DTOVRA_UPDATE_CHECKER=OFF >/dev/null
fi
# Installed through apt, updated through apt: the package never asks the maker's server.
grep -q '^TOVRA_UPDATE_CHECKER:BOOL=OFF$' "$build/CMakeCache.txt" ||
    { echo "$build includes the update checker: configure it with -DTOVRA_UPDATE_CHECKER=OFF"; exit 1; }
cmake --build "$build" --parallel "$(nproc)"

echo "== The files desktops read"
desktop-file-validate "$build/dist/invalid.moxworks.tovra.desktop"
appstreamcli validate --pedantic --no-net "$build/dist/invalid.moxworks.tovra.metainfo.xml"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$build/dist/tovra.1" >/dev/null 2>"$build/man.log"
if [ -s "$build/man.log" ]; then
    cat "$build/man.log"
    exit 1
fi

echo "== The package"
rm -f "$build"/tovra_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tovra_*_*.deb)
echo "$deb"
listing=$(dpkg-deb -c "$deb")
for path in ./usr/bin/tovra ./usr/share/applications/invalid.moxworks.tovra.desktop \
    ./usr/share/metainfo/invalid.moxworks.tovra.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/invalid.moxworks.tovra.svg \
    ./usr/share/icons/hicolor/symbolic/apps/invalid.moxworks.tovra-symbolic.svg \
    ./usr/share/icons/hicolor/48x48/apps/invalid.moxworks.tovra.png \
    ./usr/share/man/man1/tovra.1.gz ./usr/share/doc/tovra/copyright \
    ./usr/share/doc/tovra/changelog.Debian.gz ./usr/share/doc/tovra/README.md \
    ./usr/share/bash-completion/completions/tovra ./usr/share/zsh/vendor-completions/_tovra \
    ./usr/share/gnome-shell/extensions/tovra@moxworks.invalid/extension.js \
    ./usr/share/tovra/MoxUI_MoxUI.bundle/Inter-VariableFont_opsz,wght.ttf; do
    if ! grep -qF " $path" <<<"$listing"; then
        echo "missing from the package: $path"
        exit 1
    fi
done
# The font bundle links to the font packages the package depends on.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
# KWin and the GNOME extension trust the program they name, by its installed path.
grep -qx 'Exec=/usr/bin/tovra' "$unpacked/usr/share/applications/invalid.moxworks.tovra.desktop" ||
    { echo "the desktop entry does not name /usr/bin/tovra"; exit 1; }
grep -q "TRUSTED_PROGRAM = '/usr/bin/tovra'" \
    "$unpacked/usr/share/gnome-shell/extensions/tovra@moxworks.invalid/extension.js" ||
    { echo "the GNOME extension does not serve /usr/bin/tovra"; exit 1; }
for link in "$unpacked"/usr/share/tovra/MoxUI_MoxUI.bundle/*; do
    installed=$(realpath -m "/usr/share/tovra/MoxUI_MoxUI.bundle/$(readlink "$link")")
    [ -e "$installed" ] || { echo "once installed, $link would point nowhere: $installed"; exit 1; }
done
"$unpacked/usr/bin/tovra" --version
dpkg-deb -f "$deb" Depends

echo "== What apt shows, and what the login starts"
# One paragraph of text: a CMake list would put ";" at the start of each line.
description=$(dpkg-deb -f "$deb" Description)
if grep -q '^ *;' <<<"$description"; then
    echo "the Description is corrupted:"
    echo "$description"
    exit 1
fi
grep -q 'Wayland' <<<"$description" || { echo "the Description still speaks of X11 only"; exit 1; }
for field in Recommends Homepage; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || { echo "no $field"; exit 1; }
done
entry="$unpacked/usr/share/applications/invalid.moxworks.tovra.desktop"
grep -qx 'TryExec=/usr/bin/tovra' "$entry" || { echo "the desktop entry has no TryExec"; exit 1; }
# Its actions start Tovra when it is not running.
if grep '^Exec=/usr/bin/tovra ' "$entry" | grep -v -- '--start'; then
    echo "an action does nothing when Tovra is not running"
    exit 1
fi
# One release date everywhere.
release=$(sed -n 's/.*<release version="[^"]*" date="\([^"]*\)".*/\1/p' \
    "$unpacked/usr/share/metainfo/invalid.moxworks.tovra.metainfo.xml")
zcat "$unpacked/usr/share/man/man1/tovra.1.gz" | head -1 | grep -q "\"$release\"" ||
    { echo "the manual page's date is not the release's ($release)"; exit 1; }
[ "$(date -u -d "$(zcat "$unpacked/usr/share/doc/tovra/changelog.Debian.gz" |
    sed -n 's/^ -- .*>  //p' | head -1)" +%F)" = "$release" ] ||
    { echo "the changelog's date is not the release's ($release)"; exit 1; }
# The completions offer the commands.
offered=$(bash -c "source '$unpacked/usr/share/bash-completion/completions/tovra'
    COMP_WORDS=(tovra sh); COMP_CWORD=1; _tovra; echo \"\${COMPREPLY[*]}\"")
[ "$offered" = "show-queue show-overlay" ] || { echo "bash completes 'sh' as: $offered"; exit 1; }

echo "== Hardening"
program="$unpacked/usr/bin/tovra"
readelf -h "$program" | grep -q 'Type:.*DYN' || { echo "not a position-independent executable"; exit 1; }
readelf -d "$program" | grep -q 'BIND_NOW\|FLAGS.*NOW' || { echo "no BIND_NOW"; exit 1; }
readelf -lW "$program" | grep -q GNU_RELRO || { echo "no RELRO"; exit 1; }
symbols=$(readelf --dyn-syms -W "$program")
grep -q '__stack_chk_fail' <<<"$symbols" || { echo "no stack protector"; exit 1; }
grep -q '__[a-z]*_chk@' <<<"$symbols" || { echo "no fortified functions"; exit 1; }
if readelf -SW "$program" | grep -q ' \.comment '; then
    echo "unneeded .comment section left in"
    exit 1
fi

echo "== lintian"
# Warnings too. Let through: no bug to close, as the maker ships the package itself (no ITP);
# "spelling" inside Qt's mangled symbol names (daysInMonthEv).
lintian --pedantic -I --fail-on error,warning \
    --suppress-tags initial-upload-closes-no-bugs,spelling-error-in-binary "$deb"
echo "Package: $deb"
