#!/usr/bin/env bash
# Makes the pictures of the manuals (help/images/) from the real windows: builds the screenshot program
# tests/help/help_screenshots, creates the demo database afresh and runs the program under Xvfb once for
# every language that has a manual, then squeezes the PNGs with optipng when it is installed
# (apt-get install optipng). Commit the pictures with the manual text that shows them.
#     bash scripts/make-help-screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j"$(nproc)" --target help_screenshots
db=$(bash scripts/make-demo-db.sh "$build/demo/shop.db")

# The same picture size on every machine: a fixed screen at 96 dots per inch.
for manual in help/*.html; do
    language=$(basename "$manual" .html)
    rm -f help/images/"$language"/*.png
    xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$build/tests/help_screenshots" "$db" "$language" help/images
done

if command -v optipng >/dev/null; then
    optipng -quiet -o5 -strip all help/images/*/*.png
else
    echo "optipng is not installed: the pictures keep Qt's PNG compression" >&2
fi
du -ch help/images/*/*.png | tail -1
