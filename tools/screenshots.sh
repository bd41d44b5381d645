#!/usr/bin/env bash
# Regenerates docs/*.png: the real program under Xvfb, each model window
# opened from the tree and run with its defaults, the frame window captured
# at its default size; the newer windows also with the frame as large as a
# 1600x1000 screen ("-big" pictures), a zoomed chart and the 3-allele window at the
# classroom size of 200 %. A leaf is found by its text through
# the accessibility interface (AT-SPI), so the pictures follow the
# catalogue's tree whatever its order.
# Needs: a build (make build), xvfb, xdotool, imagemagick, dbus, at-spi2-core,
# python3-gi and gir1.2-atspi-2.0.
# Usage: tools/screenshots.sh [program] [picture names...] (default: all).
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in Xvfb xdotool import dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb xdotool imagemagick dbus)"; exit 1; }
done
# The accessibility bus lives on a session bus of its own.
if [ -z "${MORVA_SCREENSHOT_SESSION:-}" ]; then
  MORVA_SCREENSHOT_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi
program=${1:-build/shell/morva99}
shift || true
wanted=("$@")
display=:${SCREENSHOT_DISPLAY:-87}
# Settings of their own: the user's remembered classroom size neither
# changes the pictures nor is changed by them.
settings=$(mktemp -d)
export XDG_CONFIG_HOME=$settings

# Never drive a display that is already someone else's.
if DISPLAY=$display xdpyinfo >/dev/null 2>&1; then
  echo "display $display is in use: set SCREENSHOT_DISPLAY"; exit 1
fi
Xvfb "$display" -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
morva=""
atspi=""
trap 'kill $morva $atspi $xvfb 2>/dev/null || true; rm -rf "$settings"' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
atspi=$!
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" &
morva=$!
frame=""
for _ in $(seq 100); do
  frame=$(xdotool search --name '^MORVA 99 - Main Window$' 2>/dev/null | head -n 1) && [ -n "$frame" ] && break
  sleep 0.1
done
[ -n "$frame" ] || { echo "the frame window did not appear"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$frame")"
defaultX=$X defaultY=$Y defaultW=$WIDTH defaultH=$HEIGHT

# settle: let the window paint before the pointer moves
settle() { sleep 1; }
# node <text>: clicks the choice tree's node with this text, found through
# the accessibility interface at its place on the screen now.
node() {
  local place
  place=$(/usr/bin/python3 - "$1" <<'PY'
import sys, gi
gi.require_version('Atspi', '2.0')
from gi.repository import Atspi

def find(node, text, depth=0):
    if node is None or depth > 40:
        return None
    if node.get_name() == text and node.get_role_name() in ('table cell', 'tree item'):
        return node
    for i in range(node.get_child_count()):
        hit = find(node.get_child_at_index(i), text, depth + 1)
        if hit:
            return hit
    return None

desktop = Atspi.get_desktop(0)
for i in range(desktop.get_child_count()):
    hit = find(desktop.get_child_at_index(i), sys.argv[1])
    if hit:
        r = hit.get_extents(Atspi.CoordType.SCREEN)
        print(r.x + min(r.width // 2, 20), r.y + r.height // 2)
        break
PY
)
  [ -n "$place" ] || { echo "the tree has no node \"$1\""; exit 1; }
  xdotool mousemove $place click 1
  settle
}
wants() { [ ${#wanted[@]} -eq 0 ] || [[ " ${wanted[*]} " == *" $1 "* ]]; }
written=()

# shoot <tree leaf> <file>: Run and Cancel by their keys (Alt+R, Alt+C).
# "Natural selection" (which opens nothing) is clicked first, so that a leaf
# still selected from the last shot opens again.
shoot() {
  wants "$2" || return 0
  node "Natural selection"
  node "$1"
  xdotool key alt+r
  settle
  import -window "$frame" "docs/$2"
  xdotool key alt+c
  settle
  written+=("docs/$2")
}
# island <file> <m> <demes> <generations>: the drift window opened from a
# setup (File > Open) with island migration at rate m among that many demes,
# on its F_ST page.
island() {
  wants "$1" || return 0
  local setup=$settings/island.morva
  "$program" --model drift --set "migration rate=$2" --set "source of migrants=island" \
    --set "number of replicates=$3" --set "number of generations=$4" --output "$setup"
  sed -i 's/"TabSheet1"/"TabSheet5"/' "$setup"
  xdotool key ctrl+o
  settle
  xdotool type --delay 20 "$setup"
  xdotool key Return
  settle
  import -window "$frame" "docs/$1"
  xdotool key alt+c
  settle
  written+=("docs/$1")
}
large() { xdotool windowmove "$frame" 0 0 windowsize "$frame" 1600 1000; settle; }
normal() { xdotool windowsize "$frame" "$defaultW" "$defaultH" windowmove "$frame" "$defaultX" "$defaultY"; settle; }

settle
shoot "2 alleles" window-2-alleles.png
shoot "Mutation" window-mutation.png
shoot "3 alleles" window-3-alleles.png
shoot "2 alleles with mutation" window-selection-mutation.png
shoot "2 alleles with migration" window-selection-migration.png
shoot "Frequency-dependent" window-frequency-dependent.png
shoot "Partial selfing" window-partial-selfing.png
shoot "Sex-linked locus" window-sex-linked.png
shoot "Linkage (2 loci)" window-linkage.png
shoot "Genetic drift" window-drift.png
island window-drift-island.png 0.02 100 500
large
shoot "2 alleles with mutation" window-selection-mutation-big.png
shoot "2 alleles with migration" window-selection-migration-big.png
shoot "Frequency-dependent" window-frequency-dependent-big.png
shoot "Partial selfing" window-partial-selfing-big.png
shoot "Sex-linked locus" window-sex-linked-big.png
shoot "Linkage (2 loci)" window-linkage-big.png
shoot "Genetic drift" window-drift-big.png
island window-drift-island-big.png 0.02 100 500

# zoomed <file>: the 2-allele window run, a rectangle dragged over the middle
# of its first chart.
zoomed() {
  wants "$1" || return 0
  node "Natural selection"
  node "2 alleles"
  xdotool key alt+r
  settle
  eval "$(xdotool getwindowgeometry --shell "$frame")"
  xdotool mousemove $((X + 741)) $((Y + 325)) mousedown 1
  xdotool mousemove $((X + 850)) $((Y + 380))
  xdotool mousemove $((X + 1036)) $((Y + 435)) mouseup 1
  settle
  import -window "$frame" "docs/$1"
  xdotool key Escape alt+c
  settle
  written+=("docs/$1")
}
# classroom <file>: the 3-allele window run, then View > Larger text four
# times (200 %); Normal size before Cancel.
classroom() {
  wants "$1" || return 0
  node "Natural selection"
  node "3 alleles"
  xdotool key alt+r
  settle
  for _ in 1 2 3 4; do xdotool key ctrl+plus; sleep 0.3; done
  settle
  import -window "$frame" "docs/$1"
  xdotool key ctrl+0
  settle
  xdotool key alt+c
  settle
  written+=("docs/$1")
}
zoomed window-2-alleles-zoomed.png
classroom window-3-alleles-200.png
normal
echo "written: ${written[*]}"
