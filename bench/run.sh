#!/usr/bin/env bash
# Whole-process timings of the filter on generated raster files, next to
# netpbm's Floyd-Steinberg dither of the same A4 page, a 100-label job
# through the printer application over IPP next to the filter alone, PDFs
# through the application next to CUPS's filter chain (bench/pdf.sh), the
# server's time per single-label job (bench/single-jobs.sh), and at the end
# one table of these against their goals.
#   bench/run.sh [BUILD_DIR]     (default: build)
# Needs hyperfine and netpbm (scripts/install-deps --bench), Ghostscript,
# ipptool, and for the PDF cups-filters' pdftoraster and poppler's pdfunite.
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
trap 'app_stop; [ -z "${sim_pid:-}" ] || stop_pid "$sim_pid"; rm -rf "$WORK"' EXIT

write_ppd() {  # model number, path, extra lines
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
${3:-}
PPD
}

declare -A LANG_MODEL=([tspl]=20 [escpos]=21 [cpcl]=22 [paperang]=23 [peripage]=24)
for lang in "${!LANG_MODEL[@]}"; do write_ppd "${LANG_MODEL[$lang]}" "$WORK/$lang.ppd"; done
# ZPL with its default hex data, and with Z64 data.
write_ppd 25 "$WORK/zpl-hex.ppd"
write_ppd 25 "$WORK/zpl-z64.ppd" '*OpenUI *ImageCompress/Page data: PickOne
*DefaultImageCompress: 1
*ImageCompress 0/Hex: ""
*ImageCompress 1/Z64: ""
*CloseUI: *ImageCompress'

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
label_cmds=()
for lang in tspl zpl-hex zpl-z64; do label_cmds+=(-n "labels-500-$lang" "$(run "$lang" labels.ras)"); done
hyperfine -N --warmup 1 --runs 5 --export-csv "$WORK/labels.csv" "${label_cmds[@]}" >/dev/null

# Peak resident memory (KiB) of one A4 page through each language.
peak() {  # language, raster (an empty one makes the filter fail: that is fine here)
  { env PPD="$WORK/$1.ppd" /usr/bin/time -f %M "$FILTER" 1 bench bench 1 '' "$WORK/$2" \
      2>&1 >/dev/null || true; } | grep -E '^[0-9]+$' | tail -1
}
peaks=""
for lang in tspl escpos cpcl peripage paperang; do peaks+="a4-8bit-$lang=$(peak "$lang" a4-8.ras) "; done
peaks+="a4-24bit-tspl=$(peak tspl a4-24.ras)"
# The process without any page: libraries and the PPD.
: >"$WORK/empty.ras"
base_kib=$(peak tspl empty.ras)

# The printer application on a 100-label PWG raster job (the sample 4x6 label,
# 8-bit gray at 203 dpi), sent over IPP on the loopback to a TSPL printer with
# a file device; PAPPL streams PWG raster, so Print-Job answers once the last
# label is written. The filter alone reads the same file and writes into a
# pipe, as under CUPS.
gs -q -sDEVICE=pwgraster -r203 -dcupsColorSpace=18 -dcupsBitsPerColor=8 \
  -o "$WORK/label.pwg" "$ROOT/tests/data/label-4x6.pdf" 2>/dev/null
{ cat "$WORK/label.pwg"; for _ in $(seq 99); do tail -c +5 "$WORK/label.pwg"; done; } >"$WORK/labels.pwg"
mkdir "$WORK/app"
app_start "$APP" "$WORK/app" "$WORK/app" || { echo "the printer application did not start" >&2; exit 1; }
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

# The same job to the printer simulator on a TCP port, as a network printer
# that never answers status queries: the one short wait for its answer must
# keep it within 10% of the file device.
SIM=$BUILD/thermal-printer-sim
sim_pid=""
if [ -x "$SIM" ]; then
  mkdir "$WORK/sim"
  "$SIM" --language tspl --port 0 --no-status --out "$WORK/sim" >"$WORK/sim.log" &
  sim_pid=$!
  for _ in $(seq 100); do grep -q '^listening on' "$WORK/sim.log" && break; sleep 0.1; done
  sim_port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$WORK/sim.log")
  app_cmd add -d sim -m tspl_203 -v "socket://127.0.0.1:$sim_port" >/dev/null
  hyperfine -N --warmup 1 --runs "$((RUNS < 10 ? RUNS : 10))" --output=pipe \
    --export-csv "$WORK/sim.csv" \
    -n app-100-labels-sim "ipptool -f $WORK/labels.pwg ipp://127.0.0.1:$app_port/ipp/print/sim print-job.test" \
    >/dev/null
  stop_pid "$sim_pid"
