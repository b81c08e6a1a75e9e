#!/usr/bin/env bash
# Renders the icon set from its drawings in app/icons: the PNGs for the hicolor theme and the
# program's resources, the ICO of the Windows executable, and the web app's icons (app/web). 16, 24 and 32 pixels come from
# drawings made pixel by pixel for that size (org.pelmora.Pelmora-<size>.svg), where the
# scalable drawing would blur; the larger sizes from org.pelmora.Pelmora.svg.
# Needs librsvg2-bin (rsvg-convert) and imagemagick (convert).
set -euo pipefail
cd "$(dirname "$0")/../app/icons"

read -ra sizes < <(grep -v '^#' sizes)
pngs=()
for size in "${sizes[@]}"; do
    drawing=org.pelmora.Pelmora-$size.svg
    [ -e "$drawing" ] || drawing=org.pelmora.Pelmora.svg
    mkdir -p "${size}x${size}"
    rsvg-convert --width "$size" --height "$size" "$drawing" \
        --output "${size}x${size}/org.pelmora.Pelmora.png"
    pngs+=("${size}x${size}/org.pelmora.Pelmora.png")
done
convert "${pngs[@]}" pelmora.ico

# The web app manifest's two sizes, which Chrome wants for installing (192 and 512 pixels).
for size in 192 512; do
    rsvg-convert --width "$size" --height "$size" org.pelmora.Pelmora.svg --output "../web/icon-$size.png"
done
