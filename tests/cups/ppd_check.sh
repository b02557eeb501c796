#!/usr/bin/env bash
# Checks the compiled PPD files: cupstestppd finds no failure, every option
# the filter reads has the choice names it understands, and the rasteriser,
# driven by each PPD, delivers 8-bit white-based gray pages that fit the
# printer's head for every page size the PPD offers.
#
# Usage: ppd_check.sh FILTER SAMPLE_PDF PPD...
set -uo pipefail

filter=$1
sample=$2
shift 2
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for tool in cupstestppd od; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
cups_filters=$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)/filter
for tool in pdftopdf pdftoraster; do
    [ -x "$cups_filters/$tool" ] || { echo "FAIL: $cups_filters/$tool is missing"; exit 1; }
done
[ -x "$filter" ] || { echo "FAIL: no filter at $filter"; exit 1; }
[ $# -gt 0 ] || { echo "FAIL: no PPD files given"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# cupstestppd looks for the filter under its root folder.
mkdir -p "$work/root$cups_filters"
ln -s "$(readlink -f "$filter")" "$work/root$cups_filters/rastertothermal"

# Printable width of the head in dots, and whether every page must fill it
# (paper rolls whose margins leave exactly the head width) or only fit in it.
head_dots() {
    case $(basename "$1" .ppd) in
        tspl-203 | cpcl-4in | zpl-203 | epl-203) echo "832 fit" ;;
        tspl-300 | zpl-300) echo "1248 fit" ;;
        cpcl-2in) echo "384 fit" ;;
        cpcl-3in) echo "576 fit" ;;
        escpos58 | star58 | papr-203 | peri-203 | cat-203) echo "384 fill" ;;
        escpos80 | star80) echo "576 fill" ;;
        papr-300 | peri-300) echo "576 fill" ;;
        brother-ql-300) echo "733 fit" ;;
        dymo-lw-300) echo "672 fit" ;;
        dymo-lw-4xl) echo "1248 fit" ;;
        niimbot-d11-203) echo "600 fit" ;;  # turned onto the 96-dot head by the filter
        niimbot-b21-203) echo "384 fit" ;;
        ptouch-180) echo "173 fit" ;;  # 24 mm tape; the encoder prints its middle 128
        phomemo-m02) echo "384 fill" ;;
        phomemo-m110) echo "384 fit" ;;
        phomemo-m220) echo "576 fit" ;;
        *) echo "" ;;
    esac
}

# A field of the first page header of a raster stream (little-endian words
# after the 4-byte sync word and the four 64-byte texts).
header_field() {
    od -An -t u4 -j $((4 + 256 + 4 * $2)) -N 4 "$1" | tr -d ' '
}

numeric_options="AdjustHoriaontal AdjustVertical FeedOffset Rotate AutoDotted Brightness
  Contrast ImageFilter Threshold ImageCompress CropEdgeTop CropEdgeBottom CropEdgeLeft
  CropEdgeRight Darkness zePrintRate BandHeight BlankFeed WhiteRunLimit AutoCut CutEvery CutAtEnd"

for ppd in "$@"; do
    name=$(basename "$ppd")
    [ -f "$ppd" ] || { fail "$name: missing"; continue; }

    report=$(cupstestppd -R "$work/root" "$ppd" 2>&1)
    status=$?
    if [ $status -ne 0 ] || grep -q 'FAIL' <<<"$report"; then
        fail "$name: cupstestppd (status $status)"
        echo "$report"
    fi

    # Choice names: numbers where the filter reads a number ("Default" is
    # the not-set choice of Darkness and zePrintRate), and only the media
    # tracking names the filter knows.
    for option in $numeric_options; do
        while read -r choice; do
            case $option:$choice in
                Darkness:Default | zePrintRate:Default) ;;
                *) [[ $choice =~ ^-?[0-9]+$ ]] || fail "$name: $option choice '$choice' is not a number" ;;
            esac
        done < <(sed -n "s/^\*$option \([^/:]*\)[/:].*/\1/p" "$ppd")
    done
    while read -r choice; do
        case $choice in
            Continuous | A4Stock | Gap | BLine | BLine_Fold | Perforated | Roll | Recording) ;;
            *) fail "$name: zeMediaTracking choice '$choice' is unknown to the filter" ;;
        esac
    done < <(sed -n 's/^\*zeMediaTracking \([^/:]*\)[/:].*/\1/p' "$ppd")
    grep -q '^\*cupsFilter: "application/vnd.cups-raster 0 rastertothermal"' "$ppd" ||
        fail "$name: no cupsFilter line for rastertothermal"

    # What the rasteriser makes of each page size.
    read -r head mode <<<"$(head_dots "$ppd")"
    [ -n "$head" ] || { fail "$name: no head width known for this PPD"; continue; }
    dpi=$(sed -n 's/^\*DefaultResolution: \([0-9]*\)dpi.*/\1/p' "$ppd")
    while read -r size; do
        raster="$work/page.ras"
        PPD=$ppd "$cups_filters/pdftopdf" 1 user title 1 "PageSize=$size" "$sample" 2>/dev/null |
            PPD=$ppd "$cups_filters/pdftoraster" 1 user title 1 "PageSize=$size" >"$raster" 2>/dev/null
        if [ ! -s "$raster" ]; then
            fail "$name $size: the rasteriser produced nothing"
            continue
        fi
        res=$(header_field "$raster" 5)
        width=$(header_field "$raster" 29)
        bits=$(header_field "$raster" 32)
        space=$(header_field "$raster" 36)
        [ "$res" = "$dpi" ] || fail "$name $size: $res dpi instead of $dpi"
        [ "$bits" = 8 ] || fail "$name $size: $bits bits per colour instead of 8"
        [ "$space" = 0 ] || fail "$name $size: colour space $space instead of 0 (W)"
        if [ "$mode" = fill ]; then
            [ "$width" = "$head" ] || fail "$name $size: $width dots wide, the head prints $head"
        else
            [ "$width" -le "$head" ] || fail "$name $size: $width dots wide, the head prints $head"
        fi
    done < <(sed -n 's/^\*PageSize \([^/:]*\)[/:].*/\1/p' "$ppd")
done

if [ $failures -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all $# PPD files pass"