fi
# The same PDF (20 pages of the sample 4x6 in label) to a TSPL printer at
# 203 dpi, through the application and through CUPS's own chain as the demo
# runs it (pdftopdf | pdftoraster | rastertothermal with the printer's PPD):
# how many of the dots the two send differ. bench/pdf.sh times them below.
CUPS_FILTERS=$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)/filter
if [ -x "$CUPS_FILTERS/pdftoraster" ] && command -v pdfunite >/dev/null; then
  # shellcheck disable=SC2046
  pdfunite $(for _ in $(seq 20); do echo "$ROOT/tests/data/label-4x6.pdf"; done) "$WORK/labels-20.pdf"
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
  STATUS successful-ok EXPECT job-state WITH-VALUE >6 REPEAT-NO-MATCH REPEAT-LIMIT 3000 }
TEST
  ppd=$BUILD/ppd/tspl-203.ppd
  cat >"$WORK/chain.sh" <<CHAIN
export PPD=$ppd
"$CUPS_FILTERS/pdftopdf" 1 bench bench 1 '' "$WORK/labels-20.pdf" 2>/dev/null |
  "$CUPS_FILTERS/pdftoraster" 1 bench bench 1 '' 2>/dev/null |
  "$FILTER" 1 bench bench 1 '' >"$WORK/chain.prn" 2>/dev/null
CHAIN
  pdf_job="ipptool -f $WORK/labels-20.pdf ipp://127.0.0.1:$app_port/ipp/print/bench $WORK/print-and-wait.test"
  bash "$WORK/chain.sh"
  truncate -s 0 "$WORK/app/bench.prn"
  $pdf_job >/dev/null
  "$BUILD/thermal-preview" -o "$WORK/dots-app" "$WORK/app/bench.prn" >/dev/null
  "$BUILD/thermal-preview" -o "$WORK/dots-chain" "$WORK/chain.prn" >/dev/null
  read -r alike differ ink < <(python3 "$ROOT/bench/compare_dots.py" "$WORK/dots-app" "$WORK/dots-chain" 20)
  awk -v alike="$alike" -v differ="$differ" -v ink="$ink" 'BEGIN {
      print "The same PDF (20 pages, 4x6 in labels) to a TSPL printer at 203 dpi, app against CUPS'"'"'s chain:"
      printf "dots: %d of 20 pages alike; %d dots differ, of %d black dots (%.2f %%)\n", alike, differ, ink, 100 * differ / (ink ? ink : 1)
    }' >"$WORK/pdf-report.txt"
else
  echo "PDF against CUPS's chain: needs pdftoraster and pdfunite" >"$WORK/pdf-report.txt"
fi
app_stop

awk -F, -v peaks="$peaks" -v idle="$base_kib" -v labels="$WORK/labels.csv" '
  function row(name, sec, extra) { printf "%-22s %9.1f ms  %s\n", name, sec * 1000, extra }
  FNR == 1 { next }
  { median[$1] = $4; order[++n] = $1 }
  END {
    base = median["pamditherbw"]
    print "Whole process, median of the runs (A4 = 2480 x 3508 at 300 dpi):"
    for (i = 1; i <= n; i++) {
      name = order[i]
      extra = name == "pamditherbw" ? "(netpbm -fs, same page as PGM)" \
                                    : sprintf("%.2f x pamditherbw", median[name] / base)
      row(name, median[name], extra)
    }
    getline line < labels
    while ((getline line < labels) > 0) {
      split(line, f, ",")
      if (f[1] == "labels-500-tspl") tspl = f[4]
      extra = f[1] == "labels-500-tspl" ? "" : sprintf(", %.2f x TSPL", f[4] / tspl)
      row(f[1], f[4], sprintf("%.0f labels/s (812 x 1218 at 203 dpi)%s", 500 / f[4], extra))
    }
    printf "Peak memory, against the page raster (8-bit A4 8.3 MiB, 24-bit 24.9 MiB);\n"
    printf "the process without a page takes %.1f MiB:\n", idle / 1024
    split(peaks, list, " ")
    for (i = 1; i in list; i++) {
      split(list[i], kv, "=")
      raster = 2480 * 3508 * (kv[1] ~ /24bit/ ? 3 : 1) / 1024
      printf "%-22s %9.1f MiB %.2f x the raster, %.2f x beyond the process\n", kv[1], \
        kv[2] / 1024, kv[2] / raster, (kv[2] - idle) / raster
    }
  }' "$WORK/pages.csv"

