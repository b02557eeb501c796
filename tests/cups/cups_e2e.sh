#!/usr/bin/env bash
# Prints PDF files through a private CUPS scheduler, one queue per printer
# language, into files, and checks what the printers would have received:
# the job completes, the filter ran and reported every page, the device file
# holds the right language with one block per page of the size the PPD gives,
# the chosen options show in the commands, and the bytes equal what the
# filter makes of the same job run by hand (pdftopdf | pdftoraster | filter).
#
# Usage: cups_e2e.sh FILTER PPD_DIR DATA_DIR
# E2E_KEEP=1 keeps the scheduler's folder (configuration, logs, output).
#
# Exit status: 0 passed, 1 failed.
set -uo pipefail

filter=$(readlink -f "$1")
ppd_dir=$(readlink -f "$2")
data_dir=$(readlink -f "$3")
here=$(dirname "$(readlink -f "$0")")
walker=$here/printer_stream.awk
preview=$(dirname "$filter")/thermal-preview

# queue | PPD | PDF | copies | lp options | language | pages | width | height | page line must hold
jobs=(
    "tspl203|tspl-203|label-4x6.pdf|1|Darkness=12 zePrintRate=3 zeMediaTracking=BLine|TSPL|1|812|1218|density=12 speed=3 sensing=BLINE-0-0 print=1,1"
    "tspl300|tspl-300|label-4x6.pdf|1||TSPL|1|1200|1800|density=8 speed=4 sensing=GAP-3-0 ribbon=OFF"
    "cpcl4|cpcl-4in|label-4x6.pdf|1|zeMediaTracking=Continuous|CPCL|1|812|1218|form=0"
    "cpcl2|cpcl-2in|label-4x6.pdf|1|media=w144h72|CPCL|1|384|203|form=1"
    "escpos58|escpos58|receipt-2p.pdf|2|FeedOffset=10|ESCPOS|4|384|799|feed=79 cut=none"
    "receipt58|escpos58|receipt-long.pdf|1|media=Custom.58x1000mm CropEdgeTop=-1 CropEdgeBottom=-1 CutMode=2 CashDrawer=2|ESCPOS|1|384|719|feed=0 cut=partial"
    "peri203|peri-203|receipt-2p.pdf|1|Darkness=3 ImageCompress=1|PERIPAGE|2|384|799|media=1 density=3 cutline=1 z=1"
    "papr203|papr-203|receipt-2p.pdf|1|zeMediaTracking=Gap|PAPERANG|2|384|-|after=locate"
    "zpl203|zpl-203|label-4x6.pdf|1|Darkness=20 zePrintRate=4 zeMediaTracking=BLine|ZPL|1|812|1218|tracking=M media=D darkness=20 speed=4 data=hex"
    "zpl300|zpl-300|label-4x6.pdf|1|ImageCompress=1 MediaMethod=Transfer|ZPL|1|1200|1800|tracking=Y media=T data=z64"
    "epl203|epl-203|label-4x6.pdf|2|Darkness=10 zeMediaTracking=Continuous|EPL|2|812|1218|media=0 density=10 bands=1"
    "ql29|brother-ql-300|label-4x6.pdf|1|PageSize=w82h255 CutEvery=2|BROTHERQL|1|306|991|lines=991 cut_every=2_labels compression=PackBits"
    "dymo|dymo-lw-300|label-4x6.pdf|2|PageSize=w153h286 Darkness=3|DYMO|2|640|1193|resolution=300_dpi density=dark"
)

work=""
# shellcheck source=SCRIPTDIR/../../scripts/private-servers.sh
. "$here/../../scripts/private-servers.sh"

# shellcheck source=SCRIPTDIR/../report.sh
. "$here/../report.sh"

cleanup() {
    cupsd_stop
    if [ -n "$work" ]; then
        if [ -n "${E2E_KEEP:-}" ]; then say "kept $work"; else rm -rf "$work"; fi
    fi
}
trap cleanup EXIT

