#!/usr/bin/env bash
# Limits of the filter, with figures: hostile page headers end with the page
# skipped and a clean exit in little memory; a long job runs in constant
# memory; no job leaks memory, for every printer model.
#
#   limits.sh FILTER MAKE_RASTER full|sanitize
#
# "sanitize" is for a build with AddressSanitizer: memory figures mean
# nothing there and valgrind cannot run it, so that mode checks the exits and
# lets the sanitizer's own leak check judge the jobs.
set -uo pipefail

filter=$1
make_raster=$2
mode=${3:-full}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
limit_kib=$((300 * 1024))
# A page that fits but whose data never comes is no more than its 1-bit form:
# the missing lines are never touched.
unread_limit_kib=$((100 * 1024))

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

write_ppd() {  # model -> path
    local path=$work/model$1.ppd
    cat >"$path" <<PPD
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "LIMITS.PPD"
*Manufacturer: "Test"
*Product: "(Limits Printer)"
*ModelName: "Limits Printer"
*ShortNickName: "Limits Printer"
*NickName: "Limits Printer"
*PSVersion: "(3010.000) 0"
*cupsVersion: 2.4
*cupsModelNumber: $1
*cupsFilter: "application/vnd.cups-raster 0 rastertothermal"
*OpenUI *zeMediaTracking/Media: PickOne
*DefaultzeMediaTracking: Gap
*zeMediaTracking Gap/Gap: ""
*CloseUI: *zeMediaTracking
*OpenUI *Darkness/Darkness: PickOne
*DefaultDarkness: 10
*Darkness 10/10: ""
*CloseUI: *Darkness
*OpenUI *ImageCompress/Compress: PickOne
*DefaultImageCompress: 1
*ImageCompress 1/On: ""
*CloseUI: *ImageCompress
*OpenUI *CropEdgeBottom/Crop: PickOne
*DefaultCropEdgeBottom: 2
*CropEdgeBottom 2/2: ""
*CloseUI: *CropEdgeBottom
PPD
    echo "$path"
}

# Runs the filter on a raster file under GNU time; sets rc, peak_kib and err.
measure() {  # model raster [options]
    local ppd
    ppd=$(write_ppd "$1")
    PPD=$ppd /usr/bin/time -v -o "$work/time.txt" "$filter" 1 user title 1 "${3:-}" \
        <"$2" >"$work/out.bin" 2>"$work/err.txt"
    rc=$?
    peak_kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
    err=$(cat "$work/err.txt")
}

# Hostile headers: the page cannot be held (or its data never comes), the
# filter skips it, counts it and exits cleanly.
hostile_page() {  # name limit_kib, then make_raster arguments
    local name=$1 limit=$2
    shift 2
    "$make_raster" "$@" >"$work/hostile.ras" || { fail "$name: raster not made"; return; }
    measure 20 "$work/hostile.ras"
    [ "$rc" -eq 0 ] || fail "$name: exit status $rc: $err"
    grep -q "Finished page 1." <<<"$err" || fail "$name: page not finished"
    if [ "$mode" = full ]; then
        echo "figure: $name: peak RSS ${peak_kib} KiB"
        [ "$peak_kib" -lt "$limit" ] || fail "$name: peak RSS ${peak_kib} KiB >= ${limit} KiB"
    fi
}

hostile_page "100000x100000 at 24 bits" "$limit_kib" --width 100000 --height 100000 --bpp 24 --lines 2 --uncompressed
hostile_page "height past 32 bits of page size" "$limit_kib" --width 812 --height 4294967295 --bpp 24 --lines 2 --uncompressed
hostile_page "page size wrapping 32 bits" "$limit_kib" --width 65536 --height 65537 --bpp 8 --lines 2 --uncompressed
hostile_page "large page whose data never comes" "$unread_limit_kib" --width 16000 --height 16000 --bpp 8 --lines 2 --uncompressed
hostile_page "pixels beyond the line length" "$limit_kib" --width 4000000000 --height 4 --bpp 8 --bytes-per-line 16
hostile_page "line length beyond the pixels" "$limit_kib" --width 16 --height 1 --bpp 8 --bytes-per-line 300000000 --lines 0

# A long job of 4x6 inch labels at 203 dpi, 8-bit gray: the peak after 1000
# pages stays within 10% of the peak after 10.
long_job() {
    local model=$1 pages rc10 peak10
    for pages in 10 1000; do
        measure "$model" <("$make_raster" --width 812 --height 1218 --bpp 8 --pages $pages \
            --pattern bands)
        [ "$rc" -eq 0 ] || fail "model $model, $pages pages: exit status $rc"
        grep -q "Finished page $pages." <<<"$err" || fail "model $model: page $pages not finished"
        if [ $pages -eq 10 ]; then
            peak10=$peak_kib
        else
            echo "figure: model $model: peak RSS ${peak10} KiB after 10 pages, ${peak_kib} KiB after 1000"
            [ "$peak_kib" -le $((peak10 * 110 / 100)) ] ||
                fail "model $model: memory grows: ${peak10} KiB after 10 pages, ${peak_kib} KiB after 1000"
        fi
    done
}

# A small job with pages of every depth, checked for leaks.
leak_check() {
    local model=$1 ppd
    ppd=$(write_ppd "$model")
    "$make_raster" --width 200 --height 120 --bpp 1 --next --bpp 4 --next --bpp 8 \
        --next --bpp 24 --next --bpp 32 --pattern gradient >"$work/small.ras"
    if [ "$mode" = full ]; then
        PPD=$ppd valgrind -q --leak-check=full --errors-for-leak-kinds=definite,indirect,possible \
            --error-exitcode=99 "$filter" 1 user title 1 "" <"$work/small.ras" \
            >/dev/null 2>"$work/leak.txt"
    else
        PPD=$ppd ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1 \
            "$filter" 1 user title 1 "" <"$work/small.ras" >/dev/null 2>"$work/leak.txt"
    fi
    rc=$?
    if [ "$rc" -ne 0 ]; then
        fail "model $model: leak check exit status $rc"
        grep -v -E '^(PAGE|INFO|DEBUG)' "$work/leak.txt" | head -40
    else
        grep -q "Finished page 5." "$work/leak.txt" || fail "model $model: leak job incomplete"
        echo "leak check: model $model clean"
    fi
}

for model in 20 21 22 23 24 25 26; do
    [ "$mode" = full ] && long_job $model
    leak_check $model
done

if [ $failures -ne 0 ]; then
    echo "$failures limit check(s) failed"
    exit 1
fi
echo "all limit checks passed"