# Bytes on the wire for the sample receipt (two 58 x 100 mm pages) through the
# built ESC/POS 58 mm PPD, and the time they take on a 115200 baud serial link
# (8N1: ten bits per byte).
CUPS_FILTERS=$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)/filter
RECEIPT=$(dirname "$0")/../tests/data/receipt-2p.pdf
RECEIPT_PPD=$BUILD/ppd/escpos58.ppd
if [ -x "$CUPS_FILTERS/pdftoraster" ] && [ -f "$RECEIPT_PPD" ]; then
  PPD=$RECEIPT_PPD "$CUPS_FILTERS/pdftopdf" 1 bench bench 1 '' "$RECEIPT" 2>/dev/null |
    PPD=$RECEIPT_PPD "$CUPS_FILTERS/pdftoraster" 1 bench bench 1 '' >"$WORK/receipt.ras" 2>/dev/null || true
  echo "Sample receipt (2 pages, 58 x 100 mm) to an ESC/POS printer, bytes on the wire:"
  for options in "" "BandHeight=24" "BlankFeed=1" "BlankFeed=1 WhiteRunLimit=5"; do
    bytes=$(PPD=$RECEIPT_PPD "$FILTER" 1 bench bench 1 "$options" "$WORK/receipt.ras" 2>/dev/null | wc -c)
    awk -v o="${options:-defaults}" -v b="$bytes" \
      'BEGIN { printf "%-30s %7d bytes %5.2f s at 115200 baud\n", o, b, b * 10 / 115200 }'
  done
else
  echo "receipt bytes: needs pdftoraster and $RECEIPT_PPD (make build)"
fi

awk -F, 'FNR > 1 { median[$1] = $4 }
  END {
    app = median["app-100-labels"]; filter = median["filter-100-labels"]
    print "100 labels (4x6 in, 8-bit gray PWG raster at 203 dpi) to a TSPL printer:"
    printf "%-22s %9.1f ms  %.0f labels/s, %.2f x the filter\n", "app-100-labels", app * 1000, 100 / app, app / filter
    printf "%-22s %9.1f ms  %.0f labels/s\n", "filter-100-labels", filter * 1000, 100 / filter
  }' "$WORK/app.csv"
if [ -f "$WORK/sim.csv" ]; then
  awk -F, 'FNR > 1 { median[$1] = $4 }
    END {
      sim = median["app-100-labels-sim"]; app = median["app-100-labels"]
      printf "%-22s %9.1f ms  %.2f x the file device (simulator, --no-status)\n", "app-100-labels-sim", sim * 1000, sim / app
    }' "$WORK/app.csv" "$WORK/sim.csv"
else
  echo "app-100-labels-sim: skipped, $SIM is not built"
fi
cat "$WORK/pdf-report.txt"

# PDFs through the application against CUPS's chain, and the server's time
# per single-label job: their own scripts, their tables kept for the summary.
if [ -x "$CUPS_FILTERS/pdftoraster" ] && command -v pdfunite >/dev/null; then
  "$ROOT/bench/pdf.sh" "$BUILD" | tee "$WORK/pdf-table.txt"
fi
read -r job_ms job_cpu_ms < <("$ROOT/bench/single-jobs.sh" "$BUILD")

# The goals next to what this run measured. Wall ratios come from the same
# run; the CPU ratio (user + system time) is the steadier one on a busy
# machine.
echo
echo "Summary against the goals:"
awk -F, -v job="$job_ms" -v jobcpu="$job_cpu_ms" -v pages="$WORK/pages.csv" -v labels="$WORK/labels.csv" \
    -v pdf="$WORK/pdf-table.txt" '
  function load(file, wall, cpu,   line, f) {
    while ((getline line < file) > 0) {
      split(line, f, ",")
      wall[f[1]] = f[4]; cpu[f[1]] = f[5] + f[6]
    }
  }
  function row(what, measured, goal) { printf "%-50s %-28s %s\n", what, measured, goal }
  BEGIN {
    load(pages, pw, pc); load(labels, lw, lc)
    row("measure", "measured", "goal")
    row("filter, A4 300 dpi, against pamditherbw -fs",
        sprintf("%.3fx wall, %.3fx CPU", pw["a4-8bit-tspl"] / pw["pamditherbw"],
                pc["a4-8bit-tspl"] / pc["pamditherbw"]), "<= 0.10x")
    row("filter, 4x6 labels per second at 203 dpi",
        sprintf("%.0f wall, %.0f CPU", 500 / lw["labels-500-tspl"], 500 / lc["labels-500-tspl"]),
        ">= 1000")
    row("single-label PNG job, server time", sprintf("%.1f ms wall, %.1f ms CPU", job, jobcpu),
        "<= 25 ms")
    while ((getline line < pdf) > 0) {
      n = split(line, f, " ")
      if (f[1] !~ /^(tspl|zpl)-[0-9]+$/) continue
      row("PDF " f[1] " pages, app against the chain",
          sprintf("%.2fx wall, %.2fx CPU", f[n - 1], f[n]), "< 1x (faster)")
    }
  }'
