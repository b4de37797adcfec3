#!/bin/sh
# Takes screenshots of the bar (collapsed and with the notes open), the info dialog and the
# login dialog under a private Xvfb display, for README.md. Needs xvfb, xdotool and
# ImageMagick's import. Usage: resources/screenshots.sh [build dir] [output dir]
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
out=${2:-$here/docs}
mkdir -p "$out"

work=$(mktemp -d)
displayfile=$work/display
cleanup() {
    [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# A fresh copy of the program, so that it starts without an address book and creates one
# beside itself.
cp "$build/quaylink" "$work/"

Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do
    [ -s "$displayfile" ] && break
    sleep 0.1
done
DISPLAY=:$(cat "$displayfile")
export DISPLAY
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

# Waits up to 10 seconds for a visible window whose title matches, and prints its id.
findwindow() {
    xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1 &
    finder=$!
    (sleep 10 && kill "$finder" 2>/dev/null) &
    wait "$finder" || true
}

# Clicks at a point given in the window's client pixels.
clickat() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 1
}

"$work/quaylink" &
app=$!

# The first start finds no address book and says that it makes one.
notice=$(findwindow '^Quaylink$')
[ -n "$notice" ] || { echo "no first-start notice" >&2; exit 1; }
# Without a window manager nothing hands out the focus: give it to the notice, then press
# its OK with the real keyboard.
xdotool windowfocus --sync "$notice" 2>/dev/null || true
xdotool key Return
sleep 1

bar=$(findwindow '^Quaylink -- ')
[ -n "$bar" ] || { echo "the bar did not come up" >&2; exit 1; }
import -window "$bar" "$out/frmquaylink.png"

# "?" (327, 66.7, 28 x 16 pixels) opens the info dialog.
clickat "$bar" 341 74
info=$(findwindow '^Info$')
[ -n "$info" ] || { echo "the info dialog did not come up" >&2; exit 1; }
import -window "$info" "$out/frminfo.png"
# OK (256, 491, 65 x 25) closes it.
clickat "$info" 288 503

# "Notes" (274, 66.7, 52 x 16) shows the notes area.
clickat "$bar" 300 74
import -window "$bar" "$out/frmquaylink-notes.png"
clickat "$bar" 300 74

# "Go" (1.3, 66.7, 53.3 x 16) with an empty address asks for a login.
clickat "$bar" 27 74
login=$(findwindow '^Input$')
if [ -n "$login" ]; then
    import -window "$login" "$out/frminput.png"
else
    echo "no login dialog: its screenshot is left out" >&2
fi
echo "screenshots in $out"
