#!/usr/bin/env bash
# Window placement with a real window manager: the program is started three
# times on a virtual screen with openbox, the main window, the record card and
# the form view are opened and closed, and what each close writes to the
# settings file must be what the start before read: windows neither creep nor
# grow from one start to the next.
#
# Usage: placement.sh PROGRAM_FOLDER
set -euo pipefail
built="$1"
for tool in Xvfb openbox xdotool wmctrl; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 0; }
done

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$built"/varnel "$built"/Varnel.vdf "$built"/NewFile.vdf "$built"/ListFile.txt "$work"/

# Xvfb picks a free display itself and says which.
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=:$(head -1 "$work/display") QT_QPA_PLATFORM=xcb
for _ in $(seq 600); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
wm=$!
# Ready once it has announced the hints that xdotool and wmctrl use; on a
# loaded machine that can take a while, so wait up to a minute and say so
# plainly if it never comes. An openbox that gave up early (the display not
# yet taking clients) is started again.
ready=
for _ in $(seq 600); do
  if xprop -root _NET_SUPPORTED 2>/dev/null | grep -q '_NET_ACTIVE_WINDOW' &&
     xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    ready=1; break
  fi
  if ! kill -0 "$wm" 2>/dev/null; then
    openbox >/dev/null 2>&1 &
    wm=$!
  fi
  sleep 0.1
done
[ -n "$ready" ] || { echo "FAIL: openbox did not become ready on $DISPLAY"; exit 1; }
sleep 0.5

printf '[Options]\r\nShow Form=0\r\n[MainForm]\r\nStatus=1\r\nTop=100\r\nLeft=120\r\nWidth=1106\r\nHeight=434\r\n[FormView]\r\nStatus=1\r\nTop=300\r\nLeft=400\r\nWidth=640\r\nHeight=420\r\n[RecCard]\r\nTop=200\r\nLeft=300\r\n' \
  > "$work/VarnIni.ini"

wait_window() { # title
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { sleep 0.5; echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window '$1'" >&2; return 1
}
gone() { # title
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "window '$1' did not close" >&2; return 1
}
placement() { tr -d '\r' < "$work/VarnIni.ini" | awk '/^\[/{s=$0} /^(Top|Left|Width|Height)=/{print s $0}'; }

before=$(placement)
for run in 1 2 3; do
  "$work/varnel" >/dev/null 2>&1 &
  pid=$!
  main=$(wait_window "Varnel 3")
  # A double click on a row opens the record card.
  xdotool windowactivate --sync "$main" mousemove --window "$main" 200 80 click --repeat 2 --delay 80 1
  wait_window "Record Card" >/dev/null
  wmctrl -c "Record Card"; gone "Record Card"
  # Reports (third on the menu bar) > Record Form.
  xdotool windowactivate --sync "$main" mousemove --window "$main" 109 8 click 1
  sleep 0.5
  xdotool key r
  wait_window "Varnel 3 Form View" >/dev/null
  wmctrl -c "Varnel 3 Form View"; gone "Varnel 3 Form View"
  wmctrl -c "Varnel 3"
  wait "$pid"
  after=$(placement)
  if [ "$after" != "$before" ]; then
    echo "FAIL: start $run moved or resized a window"
    diff <(echo "$before") <(echo "$after") || true
    exit 1
  fi
done
echo "PASS: placement kept over 3 starts"
echo "$before"
