#!/usr/bin/env bash
# Takes the screenshots of this folder: nimbra under a virtual X display (xvfb-run), signed in to a
# nimbra-diskd with a fresh demo account whose current catalog is "Photos" (so the picture thumbnail
# shows), captured with ImageMagick's `import`; the upload is driven with xdotool like a user would (both
# installed by `scripts/setup-deps.sh docs`). The transfer list is taken mid-transfer during a scripted
# round trip whose uploads the service slows down with its test hooks. The clicks assume the layout of
# a 1200x800 screen without a window manager: the main window at the top left, dialogs centred.
# Usage: docs/screenshots/capture.sh [build dir, default build/default]
set -euo pipefail
cd "$(dirname "$0")/../.."
bin="${1:-build/default}/bin"
out=docs/screenshots
data="$(mktemp -d)"
"$bin/nimbra-diskd" --data "$data" --listen 127.0.0.1:0 --demo --test-hooks >"$data/service.out" &
service=$!
trap 'kill $service; wait $service || true; rm -rf "$data"' EXIT
for _ in $(seq 50); do grep -q listening "$data/service.out" && break; sleep 0.1; done
url="$(grep -o 'http://[0-9.:]*' "$data/service.out")"
token="$(curl -s -d account=demo -d password=demo "$url/lumenoApp/login" | sed -n 's:.*<signOn>\(.*\)</signOn>.*:\1:p')"
photos="$(curl -s -H "Authorization: Bearer $token" "$url/lumenoApp/catalog" |
  grep -o 'catalogID="[0-9]*" parentcatalogID="root" catalogName="Photos"' | grep -o '[0-9]\+' | head -1)"
curl -s -H "Authorization: Bearer $token" -d "id=$photos" "$url/lumenoApp/catalog/current" >/dev/null

# One shot of the main window per language; nimbra runs until the capture is taken.
shoot() {
  local lang="$1" file="$2"
  xvfb-run -a -s "-screen 0 1000x660x24" bash -c '
    "$0" --service "$1" --lang "$2" & pid=$!
    sleep 4
    import -window root -crop 960x620+0+0 "$3"
    kill "$pid"; wait "$pid" || true
  ' "$bin/nimbra" "$url" "$lang" "$out/$file"
  echo "capture: $out/$file"
}

shoot zh_CN main-window-zh_CN.png
shoot en main-window-en.png

# The upload dialog with chosen files, then the page after the upload: Upload, "browse" for files,
# type their names into the file dialog, OK, then open the catalog they went to.
files="$data/files"
mkdir -p "$files"
convert -size 800x600 gradient:'#1e5799'-'#f3c57a' -fill '#ffd34d' -draw 'circle 560,380 640,380' \
  -fill '#2d4a22' -draw 'rectangle 0,470 800,600' "$files/海边.jpg"
printf '第一季度报告\n' >"$files/报告.txt"
head -c 300000 /dev/urandom >"$files/data.bin"
xvfb-run -a -s "-screen 0 1200x800x24" bash -c '
  "$0" --service "$1" --lang zh_CN & pid=$!
  sleep 4
  xdotool mousemove 50 41 click 1; sleep 2                 # Upload
  xdotool mousemove 755 226 click 1; sleep 2               # browse for files
  xdotool type --delay 20 "$2/"; xdotool key Return; sleep 1
  xdotool type --delay 30 "\"data.bin\" \"报告.txt\" \"海边.jpg\""; xdotool key Return; sleep 2
  import -window root "$3/upload.png"
  xdotool mousemove 660 603 click 1; sleep 3               # OK: the files go up
  xdotool mousemove 108 90 click 1; sleep 2                # the catalog they went to
  import -window root "$3/uploaded.png"
  kill "$pid"; wait "$pid" || true
' "$bin/nimbra" "$url" "$files" "$data"
convert "$data/upload.png" -crop 458x500+371+150 +repage "$out/upload-dialog.png"
convert "$data/uploaded.png" -crop 960x650+0+0 +repage "$out/main-window-after-upload.png"
echo "capture: $out/upload-dialog.png $out/main-window-after-upload.png"

# The transfer list while the scripted round trip's uploads crawl (each upload request waits 6 s).
curl -s -d pathPrefix=/lumenoApp/share/pc_uploadFileRequest/ -d hangMs=6000 -d count=-1 "$url/__test/fault"
xvfb-run -a -s "-screen 0 1100x760x24" bash -c '
  "$0" --script --service "$1" >/dev/null & pid=$!
  for _ in $(seq 40); do
    sleep 0.5
    import -window root "$2"
    [ "$(stat -c %s "$2")" -gt 5000 ] && break  # a window is up (an empty screen compresses to nothing)
  done
  sleep 3  # the first upload requests are through: progress and speed show
  import -window root "$2"
  curl -s -d clear=1 "$1/__test/fault"
  wait "$pid" || true
' "$bin/nimbra" "$url" "$data/transfers.png"
convert "$data/transfers.png" -trim +repage "$out/transfer-list.png"
echo "capture: $out/transfer-list.png"
