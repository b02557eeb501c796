#!/usr/bin/env bash
# The documents' by-hand recipes for the printer application, run as written
# from the repository's root, each with its folder (/tmp/tpa) and port (8631)
# swapped for a private folder and a free port: the label reaches the device
# and its picture is made. First, what a recipe meets without a server: every
# subcommand says so in one line and exits non-zero, and none starts a server.
# Usage: docs_recipes.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
app=$build/thermal-printer-app
works=()
# A recipe that fails half-way leaves its server: it is stopped through its
# own control socket.
cleanup() {
    for work in "${works[@]}"; do
        SNAP_COMMON=$work "$app" shutdown >/dev/null 2>&1 || true
        rm -rf "$work" "$work.out"
    done
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Without a server.
work=$(mktemp -d)
works+=("$work")
for subcommand in printers status add calibrate jobs autoadd shutdown; do
    if out=$(SNAP_COMMON=$work "$app" "$subcommand" -d label -m tspl_203 -v socket://127.0.0.1 2>&1); then
        fail "'$subcommand' without a server exited 0: $out"
    fi
    [ "$(wc -l <<<"$out")" -eq 1 ] || fail "'$subcommand' without a server said: $out"
    grep -q "No server answers on $work/thermal-printer-app.sock" <<<"$out" ||
        fail "'$subcommand' without a server said: $out"
    [ ! -e "$work/thermal-printer-app.sock" ] || fail "'$subcommand' started a server"
done

# FILE and the text of the line before its recipe's sh block.
recipes=(
    "README.md|with its state in a private folder"
    "docs/app.md|To try it without touching the system"
)
cd "$src"
for entry in "${recipes[@]}"; do
    file=${entry%%|*}
    marker=${entry#*|}
    recipe=$(awk -v marker="$marker" 'index($0, marker) {found = 1}
                  found && /^```sh$/ {inside = 1; next}
                  inside && /^```$/ {exit}
                  inside' "$file")
    [ -n "$recipe" ] || fail "no recipe after \"$marker\" in $file"
    work=$(mktemp -d)
    works+=("$work")
    # A port the kernel says is free: a random one may be another test's.
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    recipe=${recipe//\/tmp\/tpa/$work}
    recipe=${recipe//8631/$port}
    recipe=${recipe//build\//$build\/}
    bash -e <<<"$recipe" >"$work.out" 2>&1 || { cat "$work.out"; fail "the recipe of $file"; }
    [ -s "$work/out/label.prn" ] || { cat "$work.out"; fail "$file: nothing printed"; }
    [ -s "$work/out/label-1.png" ] || { cat "$work.out"; fail "$file: no picture"; }
done
echo PASS
