#!/usr/bin/env bash
# PDF labels through the printer application next to CUPS's chain
# (pdftoraster | rastertothermal with the printer's PPD): 20 and 100 pages
# of the sample 4x6 in label, to a TSPL and a ZPL printer at 203 dpi. Wall
# time (Print-Job until the job has printed, against the chain's run) and
# CPU time (the server and its PDF renderer, against the chain's processes),
# medians of the runs, as ratios to the chain.
#   bench/pdf.sh [BUILD_DIR]     (default: build; BENCH_RUNS=N, default 5)
# Needs ipptool, cups-filters' pdftoraster and poppler's pdfunite
# (scripts/install-deps --bench).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(readlink -f "${1:-build}")
FILTER=$BUILD/rastertothermal
APP=$BUILD/thermal-printer-app
RUNS=${BENCH_RUNS:-5}
CUPS_FILTERS=$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)/filter
for tool in ipptool pdfunite "$CUPS_FILTERS/pdftoraster"; do
  command -v "$tool" >/dev/null || { echo "$tool missing: run scripts/install-deps --bench" >&2; exit 1; }
done
for program in "$FILTER" "$APP"; do
  [ -x "$program" ] || { echo "build $program first" >&2; exit 1; }
done
# shellcheck source=SCRIPTDIR/../scripts/private-servers.sh
. "$ROOT/scripts/private-servers.sh"

WORK=$(mktemp -d)
trap 'app_stop; rm -rf "$WORK"' EXIT
TICKS=$(getconf CLK_TCK)

for pages in 20 100; do
  # shellcheck disable=SC2046
  pdfunite $(for _ in $(seq "$pages"); do echo "$ROOT/tests/data/label-4x6.pdf"; done) \
    "$WORK/labels-$pages.pdf"
done
cat >"$WORK/print-and-wait.test" <<'TEST'
{ NAME "Print-Job" OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8 ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri ATTR name requesting-user-name bench
  ATTR mimeMediaType document-format application/pdf
  FILE $filename STATUS successful-ok EXPECT job-id }
{ NAME "Wait" OPERATION Get-Job-Attributes DELAY "0,0.02"
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8 ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri ATTR integer job-id $job-id ATTR name requesting-user-name bench
  STATUS successful-ok EXPECT job-state WITH-VALUE 9 REPEAT-NO-MATCH REPEAT-LIMIT 6000 }
TEST

mkdir "$WORK/app"
app_start "$APP" "$WORK/app" "$WORK/app" || { echo "the printer application did not start" >&2; exit 1; }
app_add tspl tspl_203 "$WORK/app/tspl.prn" >/dev/null
app_add zpl zpl_203 "$WORK/app/zpl.prn" >/dev/null

# CPU seconds of the server and of the children it has reaped (the renderer).
server_cpu() {
  awk -v t="$TICKS" '{ sub(/.*\) /, ""); print ($12 + $13 + $14 + $15) / t }' "/proc/$app_pid/stat"
}

# One run of each way: "wall cpu" in seconds.
run_app() {  # printer, pdf
  : >"$WORK/app/$1.prn"
  local cpu0 t0 t1
  cpu0=$(server_cpu)
  t0=$(date +%s.%N)
  ipptool -f "$2" "ipp://127.0.0.1:$app_port/ipp/print/$1" "$WORK/print-and-wait.test" >/dev/null
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" -v c="$cpu0" -v d="$(server_cpu)" 'BEGIN { print b - a, d - c }'
}
run_chain() {  # ppd, pdf
  /usr/bin/time -f "%e %U %S" -o "$WORK/time" bash -c \
    "export PPD='$1'; '$CUPS_FILTERS/pdftoraster' 1 bench bench 1 '' '$2' 2>/dev/null |
       '$FILTER' 1 bench bench 1 '' >'$WORK/chain.prn' 2>/dev/null"
  awk '{ print $1, $2 + $3 }' "$WORK/time"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf "%-14s %10s %10s %10s %10s %8s %8s\n" "PDF labels" "app wall" "chain wall" "app CPU" "chain CPU" \
  "wall x" "CPU x"
for printer in tspl zpl; do
  ppd=$BUILD/ppd/$printer-203.ppd
  for pages in 20 100; do
    pdf=$WORK/labels-$pages.pdf
    run_app "$printer" "$pdf" >/dev/null  # warm-up
    run_chain "$ppd" "$pdf" >/dev/null
    : >"$WORK/a" && : >"$WORK/c"
    for _ in $(seq "$RUNS"); do
      run_app "$printer" "$pdf" >>"$WORK/a"
      run_chain "$ppd" "$pdf" >>"$WORK/c"
    done
    aw=$(cut -d' ' -f1 "$WORK/a" | median) ac=$(cut -d' ' -f2 "$WORK/a" | median)
    cw=$(cut -d' ' -f1 "$WORK/c" | median) cc=$(cut -d' ' -f2 "$WORK/c" | median)
    awk -v n="$printer-$pages" -v aw="$aw" -v cw="$cw" -v ac="$ac" -v cc="$cc" 'BEGIN {
      printf "%-14s %9.2fs %9.2fs %9.2fs %9.2fs %8.2f %8.2f\n", n, aw, cw, ac, cc, aw / cw, ac / cc }'
  done
done
