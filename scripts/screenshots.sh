#!/usr/bin/env bash
# Captures every surface of Tovra on a private X server with a window manager and a tray host,
# once without and once with a compositor. Usage: scripts/screenshots.sh [output-dir]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${1:-$root/docs/screenshots}"

"$root/scripts/install-deps.sh" imagemagick trayer xcompmgr
"$root/scripts/build.sh" "$root/build" >/dev/null
tovra="$root/build/Tovra/tovra"

capture_all() {
    local dir="$1" composited="$2"
    mkdir -p "$dir"
    local fifo display_number pids=()
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x720x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
    pids+=($!)
    read -r display_number <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$display_number"
    unset WAYLAND_DISPLAY XAUTHORITY
    openbox --sm-disable >/dev/null 2>&1 &
    pids+=($!)
    sleep 1.5
    trayer --edge top --align left --widthtype request --height 24 --tint 0x333333 \
        --transparent false >/dev/null 2>&1 &
    pids+=($!)
    if [ "$composited" = yes ]; then
        xcompmgr >/dev/null 2>&1 &
        pids+=($!)
    fi
    sleep 1
    # A first run, with an update check just done: no scheduled check reaches out.
    local config
    config=$(mktemp -d)
    mkdir -p "$config/moxworks"
    printf '[General]\nmoxworks.tovra.lastUpdateCheck=%s\n' "$(date -u +%Y-%m-%dT%H:%M:%SZ)" \
        >"$config/moxworks/tovra.conf"
    XDG_CONFIG_HOME=$config "$tovra" >/dev/null 2>&1 &
    pids+=($!)
    sleep 2.5
    import -window root "$dir/onboarding.png"  # a first run
    xdotool key Tab space  # "Done"
    sleep 0.8
    close_front() { xdotool key alt+F4; sleep 0.5; }  # the window manager closes it

    xdotool mousemove 10 10 click 3
    sleep 0.8
    xdotool mousemove 60 72 click 1  # Open queue... with nothing queued
    sleep 1.5
    import -window root "$dir/queue-empty.png"
    close_front

    printf 'Quarterly numbers\nMeeting at 10:30\nhttps://example.invalid/reports/q3' |
        xclip -selection clipboard -i
    sleep 0.8
    import -window root "$dir/overlay.png"
    # Dragging the first row of the overlay down, caught halfway.
    xdotool mousemove 800 252 mousedown 1
    sleep 0.2
    xdotool mousemove 800 262 mousemove 800 275 mousemove 800 300
    sleep 0.5
    import -window root "$dir/overlay-drag.png"
    xdotool mouseup 1
    sleep 3  # until the overlay hides again

    xdotool mousemove 10 10 click 3
    sleep 0.8
    import -window root "$dir/menu.png"
    xdotool mousemove 60 94
    sleep 0.8
    import -window root "$dir/menu-queue.png"
    xdotool mousemove 60 72 click 1  # Open queue...
    sleep 1.5
    import -window root "$dir/queue-panel.png"
    xdotool key Down space  # the keyboard alone: the second item, pinned
    sleep 0.8
    import -window root "$dir/queue-pinned.png"
    close_front
    sleep 2.5  # until the overlay hides again
    sleep 0.5
    xdotool mousemove 10 10 click 3
    sleep 0.8
    xdotool mousemove 60 140 click 1  # Preferences...
    sleep 1.5
    import -window root "$dir/preferences.png"
    xdotool mousemove 400 400 click --repeat 40 --delay 20 5  # the wheel, down to the bottom
    sleep 0.5
    import -window root "$dir/preferences-bottom.png"
    close_front
    sleep 0.5
    "$tovra" >/dev/null 2>&1 || true  # a second launch brings the control window forward
    timeout 10 xdotool search --sync --onlyvisible --name '^Tovra$' >/dev/null || true
    sleep 1  # painted, and composited
    import -window root "$dir/control-window.png"

    # Rows of the status menu by their height.
    open_from_menu() {
        xdotool mousemove 10 10 click 3
        sleep 0.8
        xdotool mousemove 60 "$1" click 1
        sleep 1.5
    }
    open_from_menu 208  # About Tovra
    import -window root "$dir/about.png"
    close_front
    open_from_menu 164  # Support
    import -window root "$dir/support.png"
    close_front
    open_from_menu 186  # Check for Updates... (the maker's domain does not resolve)
    sleep 1
    import -window root "$dir/updates.png"
    close_front

    # Switched off (which empties the queue), as the menu then shows it.
    open_from_menu 24
    xdotool mousemove 10 10 click 3
    sleep 0.8
    import -window root "$dir/menu-off.png"
    xdotool key Escape

    kill "${pids[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
}

capture_all "$out/plain" no
capture_all "$out/composited" yes
# What a session does not reach by itself: an update waiting; the tray glyph at tray sizes.
"$root/build/tools/tovra_surface_gallery" "$out/drawn"
QT_SCALE_FACTOR=2 "$root/build/tools/tovra_surface_gallery" "$out/drawn-2x"
echo "Screenshots in $out"