# --- Tools ------------------------------------------------------------------
for tool in cupsd lpadmin lp lpstat cancel od awk cmp install; do
    command -v "$tool" >/dev/null || die "$tool is not installed"
done
serverbin=$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)
for tool in pdftopdf pdftoraster; do
    [ -x "$serverbin/filter/$tool" ] || die "$serverbin/filter/$tool is missing"
done
[ -x "$filter" ] || die "no filter at $filter"
[ -f "$walker" ] || die "no $walker"

# --- A private scheduler ----------------------------------------------------
# Its folders live in a fresh folder that user lp can enter; the filters
# folder is a private copy of CUPS's (links) with our filter installed
# root-owned and 0755, as cupsd demands.
work=$(mktemp -d "${TMPDIR:-/tmp}/thermal-e2e.XXXXXX") || die "no temporary folder"
chmod 755 "$work"
mkdir -p "$work"/{out,serverbin/filter}
chmod 755 "$work"/{out,serverbin,serverbin/filter}
for entry in "$serverbin"/*; do
    [ "$(basename "$entry")" = filter ] || ln -s "$entry" "$work/serverbin/"
done
for entry in "$serverbin"/filter/*; do
    [ "$(basename "$entry")" = rastertothermal ] || ln -s "$entry" "$work/serverbin/filter/"
done
if [ "$(id -u)" -eq 0 ]; then
    install -m 0755 -o root -g root "$filter" "$work/serverbin/filter/rastertothermal"
else
    install -m 0755 "$filter" "$work/serverbin/filter/rastertothermal"
fi

# libcups leaks a few bytes inside cupsMarkOptions when a job carries
# print-color-mode (every job from cupsd does); a filter built with the leak
# sanitizer would fail on that. Only this leak is suppressed.
printf 'leak:_ppdCacheCreateWithPPD\n' >"$work/lsan.supp"
chmod 644 "$work/lsan.supp"
lsan_options=suppressions=$work/lsan.supp:fast_unwind_on_malloc=0:print_suppressions=0

cupsd_start "$work" "$work/serverbin" "SetEnv LSAN_OPTIONS $lsan_options" ||
    die "the scheduler did not start"
say "scheduler running as PID $cupsd_pid on $CUPS_SERVER"

# --- Queues and jobs --------------------------------------------------------
declare -A job_of
for job_line in "${jobs[@]}"; do
    IFS='|' read -r queue ppd pdf copies options _ <<<"$job_line"
    [ -f "$ppd_dir/$ppd.ppd" ] || die "no PPD $ppd_dir/$ppd.ppd"
    [ -f "$data_dir/$pdf" ] || die "no PDF $data_dir/$pdf"
    # lpadmin warns that PPD drivers are deprecated; only failures matter.
    lpadmin -p "$queue" -E -v "file://$work/out/$queue.bin" -P "$ppd_dir/$ppd.ppd" \
        2>"$work/log/lpadmin.err" || { cat "$work/log/lpadmin.err"; die "lpadmin $queue"; }
done
for job_line in "${jobs[@]}"; do
    IFS='|' read -r queue ppd pdf copies options _ <<<"$job_line"
    args=(-d "$queue" -n "$copies")
    for option in $options; do args+=(-o "$option"); done
    reply=$(lp "${args[@]}" "$data_dir/$pdf" 2>&1) || die "lp $queue: $reply"
    job_of[$queue]=$(sed -n 's/^request id is .*-\([0-9]*\) .*/\1/p' <<<"$reply")
    [ -n "${job_of[$queue]}" ] || die "lp $queue: $reply"
done

cupsd_wait_jobs "$work" 40 "${job_of[@]}"

# One line per page, "page WIDTH HEIGHT key=value ...": the awk walker for
# the first seven languages, the preview decoder (settings with spaces as _)
# for the label families it alone reads.
walk_stream() {
    case $1 in
        BROTHERQL | DYMO)
            "$preview" -o "$work/out/preview" "$3" | awk '
                function flush() { if (page != "") print page attrs; attrs = "" }
                /^page [0-9]+:/ { flush(); page = "page " $3 " " $5; next }
                /^  / && page != "" { sub(/^  /, ""); k = $0; sub(/: .*/, "", k); v = $0
                    sub(/^[^:]*: /, "", v); gsub(/ /, "_", k); gsub(/ /, "_", v); attrs = attrs " " k "=" v }
                END { flush() }' ;;
        *) od -An -v -tx1 "$3" | awk -v lang="$1" -v dpi="$2" -f "$walker" ;;
    esac
}

