#!/usr/bin/env bash
# Renders the bundled example to docs/images/*.png:
#  - each drawing style, as our own .ai files drawn by Ghostscript with the
#    procedure set the tests use;
#  - each other file format drawn by the tool its users would open it with:
#    plain Ghostscript for EPS, rsvg-convert for SVG, pdftoppm for PDF, and
#    the PNG as written;
#  - the lines style for a pen plotter on an A5 sheet, as SVG.
set -euo pipefail
build=${1:-build}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p docs/images
scene=examples/still-life.vxm
for style in edges visible lines filled; do
  "$build/vexmark" "$scene" --quiet --yes --style "$style" -o "$scratch/$style.ai"
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r72 -g800x600 -dTextAlphaBits=4 \
    -dGraphicsAlphaBits=4 -sOutputFile="docs/images/still-life-$style.png" \
    tests/eps/data/vexmark_procset.ps "$scratch/$style.ai"
done

# The formats, in the filled style at 400 x 300.
"$build/vexmark" "$scene" --quiet --yes --style filled --size 400x300 \
  -o "$scratch/f.eps" -o "$scratch/f.svg" -o "$scratch/f.pdf" -o "$scratch/f.png"
gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=png16m -r72 -dTextAlphaBits=4 \
  -dGraphicsAlphaBits=4 -sOutputFile=docs/images/format-eps.png "$scratch/f.eps"
rsvg-convert --dpi-x 72 --dpi-y 72 -b white -o docs/images/format-svg.png "$scratch/f.svg"
pdftoppm -png -r 72 -singlefile "$scratch/f.pdf" docs/images/format-pdf
cp "$scratch/f.png" docs/images/format-png.png

# For a plotter: one stroke per piece of line, on a sheet 148 x 105 mm.
"$build/vexmark" "$scene" --quiet --yes --style lines --plotter --paper 148x105mm --margin 8 \
  -o "$scratch/plot.svg"
rsvg-convert --dpi-x 72 --dpi-y 72 -b white -o docs/images/plotter-svg.png "$scratch/plot.svg"
ls -1 docs/images/*.png
