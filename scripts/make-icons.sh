#!/bin/sh
# Renders the application icon src/appicon/dorvane.svg into the PNG sizes that the program's resource
# and the desktop's icon theme use (src/appicon/dorvane-SIZE.png). The PNGs are kept in the repository,
# so the build needs no SVG renderer; run this after changing the SVG (needs rsvg-convert from
# librsvg2-bin).
set -eu
dir=$(dirname "$0")/../src/appicon
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$dir/dorvane.svg" -o "$dir/dorvane-$size.png"
done
