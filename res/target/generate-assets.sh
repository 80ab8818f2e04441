#!/bin/sh
# Draws the target catalog tree's four 16 x 16 icons, in the order of its image list: folder, selected
# folder, shared folder, selected shared folder. A shared folder carries a blue disc; a selected one is
# open (its front flap lower). Needs ImageMagick. The outputs are committed, so this runs only when the
# pictures change.
set -e
here=$(cd "$(dirname "$0")" && pwd)

closed='polygon 1,3 6,3 7,5 14,5 14,13 1,13'
open='polygon 1,3 6,3 7,5 13,5 13,7 15,7 12,13 1,13'
disc='circle 11,11 11,8'

convert -size 16x16 xc:none -fill '#f9a825' -stroke '#8d6e00' -draw "$closed" -depth 8 "$here/folder.png"
convert -size 16x16 xc:none -fill '#fdd835' -stroke '#8d6e00' -draw "$open" -depth 8 "$here/folder-selected.png"
convert -size 16x16 xc:none -fill '#f9a825' -stroke '#8d6e00' -draw "$closed" \
    -fill '#1e88e5' -stroke white -draw "$disc" -depth 8 "$here/folder-shared.png"
convert -size 16x16 xc:none -fill '#fdd835' -stroke '#8d6e00' -draw "$open" \
    -fill '#1e88e5' -stroke white -draw "$disc" -depth 8 "$here/folder-shared-selected.png"
