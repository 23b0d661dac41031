#!/usr/bin/env bash
# Runs a program on a fresh virtual X display and saves a PNG of the screen.
#
#   scripts/screenshot.sh [--wm] [--compositor] [--wait SECONDS] [--size WxH] OUT.png PROGRAM [ARGS...]
#
#   --wm          start openbox as the window manager first
#   --compositor  start xcompmgr as the compositing manager (transparency, ARGB windows)
#   --wait        seconds the program runs before the picture is taken (default 2)
#   --size        screen size (default 1280x1024)
#
# The picture is taken with `import -window root` (imagemagick) while the
# program still runs; then the program and the helpers are stopped. Exits
# non-zero when the display cannot start or no picture was written.
set -euo pipefail

wm=0 cm=0 wait=2 size=1280x1024
while [ $# -gt 0 ]; do
  case "$1" in
    --wm) wm=1; shift ;;
    --compositor) cm=1; shift ;;
    --wait) wait="$2"; shift 2 ;;
    --size) size="$2"; shift 2 ;;
    --inside) inside=1; shift ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    *) break ;;
  esac
done
if [ $# -lt 2 ]; then
  echo "usage: $0 [--wm] [--compositor] [--wait SECONDS] [--size WxH] OUT.png PROGRAM [ARGS...]" >&2
  exit 2
fi
out="$1"; shift

if [ "${inside:-0}" -ne 1 ]; then
  for tool in xvfb-run import; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is missing (run scripts/setup.sh)" >&2; exit 1; }
  done
  case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
  args=(--inside --wait "$wait")
  [ "$wm" -eq 1 ] && args+=(--wm)
  [ "$cm" -eq 1 ] && args+=(--compositor)
  rm -f "$out"
  xvfb-run -a -s "-screen 0 ${size}x24" "$0" "${args[@]}" "$out" "$@"
  [ -s "$out" ] || { echo "$0: no picture was taken" >&2; exit 1; }
  echo "$out"
  exit 0
fi

# Inside the virtual display.
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

# Waits (up to 10 s) until the root window carries a property.
wait_root_property() {
  for _ in $(seq 100); do
    xprop -root "$1" 2>/dev/null | grep -qv "not found" && return 0
    sleep 0.1
  done
  echo "$0: $2 did not start" >&2
  return 1
}

if [ "$wm" -eq 1 ]; then
  openbox --sm-disable >/dev/null 2>&1 & pids+=($!)
  wait_root_property _NET_SUPPORTING_WM_CHECK openbox
  # It announces itself before it manages windows: wait until a probe window
  # gets its frame (its parent is no longer the root window).
  xmessage -title wmprobe probe >/dev/null 2>&1 & probe=$!
  for _ in $(seq 100); do
    id=$(xdotool search --name '^wmprobe$' 2>/dev/null | head -1 || true)
    if [ -n "$id" ] && ! xwininfo -children -id "$id" 2>/dev/null | grep -q "Parent window id:.*(the root window)"; then
      break
    fi
    sleep 0.1
  done
  kill "$probe" 2>/dev/null || true
  wait "$probe" 2>/dev/null || true
fi
if [ "$cm" -eq 1 ]; then
  xcompmgr >/dev/null 2>&1 & pids+=($!)
  # No tool reports the compositing selection's owner; give it a moment.
  sleep 1
fi

"$@" & prog=$!
pids+=("$prog")
# The picture is taken after --wait seconds, or at once when the program ends earlier.
for _ in $(seq "$(( wait * 10 ))"); do
  kill -0 "$prog" 2>/dev/null || break
  sleep 0.1
done
import -window root "$out"
