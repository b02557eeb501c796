#!/usr/bin/env bash
# README's by-hand recipe for the printer application, run as written from
# the repository's root, with its folder (/tmp/tpa) and port (8631) swapped
# for a private folder and a free port: the label reaches the device and its
# picture is made.
# Usage: readme_recipe.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
work=$(mktemp -d)
# A recipe that fails half-way leaves its server: it is found by its folder.
trap 'pkill -f "file-device-folder=$work/out"; rm -rf "$work"' EXIT
port=$((20000 + RANDOM % 20000))

# The first sh block after "By hand, with its state in a private folder".
recipe=$(awk '/with its state in a private folder/ {found = 1}
              found && /^```sh$/ {inside = 1; next}
              inside && /^```$/ {exit}
              inside' "$src/README.md")
[ -n "$recipe" ] || { echo "FAIL: no recipe found in README.md"; exit 1; }
recipe=${recipe//\/tmp\/tpa/$work}
recipe=${recipe//8631/$port}
recipe=${recipe//build\//$build\/}

cd "$src"
bash -e <<<"$recipe" >"$work.out" 2>&1 || { cat "$work.out"; echo "FAIL: the recipe"; exit 1; }
[ -s "$work/out/label.prn" ] || { cat "$work.out" "$work/server.log"; echo "FAIL: nothing printed"; exit 1; }
[ -s "$work/out/label-1.png" ] || { cat "$work.out"; echo "FAIL: no picture"; exit 1; }
rm -f "$work.out"
echo PASS
