#!/usr/bin/env bash
# Builds the Debian package and checks it: the desktop entry and AppStream validators, the
# manual page, the files it installs, the links of its font bundle, and lintian.
# Usage: scripts/package.sh [build-dir]   (the .deb is left in the build directory)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-package}"

"$root/scripts/install-deps.sh" dpkg-dev fakeroot lintian desktop-file-utils appstream man-db

# A build directory made already (CI's, say) is packaged as it is configured.
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVRA_BUILD_TESTS=OFF \
        -DTOVRA_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --parallel "$(nproc)"

echo "== The files desktops read"
desktop-file-validate "$build/dist/invalid.moxworks.tovra.desktop"
appstreamcli validate --no-net "$build/dist/invalid.moxworks.tovra.metainfo.xml"
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
    ./usr/share/doc/tovra/changelog.Debian.gz \
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

echo "== lintian"
lintian --fail-on error "$deb"
echo "Package: $deb"
