#!/usr/bin/env bash
# Whole-process timings of the filter on generated raster files, next to
# netpbm's Floyd-Steinberg dither of the same A4 page, and a 100-label job
# through the printer application over IPP next to the filter alone.
#   bench/run.sh [BUILD_DIR]     (default: build)
# Needs hyperfine and netpbm (scripts/install-deps --bench), Ghostscript and
# ipptool.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-build}
FILTER=$BUILD/rastertothermal
APP=$BUILD/thermal-printer-app
GEN=$BUILD/bench/make-bench-raster
RUNS=${BENCH_RUNS:-20}
for tool in hyperfine pamditherbw gs ipptool; do
  command -v "$tool" >/dev/null || { echo "$tool missing: run scripts/install-deps --bench" >&2; exit 1; }
done
for program in "$FILTER" "$APP" "$GEN"; do
  [ -x "$program" ] || { echo "build $program first" >&2; exit 1; }
done
# shellcheck source=SCRIPTDIR/../scripts/private-servers.sh
. "$ROOT/scripts/private-servers.sh"

WORK=$(mktemp -d)
trap 'app_stop; rm -rf "$WORK"' EXIT

write_ppd() {  # model number, path
  cat >"$2" <<PPD
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "BENCH.PPD"
*Manufacturer: "Bench"
*Product: "(Bench Printer)"
*ModelName: "Bench Printer"
*ShortNickName: "Bench Printer"
*NickName: "Bench Printer"
*PSVersion: "(3010.000) 0"
*cupsVersion: 2.4
*cupsModelNumber: $1
*cupsFilter: "application/vnd.cups-raster 0 rastertothermal"
PPD
}

declare -A LANG_MODEL=([tspl]=20 [escpos]=21 [cpcl]=22 [paperang]=23 [peripage]=24)
for lang in "${!LANG_MODEL[@]}"; do write_ppd "${LANG_MODEL[$lang]}" "$WORK/$lang.ppd"; done

"$GEN" "$WORK/a4-8.ras" a4 8
"$GEN" "$WORK/a4-24.ras" a4 24
"$GEN" "$WORK/labels.ras" label 8 500
"$GEN" "$WORK/a4.pgm" a4 8

# The filter as CUPS runs it: six arguments, raster file as the seventh.
run() {  # language, raster
  echo "env PPD=$WORK/$1.ppd $FILTER 1 bench bench 1 '' $WORK/$2"
}

cmds=(-n pamditherbw "pamditherbw -fs $WORK/a4.pgm")
for lang in tspl escpos cpcl peripage paperang; do
  cmds+=(-n "a4-8bit-$lang" "$(run "$lang" a4-8.ras)")
done
cmds+=(-n a4-24bit-tspl "$(run tspl a4-24.ras)")
hyperfine -N --warmup 3 --runs "$RUNS" --export-csv "$WORK/pages.csv" "${cmds[@]}" >/dev/null
hyperfine -N --warmup 1 --runs 5 --export-csv "$WORK/labels.csv" \
  -n labels-500-tspl "$(run tspl labels.ras)" >/dev/null

# The printer application on a 100-label PWG raster job (the sample 4x6 label,
# 8-bit gray at 203 dpi), sent over IPP on the loopback to a TSPL printer with
# a file device; PAPPL streams PWG raster, so Print-Job answers once the last
# label is written. The filter alone reads the same file and writes into a
# pipe, as under CUPS.
gs -q -sDEVICE=pwgraster -r203 -dcupsColorSpace=18 -dcupsBitsPerColor=8 \
  -o "$WORK/label.pwg" "$ROOT/tests/data/label-4x6.pdf" 2>/dev/null
{ cat "$WORK/label.pwg"; for _ in $(seq 99); do tail -c +5 "$WORK/label.pwg"; done; } >"$WORK/labels.pwg"
mkdir "$WORK/app"
app_start "$APP" "$WORK/app" || { echo "the printer application did not start" >&2; exit 1; }
app_add bench tspl_203 "$WORK/app/bench.prn" >/dev/null
# The commands as hyperfine runs them (it splits them like a shell).
app_job="ipptool -f $WORK/labels.pwg ipp://127.0.0.1:$app_port/ipp/print/bench print-job.test"
filter_job="env PPD=$BUILD/ppd/tspl-203.ppd $FILTER 1 bench bench 1 '' $WORK/labels.pwg"
# Both must make the same bytes, or the timings compare different work.
ipptool -f "$WORK/labels.pwg" "ipp://127.0.0.1:$app_port/ipp/print/bench" print-job.test >/dev/null
env PPD="$BUILD/ppd/tspl-203.ppd" "$FILTER" 1 bench bench 1 '' "$WORK/labels.pwg" 2>/dev/null >"$WORK/filter.prn"
cmp -s "$WORK/filter.prn" "$WORK/app/bench.prn" || echo "warning: the application's output differs from the filter's" >&2
# A file device appends: empty it before every run.
hyperfine -N --warmup 1 --runs "$((RUNS < 10 ? RUNS : 10))" --output=pipe --export-csv "$WORK/app.csv" \
  --prepare "truncate -s 0 $WORK/app/bench.prn" \
  -n app-100-labels "$app_job" -n filter-100-labels "$filter_job" >/dev/null
app_stop

awk -F, 'FNR > 1 { median[$1] = $4 }
  END {
    app = median["app-100-labels"]; filter = median["filter-100-labels"]
    print "100 labels (4x6 in, 8-bit gray PWG raster at 203 dpi) to a TSPL printer:"
    printf "%-22s %9.1f ms  %.0f labels/s, %.2f x the filter\n", "app-100-labels", app * 1000, 100 / app, app / filter
    printf "%-22s %9.1f ms  %.0f labels/s\n", "filter-100-labels", filter * 1000, 100 / filter
  }' "$WORK/app.csv"
