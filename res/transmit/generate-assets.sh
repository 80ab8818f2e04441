#!/bin/sh
# Draws the transfer monitor's pictures and the finish sound. Run from anywhere; needs ImageMagick and
# python3. The outputs are committed, so this runs only when the pictures change.
set -e
here=$(cd "$(dirname "$0")" && pwd)
res=$(dirname "$here")

# State icons, 20 x 20, in the order of the image list: waiting, (unused), (unused), finished, failed,
# paused, uploading, downloading.
icon() { # name, fill colour, glyph as drawing primitives
    convert -size 20x20 xc:none -fill "$2" -stroke '#333333' -draw 'circle 10,10 10,1' \
        -fill white -stroke white -strokewidth 2 -draw "$3" "$here/$1.png"
}
icon state-waiting '#9e9e9e' 'line 10,5 10,10 line 10,10 14,12'
icon state-spare1 '#bdbdbd' 'point 10,10'
icon state-spare2 '#bdbdbd' 'point 10,10'
icon state-finished '#43a047' 'fill none polyline 5,10 9,14 15,6'
icon state-failed '#e53935' 'line 6,6 14,14 line 14,6 6,14'
icon state-paused '#fb8c00' 'rectangle 6,5 8,15 rectangle 12,5 14,15'
icon state-uploading '#1e88e5' 'polygon 10,4 15,10 12,10 12,16 8,16 8,10 5,10'
icon state-downloading '#00897b' 'polygon 10,16 15,10 12,10 12,4 8,4 8,10 5,10'

# Tip level strip: 32 x 32 cells (info, notice, warning, error) on magenta, which is transparent.
convert -size 128x32 xc:'#ff00ff' \
    -fill '#1e88e5' -draw 'circle 16,16 16,3' -fill '#43a047' -draw 'circle 48,16 48,3' \
    -fill '#fb8c00' -draw 'polygon 80,3 93,29 67,29' -fill '#e53935' -draw 'circle 112,16 112,3' \
    -fill white -draw 'rectangle 15,13 17,24' -draw 'rectangle 15,8 17,10' \
    -draw 'rectangle 47,8 49,19' -draw 'rectangle 47,22 49,24' \
    -draw 'rectangle 79,12 81,22' -draw 'rectangle 79,24 81,26' \
    -draw 'rectangle 105,15 119,17' \
    -type TrueColor "BMP3:$res/images/other/TipLevel.bmp"

# Window icon: a cloud over an arrow.
convert -size 32x32 xc:none -fill '#1e88e5' -draw 'circle 12,16 12,8' -draw 'circle 21,13 21,5' \
    -draw 'roundrectangle 4,14 29,24 4,4' -fill white -draw 'polygon 16,10 21,16 18,16 18,21 14,21 14,16 11,16' \
    "$res/images/Main/Nimbra.ico"

# Finish sound: two short rising tones, 16-bit mono at 22050 Hz.
python3 - "$res/sound/File.wav" <<'PY'
import math, struct, sys, wave
rate = 22050
samples = []
for frequency, length in ((880, 0.09), (1320, 0.14)):
    count = int(rate * length)
    for i in range(count):
        fade = min(1.0, i / 200, (count - i) / 400)
        samples.append(int(9000 * fade * math.sin(2 * math.pi * frequency * i / rate)))
with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(rate)
    out.writeframes(struct.pack("<%dh" % len(samples), *samples))
PY
