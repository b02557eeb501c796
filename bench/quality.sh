#!/usr/bin/env bash
# Print quality of the printer application at its defaults:
#  - bar code labels (Code 128, GS1-128, Code 39, EAN-13, UPC-A, ITF-14 and
#    QR: the kinds zbarimg reads; it reads no Data Matrix, MaxiCode or PDF417) at modules of 0.19 to 0.50 mm, each sent as a vector
#    PDF, as an anti-aliased PNG at the printer's resolution, and as a PNG
#    made for 203 dpi printed at 300 dpi; the printed dots (decoded by
#    thermal-preview) read with zbarimg: decode rate, bar-width error (how
#    far runs across the middle row are from whole modules, in dots) and
#    the ZPL's bytes;
#  - flat gray patches: the axis energy ratio of the dots (see
#    bench/measure_print_quality.cpp; 1 is even, worms raise it) for the
#    application's photo dither, Floyd-Steinberg, Burkes and netpbm's
#    pgmtopbm -fs on the same patch;
#  - a synthetic photo: the mean error after a blur, for the same dithers.
#   bench/quality.sh [BUILD_DIR]    (default: build)
# QUICK=1 prints the codes at 0.19 mm only; ONLY=REGEX the codes whose
# zbarimg name matches. Needs zint, zbarimg, netpbm and ipptool
# (scripts/install-deps --bench).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-build}
APP=$BUILD/thermal-printer-app
PREVIEW=$BUILD/thermal-preview
MEASURE=$BUILD/bench/measure-print-quality
for tool in zint zbarimg pgmtopbm pngtopnm ipptool python3; do
  command -v "$tool" >/dev/null || { echo "$tool missing: run scripts/install-deps --bench" >&2; exit 1; }
done
for program in "$APP" "$PREVIEW" "$MEASURE"; do
  [ -x "$program" ] || { echo "build $program first" >&2; exit 1; }
done
# shellcheck source=SCRIPTDIR/../scripts/private-servers.sh
. "$ROOT/scripts/private-servers.sh"
WORK=$(mktemp -d)
trap 'app_stop; rm -rf "$WORK"' EXIT

# --- Gray patches and the photo ---------------------------------------------
pgm() {  # python expression of x, y (0..size-1) for the gray, size, output
  python3 - "$1" "$2" "$3" <<'PY'
import math, random, sys
expr, size, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
random.seed(7)
code = compile(expr, "gray", "eval")
data = bytes(max(0, min(255, int(eval(code, {"math": math, "random": random, "x": x, "y": y}))))
             for y in range(size) for x in range(size))
open(out, "wb").write(b"P5\n%d %d\n255\n" % (size, size) + data)
PY
}
declare -A DITHER=([worm-free]=11 [floyd-steinberg]=1 [burkes]=3)
dots() {  # name, input pgm, output pbm
  if [ "$1" = pgmtopbm-fs ]; then pgmtopbm -fs "$2" >"$3" 2>/dev/null; else "$MEASURE" dither "${DITHER[$1]}" "$2" "$3"; fi
}
methods=(worm-free floyd-steinberg burkes pgmtopbm-fs)
echo "Axis energy ratio of flat gray patches (256 x 256; 1 = even, larger = worms):"
printf "%-8s" gray; printf "%16s" "${methods[@]}"; echo
for gray in 32 64 96 112 124 128 144 160 192 224; do
  pgm "$gray" 256 "$WORK/patch.pgm"
  printf "%-8s" "$gray"
  for m in "${methods[@]}"; do
    dots "$m" "$WORK/patch.pgm" "$WORK/patch.pbm"
    printf "%16s" "$("$MEASURE" ratio "$WORK/patch.pbm")"
  done
  echo
done
# A photo-like page: lit surfaces, soft shadows, fine texture and a few edges.
photo='128 + 90*math.sin(x/37.0)*math.cos(y/53.0) + 40*math.sin((x+y)/9.0)*(x/512) + random.gauss(0, 6) - (60 if (x-300)**2+(y-200)**2 < 90**2 else 0)'
pgm "$photo" 512 "$WORK/photo.pgm"
echo
echo "Photo error (mean absolute gray-level difference after a Gaussian blur of sigma 1.5 dots):"
for m in "${methods[@]}"; do
  dots "$m" "$WORK/photo.pgm" "$WORK/photo.pbm"
  printf "  %-16s %s\n" "$m" "$("$MEASURE" error "$WORK/photo.pgm" "$WORK/photo.pbm")"
done

