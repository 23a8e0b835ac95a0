#!/usr/bin/env bash
# Checks an installed Tovra (the package, or `cmake --install` into /usr): the command line, the
# manual page, the files desktops read, and that the program finds its font bundle where it is
# installed. Starts its own X server; needs no session of yours.
set -euo pipefail
tovra="${1:-/usr/bin/tovra}"
share="$(cd "$(dirname "$tovra")/../share" && pwd)"

"$tovra" --version
"$tovra" --help >/dev/null
MANWIDTH=80 man -l "$share/man/man1/tovra.1.gz" >/dev/null
for file in "$share/applications/invalid.moxworks.tovra.desktop" \
    "$share/metainfo/invalid.moxworks.tovra.metainfo.xml" \
    "$share/icons/hicolor/scalable/apps/invalid.moxworks.tovra.svg"; do
    [ -f "$file" ] || { echo "not installed: $file"; exit 1; }
done

config=$(mktemp -d)
log=$(mktemp)
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
server=$!
read -r display <"$fifo"
rm -f "$fifo"
trap 'kill "$server" 2>/dev/null || true; rm -rf "$config" "$log"' EXIT
mkdir -p "$config/moxworks"
printf '[General]\nmoxworks.tovra.firstRunCompleted=true\nmoxworks.tovra.lastUpdateCheck=%s\n' \
    "$(date -u +%Y-%m-%dT%H:%M:%SZ)" >"$config/moxworks/tovra.conf"
env -u DBUS_SESSION_BUS_ADDRESS DISPLAY=":$display" XDG_CONFIG_HOME="$config" \
    QT_LOGGING_RULES="mox.ui.FontRegistration=true" "$tovra" >"$log" 2>&1 &
program=$!
sleep 3
kill "$program"
wait "$program" || true
if grep -E "unable to find bundle|font missing|no bundled fonts" "$log"; then
    echo "the installed program does not find its font bundle"
    exit 1
fi
echo "Installed Tovra checked: $tovra"
