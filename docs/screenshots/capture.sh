#!/usr/bin/env bash
# Takes the screenshots of this folder: nimbra under a virtual X display (xvfb-run), signed in to a
# nimbra-diskd with a fresh demo account whose current catalog is "Photos" (so the picture thumbnail
# shows), captured with ImageMagick's `import` (installed by `scripts/setup-deps.sh bench`).
# Usage: docs/screenshots/capture.sh [build dir, default build/default]
set -euo pipefail
cd "$(dirname "$0")/../.."
bin="${1:-build/default}/bin"
out=docs/screenshots
data="$(mktemp -d)"
"$bin/nimbra-diskd" --data "$data" --listen 127.0.0.1:0 --demo >"$data/service.out" &
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