# --- Bar code labels through the application --------------------------------
mkdir "$WORK/app"
app_start "$APP" "$WORK/app" "$WORK/app" || { echo "the printer application did not start" >&2; exit 1; }
app_add zpl203 zpl_203 "$WORK/app/zpl203.prn" >/dev/null
app_add zpl300 zpl_300 "$WORK/app/zpl300.prn" >/dev/null
cat >"$WORK/print-and-wait.test" <<'TEST'
{ NAME "Print-Job" OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8 ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri ATTR name requesting-user-name bench
  ATTR mimeMediaType document-format $format
  FILE $filename STATUS successful-ok EXPECT job-id }
{ NAME "Wait" OPERATION Get-Job-Attributes DELAY "0,0.02"
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8 ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri ATTR integer job-id $job-id ATTR name requesting-user-name bench
  STATUS successful-ok EXPECT job-state WITH-VALUE >6 REPEAT-NO-MATCH REPEAT-LIMIT 3000 }
TEST
# print printer file format: prints, leaves the dots in $WORK/dots-1.png and
# the stream's size in $bytes.
print() {
  : >"$WORK/app/$1.prn"
  ipptool -d "format=$3" -f "$2" "ipp://127.0.0.1:$app_port/ipp/print/$1" "$WORK/print-and-wait.test" >/dev/null
  bytes=$(stat -c %s "$WORK/app/$1.prn")
  rm -f "$WORK"/dots-*.png
  "$PREVIEW" --language zpl -o "$WORK/dots" "$WORK/app/$1.prn" >/dev/null 2>&1 || true
}
# symbology: zint number, data, expected zbarimg prefix
codes=(
  "20|PQ-0123456789|CODE-128"
  "16|[01]09501101530003[10]ABC123|CODE-128"
  "8|PQ0123456|CODE-39"
  "13|9501101530003|EAN-13"
  "34|03600029145|EAN-13"
  "89|1540014128876|I2/5"
  "58|https://example.com/l/0123456789|QR-Code"
)
declare -A read_by=() sent_by=()
worst_ratio=0
printf "\n%-10s %-5s %-9s %-7s %9s %9s %8s\n" code mm sent read bar-mean bar-max bytes
for entry in "${codes[@]}"; do
  IFS='|' read -r symbology data expect <<<"$entry"
  [[ "$expect" =~ ${ONLY:-.} ]] || continue
  gs1=(); [ "$symbology" = 16 ] && gs1=(--gs1)
  rows=1
  zint -b "$symbology" "${gs1[@]}" -d "$data" --dump >"$WORK/matrix.txt" 2>/dev/null || continue
  for mm in 0.19 0.25 0.33 0.50; do
    [ "$mm" = 0.19 ] || [ "${QUICK:-}" = "" ] || continue
    for kind in pdf aa 203-300; do
      printer=zpl203; dpi=203; module=$(python3 -c "print($mm*203/25.4)")
      case $kind in
        pdf) python3 "$ROOT/bench/barcode_label.py" "$WORK/matrix.txt" pdf "$mm" 203 "$WORK/code.pdf" "$rows"
             file=$WORK/code.pdf; format=application/pdf ;;
        aa) python3 "$ROOT/bench/barcode_label.py" "$WORK/matrix.txt" aa "$mm" 203 "$WORK/code.png" "$rows"
            file=$WORK/code.png; format=image/png ;;
        203-300) python3 "$ROOT/bench/barcode_label.py" "$WORK/matrix.txt" bw "$mm" 203 "$WORK/code.png" "$rows"
                 file=$WORK/code.png; format=image/png; printer=zpl300
                 module=$(python3 -c "print(max(1, round($mm*203/25.4))*300/203)") ;;
      esac
      print "$printer" "$file" "$format"
      read_ok=no; bars="- -"
      if [ -f "$WORK/dots-1.png" ]; then
        if zbarimg -q "$WORK/dots-1.png" 2>/dev/null | grep -q "^${expect}"; then
          read_ok=yes; read_by[$kind]=$((${read_by[$kind]:-0} + 1))
        fi
        pngtopnm "$WORK/dots-1.png" >"$WORK/dots.pnm" 2>/dev/null && bars=$("$MEASURE" bars "$WORK/dots.pnm" "$module")
      fi
      sent_by[$kind]=$((${sent_by[$kind]:-0} + 1))
      [ "$kind" = pdf ] && pdf_bytes=$bytes
      [ "$kind" = aa ] && worst_ratio=$(awk -v a="$bytes" -v p="$pdf_bytes" -v w="$worst_ratio" 'BEGIN { r = a / p; print (r > w ? r : w) }')
      printf "%-10s %-5s %-9s %-7s %9s %9s %8s\n" "$expect" "$mm" "$kind" "$read_ok" $bars "$bytes"
    done
  done
done
for kind in pdf aa 203-300; do echo "$kind: ${read_by[$kind]:-0} of ${sent_by[$kind]:-0} read"; done
echo "ZPL of the anti-aliased PNG against the vector PDF's, at most: ${worst_ratio} x"
