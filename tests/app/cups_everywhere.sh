#!/usr/bin/env bash
# Prints PDF files to the printer application through a private CUPS
# scheduler, the way a driverless client does: the queues are made with
# `lpadmin -m everywhere` from what the application's printers advertise, and
# the scheduler sends them raster over IPP. Checks that every job completes
# and what reached the printers' file devices: the printer language, the
# number of pages and their size in dots.
#
# Usage: cups_everywhere.sh APP PREVIEW DATA_DIR
#   APP      build/thermal-printer-app
#   PREVIEW  build/thermal-preview
# E2E_KEEP=1 keeps the work folder (state, logs, PPDs, output).
#
# Exit status: 0 passed, 1 failed, 77 skipped (no cupsd).
set -uo pipefail

app=$(readlink -f "$1")
preview=$(readlink -f "$2")
data_dir=$(readlink -f "$3")
here=$(dirname "$(readlink -f "$0")")
# shellcheck source=SCRIPTDIR/../../scripts/private-servers.sh
. "$here/../../scripts/private-servers.sh"

# printer | driver | PDF | language (as thermal-preview names it) | pages | width x height
printers=(
    "label|tspl_203|label-4x6.pdf|TSPL|1|832 x 1218"
    "receipt|escpos_58|receipt-2p.pdf|ESC/POS|2|384 x 799"
)

work=""

# shellcheck source=SCRIPTDIR/../report.sh
. "$here/../report.sh"

cleanup() {
    cupsd_stop
    app_stop
    if [ -n "$work" ]; then
        if [ -n "${E2E_KEEP:-}" ]; then say "kept $work"; else rm -rf "$work"; fi
    fi
}
trap cleanup EXIT

command -v cupsd >/dev/null || { say "SKIP: cupsd is not installed"; exit 77; }
for tool in lpadmin lp lpstat cancel; do
    command -v "$tool" >/dev/null || die "$tool is not installed"
done
[ -x "$app" ] || die "no printer application at $app"
[ -x "$preview" ] || die "no thermal-preview at $preview"

# The scheduler's filters run as user lp: every folder above theirs must be
# searchable.
work=$(mktemp -d "${TMPDIR:-/tmp}/thermal-everywhere.XXXXXX") || die "no temporary folder"
chmod 755 "$work"
mkdir -p "$work"/{app,cups,out}

# --- The application, one printer per family tested ---------------------------
app_start "$app" "$work/app" "$work/out" || die "the printer application did not start: $(tail -5 "$work/app/server.log")"
say "printer application running as PID $app_pid on 127.0.0.1:$app_port"
for line in "${printers[@]}"; do
    IFS='|' read -r name driver _ <<<"$line"
    app_add "$name" "$driver" "$work/out/$name.prn" || die "could not add $name ($driver)"
done

# --- The scheduler, one driverless queue per printer ---------------------------
serverbin=$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)
datadir=$(cups-config --datadir 2>/dev/null || echo /usr/share/cups)
cupsd_start "$work/cups" "$serverbin" || die "the scheduler did not start"
say "scheduler running as PID $cupsd_pid on $CUPS_SERVER"

# The application's printers prefer Apple raster (image/urf), so the generated
# PPD's only filter line is "image/urf image/urf 100 -": the scheduler must
# make image/urf itself. The converter for that (rastertopwg) comes with the
# full CUPS package only; without it `lp` refuses a PDF ("Unsupported
# document-format"). The printers take PWG raster just as well, which
# pdftoraster makes, so the PPD then asks for that instead.
urf_converter=""
while read -r program; do
    [ -x "$serverbin/filter/$program" ] && urf_converter=$program
