#!/bin/sh
# Draws the upload file list's pictures: the folder marker and the delete button's normal, hot and
# pressed faces, 16 x 16. Needs ImageMagick. The outputs are committed, so this runs only when the
# pictures change.
set -e
here=$(cd "$(dirname "$0")" && pwd)

convert -size 16x16 xc:none -fill '#f9a825' -stroke '#8d6e00' \
    -draw 'polygon 1,4 6,4 7,6 14,6 14,13 1,13' "$here/folder.png"
face() { # name, disc colour
    convert -size 16x16 xc:none -fill "$2" -stroke '#616161' -draw 'circle 8,8 8,1' \
        -stroke white -strokewidth 2 -draw 'line 5,5 11,11 line 11,5 5,11' "$here/$1.png"
}
face delete '#bdbdbd'
face delete-hot '#e57373'
face delete-down '#c62828'
