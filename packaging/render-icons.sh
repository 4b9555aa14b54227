#!/usr/bin/env bash
# Renders the icon's PNG sizes from icons/org.vantrel.Vantrel.svg (run after changing the SVG and commit
# the result). With --check, renders into a temporary folder and fails when a committed PNG differs from
# the SVG by a single pixel.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/icons"
SIZES=(16 32 48 64 128 256)
out=.
if [ "${1:-}" = "--check" ]; then
    out=$(mktemp -d)
    trap 'rm -rf "$out"' EXIT
fi
for size in "${SIZES[@]}"; do
    rsvg-convert --width "$size" --height "$size" org.vantrel.Vantrel.svg >"$out/org.vantrel.Vantrel-$size.png"
done
[ "$out" = . ] && exit 0
status=0
for size in "${SIZES[@]}"; do
    name=org.vantrel.Vantrel-$size.png
    differing=$(compare -metric AE "$name" "$out/$name" null: 2>&1 || true)
    if [ "$differing" != 0 ]; then
        echo "icons/$name differs from the SVG ($differing pixels): run packaging/render-icons.sh" >&2
        status=1
    fi
done
exit "$status"