job_log() { grep "\[Job $1\]" "$work/log/error_log" | grep -v '\] argv\|\] envp' | tail -"${2:-25}"; }

# --- Checks -----------------------------------------------------------------
for job_line in "${jobs[@]}"; do
    IFS='|' read -r queue ppd pdf copies options lang pages width height expect <<<"$job_line"
    job=${job_of[$queue]}
    device=$work/out/$queue.bin
    say "--- $queue (job $job, $lang, $pdf, options: ${options:-none})"

    end=$(cupsd_job_end "$work" "$job")
    if [ "$end" != completed ]; then
        fail "$queue: job $job ${end:-did not finish within 40 s}"
        job_log "$job"
        [ "$end" = stopped ] || [ -z "$end" ] && cancel "$job" 2>/dev/null
        continue
    fi
    grep -q "\[Job $job\] PID [0-9]* ($work/serverbin/filter/rastertothermal) exited with no errors" \
        "$work/log/error_log" || { fail "$queue: rastertothermal did not run or failed"; job_log "$job"; }
    grep -q "^$queue [^ ]* $job .* total $pages " "$work/log/page_log" ||
        fail "$queue: the filter did not report $pages pages: $(grep "^$queue " "$work/log/page_log")"
    [ -f "$device" ] || { fail "$queue: no device file"; continue; }

    # The same job by hand, with the options and copies the scheduler gave.
    argv5=$(sed -n "s/.*\[Job $job\] argv\[5\]=\"\(.*\)\"$/\1/p" "$work/log/error_log" | tail -1)
    argv4=$(sed -n "s/.*\[Job $job\] argv\[4\]=\"\(.*\)\"$/\1/p" "$work/log/error_log" | tail -1)
    queue_ppd=$work/etc/ppd/$queue.ppd
    PPD=$queue_ppd "$serverbin/filter/pdftopdf" "$job" user title "$argv4" "$argv5" "$data_dir/$pdf" 2>/dev/null |
        PPD=$queue_ppd "$serverbin/filter/pdftoraster" "$job" user title "$argv4" "$argv5" 2>/dev/null |
        LSAN_OPTIONS=$lsan_options PPD=$queue_ppd "$filter" "$job" user title "$argv4" "$argv5" >"$work/out/$queue.ref" 2>/dev/null
    cmp -s "$device" "$work/out/$queue.ref" ||
        fail "$queue: device file ($(stat -c %s "$device") bytes) differs from the filter run by hand ($(stat -c %s "$work/out/$queue.ref") bytes): $(cmp "$device" "$work/out/$queue.ref" 2>&1 | head -1)"

    if [ ! -s "$device" ]; then
        fail "$queue: the $lang encoder wrote no bytes"
        continue
    fi
    dpi=$(sed -n 's/^\*DefaultResolution: \([0-9]*\)dpi.*/\1/p' "$queue_ppd")
    summary=$(walk_stream "$lang" "$dpi" "$device")
    status=$?
    say "$summary"
    [ $status -eq 0 ] || { fail "$queue: malformed $lang stream"; continue; }
    count=$(grep -c '^page ' <<<"$summary")
    [ "$count" -eq "$pages" ] || fail "$queue: $count page blocks instead of $pages"
    while read -r _ w h attrs; do
        [ "$w $h" = "$width $height" ] || fail "$queue: page of $w x $h dots instead of $width x $height"
        for want in $expect; do
            [[ " $attrs " == *" $want "* ]] || fail "$queue: page lacks $want ($attrs)"
        done
    done < <(grep '^page ' <<<"$summary")
done

finish "$work/log/error_log" "all jobs printed as expected"
