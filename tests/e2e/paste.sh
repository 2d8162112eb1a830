#!/usr/bin/env bash
# Pastes with the keyboard on the program's own X server: a PNG put on the clipboard with
# xclip, Ctrl+V, and the front cover chosen in the dialog that asks where; the layout saved
# writes the picture beside itself under its content's name, and reopened shows it. A second
# picture pasted and saved gets a file of its own and leaves the first. Skips (status 77)
# without xclip.
# usage: paste.sh PATH/TO/vellacour
set -euo pipefail
program=$1
command -v xclip >/dev/null || { echo "xclip is not installed" >&2; exit 77; }
source "$(dirname "$0")/x11.sh"
start_x_server

# 8 x 8 PNG pictures of one colour each: magenta and cyan.
magenta="$work/magenta.png"
cyan="$work/cyan.png"
base64 -d >"$magenta" <<<'iVBORw0KGgoAAAANSUhEUgAAAAgAAAAICAIAAABLbSncAAAAEUlEQVR4nGP4z/AfK2IYWhIA0ad/gXfwoGMAAAAASUVORK5CYII='
base64 -d >"$cyan" <<<'iVBORw0KGgoAAAANSUhEUgAAAAgAAAAICAIAAABLbSncAAAAEElEQVR4nGNg+P8fOxpaEgCR53+BiumRQwAAAABJRU5ErkJggg=='
layout="$work/album.vco"
# The name a pasted picture gets beside the layout: album.<first 16 hex digits of SHA-256>.png
picture_name() { echo "album.$(sha256sum "$1" | cut -c1-16).png"; }

(cd "$work" && HOME="$work" XDG_CONFIG_HOME="$work/config" exec "$program") \
    >>"$work/program.log" 2>&1 &
pids+=($!)
main=$(find_window "Vellacour") || fail "main window did not appear"

# Offers file as PNG data on the clipboard, as an image editor does, until replaced.
copy_png() {
    xclip -quiet -selection clipboard -t image/png -i "$1" >/dev/null 2>&1 &
    pids+=($!)
    sleep 0.5
}
# Ctrl+V, then Return in the dialog that asks where: the front cover, chosen at first.
paste_into_cover() {
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    xdotool key ctrl+v
    local dialog
    dialog=$(find_window "Bild einfügen" "$main") || fail "no dialog asked where to paste"
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    sleep 0.5
    xdotool key Return
    sleep 1
}
# Whether the main window shows three pixels of the colour (hex, as "ff00ff") in a row.
shows_colour() {
    import -depth 8 -window "$main" "$work/shot.ppm" || fail "no screenshot"
    od -An -v -tx1 "$work/shot.ppm" | tr -d ' \n' | grep -q "$1$1$1"
}

copy_png "$magenta"
paste_into_cover
shows_colour ff00ff || fail "the pasted picture is not shown"
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key ctrl+s
answer_file_dialog "Speichern unter" "$layout"
wait_for_name "$layout - Vellacour"
first="$work/$(picture_name "$magenta")"
cmp -s "$magenta" "$first" || fail "the pasted picture was not saved as $first: $(ls "$work")"
expected=$(printf '[Vellacour]\ncover=%s\nback=\nmade=cover\n' "$(basename "$first")")
[[ "$(cat "$layout")" == "$expected" ]] || fail "layout file holds: $(cat "$layout")"

# Ctrl+N empties the window; Ctrl+O opens the layout, which shows the saved picture.
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key ctrl+n
sleep 1
shows_colour ff00ff && fail "the new layout still shows the picture"
xdotool key ctrl+o
answer_file_dialog "Öffnen" "$layout"
wait_for_name "$layout - Vellacour"
sleep 1
shows_colour ff00ff || fail "the reopened layout does not show its picture"

# A second picture pasted and saved (Ctrl+S, no dialog) gets its own file.
copy_png "$cyan"
paste_into_cover
shows_colour 00ffff || fail "the second pasted picture is not shown"
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key ctrl+s
second="$work/$(picture_name "$cyan")"
for _ in $(seq 1 50); do [[ -f "$second" ]] && break; sleep 0.1; done
cmp -s "$cyan" "$second" || fail "the second picture was not saved as $second: $(ls "$work")"
cmp -s "$magenta" "$first" || fail "the first picture's file changed"
grep -qx "cover=$(basename "$second")" "$layout" || fail "layout file holds: $(cat "$layout")"
echo "paste: ok"
