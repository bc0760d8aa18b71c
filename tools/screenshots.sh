#!/bin/sh
# Pictures of every window for a look by eye: the main window (metric; imperial and
# milliseconds; a ten-segment file with a long name), the three dialogs and the printed page.
# Usage: tools/screenshots.sh [BUILD_DIR [OUT_DIR]] after building main_window_tests,
# dialogs_gui_tests, instrument_window_tests, vexlan-cli and kedgen. Needs pdftoppm.
set -eu
build=$(cd "${1:-build}" && pwd)
out=$(mkdir -p "${2:-$build/screenshots}" && cd "${2:-$build/screenshots}" && pwd)
export QT_QPA_PLATFORM=offscreen VEXLAN_SCREENSHOT_DIR="$out"

"$build/bin/main_window_tests" --gtest_filter='*OpenShows*:*TenLongSegments*' >/dev/null
cp "$build"/main-window*.png "$out"/
"$build/bin/dialogs_gui_tests" --gtest_filter='DialogPictures.*' >/dev/null
if [ -x "$build/bin/instrument_window_tests" ]; then
    "$build/bin/instrument_window_tests" >/dev/null || true
fi

# The printed page of a ten-segment file with long material names, in feet.
ked="$out/riverside-survey-hydrant-14-to-valve-chamber-b.ked"
set --
for material in asbestos-cement ductile-iron asbestos-cement ductile-iron asbestos-cement \
                ductile-iron asbestos-cement ductile-iron asbestos-cement ductile-iron; do
    set -- "$@" --segment "$material,90,150"
done
"$build/bin/kedgen" -o "$ked" "$@" --leak 600 --title "Riverside" --notch 50,60 --low-cutoff 20
for units in metric imperial; do
    "$build/bin/vexlan-cli" export "$ked" --units "$units" --pdf "$out/page-$units.pdf"
    pdftoppm -png -r 110 -singlefile "$out/page-$units.pdf" "$out/page-$units"
done
echo "$out"
