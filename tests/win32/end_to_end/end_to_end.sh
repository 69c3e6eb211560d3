#!/usr/bin/env bash
# Usage: end_to_end.sh KOLVEX_EXE KOLVEX_EXPORT_EXE PROBE_EXE PICTURE.png
# kolvex.exe under Wine as a user drives it, with the keyboard on the X display this runs on
# (scripts/on-own-display.sh gives it one, tests/win32/on_wine_desktop.sh Wine's desktop in it):
# the dates typed into the two boxes, "Browse Database" pressed and the Open dialog answered with
# the sample table's path, the list filled, then Data > Export to Excel. The clipboard must then
# hold exactly what kolvex-export.exe writes for the same table and dates, with the "HTML Format"
# flavour beside it, and the export must end in the message that no spreadsheet program was found
# (Wine has neither Excel nor LibreOffice). PICTURE.png gets a picture of the loaded window. Every
# step waits for what it needs (a window, a row count, a message), through kolvex-probe.exe, a
# Windows program that looks at the window from outside.
set -euo pipefail
kolvex=$1 export_exe=$2 probe=$3 picture=$4
root=$(cd "$(dirname "$0")/../../.." && pwd)
wine_run=$root/scripts/wine-run.sh

for tool in xdotool python3; do
  if ! command -v "$tool" >/dev/null; then
    echo "end_to_end.sh: $tool is not installed; the window's end-to-end test cannot run" >&2
    exit 1
  fi
done
if [ -z "${DISPLAY:-}" ]; then
  echo "end_to_end.sh: no X display; run it through scripts/on-own-display.sh" >&2
  exit 1
fi

work=$(mktemp -d)
kolvex_pid=
finish() {
  [ -n "$kolvex_pid" ] && kill "$kolvex_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT
# Wine shows the root of the host's file system as drive Z:.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
probe() { "$wine_run" "$probe" "$@"; }
keys() { xdotool key --delay 60 "$@"; }
typed() { xdotool type --delay 60 "$1"; }

sample=$root/samples/TRAN.dbf
echo "== kolvex-export.exe on the sample, 2081/01/01 to 2081/01/07"
"$wine_run" "$export_exe" "$(windows_path "$sample")" 2081/01/01 2081/01/07 \
  --output "$(windows_path "$work/expected.tsv")"
# The header and every row but the last end with CR LF: as many line ends as rows.
rows=$(grep -c $'\r$' "$work/expected.tsv")
echo "   $rows rows expected"

echo "== kolvex.exe starts in the samples folder"
(cd "$root/samples" && exec "$wine_run" "$kolvex") &
kolvex_pid=$!
probe window Kolvex
today=$(probe today | tr -d '\r')
for box in 104 105; do
  shown=$(probe text "$box" | tr -d '\r')
  if [ "$shown" != "$today" ]; then
    echo "end_to_end.sh: date box $box shows '$shown', not today's BS date $today" >&2
    exit 1
  fi
done
echo "   both date boxes show today's BS date, $today"

echo "== dates typed, Browse Database, the sample chosen in the Open dialog"
# Wine gives the new window the keyboard focus of the display.
for _ in $(seq 600); do
  [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = Kolvex ] && break
  sleep 0.1
done
if [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" != Kolvex ]; then
  echo "end_to_end.sh: the Kolvex window never got the keyboard" >&2
  exit 1
fi
# The focus starts in the list; Tab goes to the path box, the button, then the first date box.
keys Tab Tab Tab
typed 20810101
keys Tab
typed 20810107
keys shift+Tab shift+Tab space
probe window Open
typed "$(windows_path "$sample")"
keys Return
probe rows "$rows"
echo "   the list holds $rows rows"
for box in 104 105; do probe text "$box"; done | tr -d '\r' | paste -sd ' ' | grep -qx '2081/01/01 2081/01/07' \
  || { echo "end_to_end.sh: the date boxes do not hold the dates typed" >&2; exit 1; }
# The status line (150) names the table read, the records listed and the days.
status=$(probe text 150 | tr -d '\r')
expected_status="$(windows_path "$sample") — $(python3 -c "print(f'{$rows:,}')") records, 2081/01/01 to 2081/01/07"
if [ "$status" != "$expected_status" ]; then
  echo "end_to_end.sh: the status line says '$status', not '$expected_status'" >&2
  exit 1
fi
echo "   $status"

echo "== a picture of the loaded window"
probe screenshot "$(windows_path "$work/window.bmp")"
python3 "$(dirname "$0")/../bmp_to_png.py" "$work/window.bmp" "$picture"
echo "   $picture"

echo "== Data > Export to Excel"
keys alt+d Return
message=$(probe message | tr -d '\r')
expected_message="429: The spreadsheet program cannot be started: neither Microsoft Excel (excel.application) nor LibreOffice Calc (soffice.exe or scalc.exe in the registry's App Paths) is installed. Install one of them; the list is on the clipboard to paste anywhere."
if [ "$message" != "$expected_message" ]; then
  echo "end_to_end.sh: the export ended in '$message'" >&2
  exit 1
fi
echo "   $message"
probe press-ok
probe clipboard "$(windows_path "$work/clipboard.tsv")"
if ! cmp "$work/expected.tsv" "$work/clipboard.tsv"; then
  echo "end_to_end.sh: the clipboard does not hold what kolvex-export writes" >&2
  exit 1
fi
echo "   the clipboard holds exactly kolvex-export's text ($(wc -c <"$work/clipboard.tsv") bytes)"
# Beside it, the typed table Excel takes: "HTML Format", its offsets first, then the page.
probe format "HTML Format" "$(windows_path "$work/clipboard.html")"
if [ "$(head -c 11 "$work/clipboard.html")" != Version:0.9 ] ||
   ! grep -aq '<!--StartFragment-->' "$work/clipboard.html" ||
   [ "$(grep -ao '<tr' "$work/clipboard.html" | wc -l)" -ne $((rows + 1)) ]; then
  echo "end_to_end.sh: the clipboard's HTML Format does not hold the table" >&2
  exit 1
fi
echo "   and beside it the HTML Format Excel takes, a table of $((rows + 1)) rows"