done < <(awk '$2 == "image/urf" { print $4 }' "$datadir"/mime/*.convs 2>/dev/null)

for line in "${printers[@]}"; do
    IFS='|' read -r name _ <<<"$line"
    uri=ipp://127.0.0.1:$app_port/ipp/print/$name
    # lpadmin warns that printer drivers are deprecated; only failures matter.
    lpadmin -p "$name" -E -v "$uri" -m everywhere 2>"$work/cups/log/lpadmin.err" ||
        die "lpadmin -m everywhere $name: $(cat "$work/cups/log/lpadmin.err")"
    # The scheduler writes the PPD a moment after lpadmin returns.
    ppd=$work/cups/etc/ppd/$name.ppd
    for _ in $(seq 100); do
        grep -q '^\*cupsFilter2:' "$ppd" 2>/dev/null && break
        sleep 0.05
    done
    grep -q '^\*cupsFilter2:' "$ppd" 2>/dev/null || die "no PPD generated for $name"
    if [ -z "$urf_converter" ]; then
        sed 's|image/urf image/urf 100 -|image/pwg-raster image/pwg-raster 100 -|' "$ppd" >"$work/cups/$name-pwg.ppd"
        grep -q 'image/pwg-raster image/pwg-raster 100 -' "$work/cups/$name-pwg.ppd" ||
            die "$name: the generated PPD has no image/urf filter line to switch: $(grep cupsFilter2 "$ppd")"
        lpadmin -p "$name" -E -v "$uri" -P "$work/cups/$name-pwg.ppd" 2>"$work/cups/log/lpadmin.err" ||
            die "lpadmin -P $name: $(cat "$work/cups/log/lpadmin.err")"
    fi
done
if [ -n "$urf_converter" ]; then
    say "the scheduler makes image/urf with $urf_converter"
else
    say "no image/urf converter: queues take PWG raster"
fi

# --- Jobs ------------------------------------------------------------------------
declare -A job_of
for line in "${printers[@]}"; do
    IFS='|' read -r name _ pdf _ <<<"$line"
    reply=$(lp -d "$name" "$data_dir/$pdf" 2>&1) || die "lp $name: $reply"
    job_of[$name]=$(sed -n 's/^request id is .*-\([0-9]*\) .*/\1/p' <<<"$reply")
    [ -n "${job_of[$name]}" ] || die "lp $name: $reply"
done
# The ipp backend ends a job only when the printer has finished it.
cupsd_wait_jobs "$work/cups" 60 "${job_of[@]}"
# Stopping the application closes its devices: the files are then complete.
app_stop

# --- Checks ----------------------------------------------------------------------
for line in "${printers[@]}"; do
    IFS='|' read -r name driver pdf lang pages size <<<"$line"
    job=${job_of[$name]}
    device=$work/out/$name.prn
    say "--- $name ($driver, scheduler job $job, $pdf)"
    end=$(cupsd_job_end "$work/cups" "$job")
    if [ "$end" != completed ]; then
        fail "$name: job $job ${end:-did not finish within 60 s}"
        grep "\[Job $job\]" "$work/cups/log/error_log" | grep -v '\] argv\|\] envp' | tail -25
        cancel "$job" 2>/dev/null
        continue
    fi
    [ -s "$device" ] || { fail "$name: nothing reached the device"; continue; }
    summary=$("$preview" -o "$work/out/$name" "$device" 2>&1) ||
        { fail "$name: the device file does not decode: $summary"; continue; }
    say "$(grep -E '^(language|pages|page [0-9]+):' <<<"$summary" | tr '\n' ' ')"
    grep -qx "language: $lang" <<<"$summary" ||
        fail "$name: not $lang: $(grep '^language:' <<<"$summary")"
    # The commands themselves, not just what the decoder recognised.
    case $lang in
    TSPL)
        for command in SIZE BITMAP PRINT; do
            count=$(LC_ALL=C grep -ac "^$command " "$device")
            [ "$count" -eq "$pages" ] || fail "$name: $count $command commands instead of $pages"
        done
        ;;
    ESC/POS)
        LC_ALL=C grep -aq $'\x1dv0' "$device" || fail "$name: no GS v 0 raster image"
        ;;
    esac
    count=$(grep -c '^page [0-9]*:' <<<"$summary")
    [ "$count" -eq "$pages" ] || fail "$name: $count pages instead of $pages"
    while read -r page; do
        [ "$page" = "$size dots" ] || fail "$name: page of $page instead of $size dots"
    done < <(sed -n 's/^page [0-9]*: //p' <<<"$summary")
done

finish "$work/cups/log/error_log, $work/app/server.log" "every job reached its printer as expected"
