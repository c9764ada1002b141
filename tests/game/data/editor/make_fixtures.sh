#!/usr/bin/env bash
# Re-makes the drawing-program fixtures of this folder: opens written.svg (a
# 400 x 300 picture with four polygons, as the game writes it) in Inkscape,
# applies one typical edit per output and saves the result. Inkscape is
# needed only here, never by the tests. Usage: make_fixtures.sh
set -euo pipefail
cd "$(dirname "$0")"
export HOME=$(mktemp -d)   # no user preferences change what gets written
trap 'rm -rf "$HOME" with_rect.tmp.svg shapes.tmp.svg' EXIT

edit() {   # edit <input> <output> <actions> [extra export option]
  inkscape "$1" --actions="$3" --export-type=svg ${4:-} --export-filename="$2" >/dev/null 2>&1
}

# The written file saved unchanged, and with the layer group dissolved.
edit written.svg inkscape_saved.svg ""
edit written.svg inkscape_ungrouped.svg "select-by-id:Ebene_x0020_1;selection-ungroup"
# One polygon moved by 150, -100 px (Inkscape's px: 96 per inch).
edit written.svg inkscape_moved.svg "select-by-id:path13;transform-translate:150,-100"
# One polygon rotated by 30 degrees about the centre of its box.
edit written.svg inkscape_rotated.svg "select-by-id:path11;transform-rotate:30"
# Two polygons grouped, the group moved by 100, -50 px and turned by 90.
edit written.svg inkscape_grouped.svg \
  "select-by-id:path15,path17;selection-group;transform-translate:100,-50;transform-rotate:90"
# Everything, the picture included, scaled by 2 and moved.
edit written.svg inkscape_all_scaled.svg "select-all:all;transform-scale:2;transform-translate:200,100"
# One polygon turned by -45 degrees, saved as plain SVG.
edit written.svg inkscape_plain.svg "select-by-id:path13;transform-rotate:-45" --export-plain-svg
# A rectangle added, then converted to a path.
sed 's|^ </g>$|  <rect class="fil0 str4" id="rect1" x="250" y="40" width="100" height="60"/>\n </g>|' \
  written.svg >with_rect.tmp.svg
edit with_rect.tmp.svg inkscape_rect_to_path.svg "select-by-id:rect1;object-to-path"
# Two polygons as <polygon> and <polyline> elements, moved by 96, 48 px.
sed -e 's|<path class="fil0 str1" d="M220 30 380 40 300 150z"/>|<polygon class="fil0 str1" id="poly1" points="220,30 380,40 300,150"/>|' \
    -e 's|<path class="fil0 str2" d="M40 180 160 170 190 260 100 290 30 250z"/>|<polyline class="fil0 str2" id="line1" points="40,180 160,170 190,260 100,290 30,250 40,180"/>|' \
  written.svg >shapes.tmp.svg
edit shapes.tmp.svg inkscape_shapes_moved.svg "select-by-id:poly1,line1;transform-translate:96,48"
