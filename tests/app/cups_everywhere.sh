#!/usr/bin/env bash
# Prints PDF files to the printer application through a private CUPS
# scheduler, the way a driverless client does: the queues are made with
# `lpadmin -m everywhere` from what the application's printers advertise, and
# the scheduler sends them the PDF over IPP (they take PDF). Checks that every job completes
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
# (a receipt is as long as its content, not its 100 mm page)
printers=(
    "label|tspl_203|label-4x6.pdf|TSPL|1|832 x 1218"
    "receipt|escpos_58|receipt-2p.pdf|ESC/POS|2|384 x 733"
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

# --- The scheduler, one driverless queue per printer, as docs/app.md makes it ---
queues=()
for line in "${printers[@]}"; do
    IFS='|' read -r name _ <<<"$line"
    queues+=("$name=ipp://127.0.0.1:$app_port/ipp/print/$name")
done
setup=$("$here/../../scripts/private-cups" "$work/cups" "${queues[@]}" 2>&1) || die "private-cups: $setup"
CUPS_SERVER=$(sed -n 's/^export CUPS_SERVER=\([^ ]*\).*/\1/p' <<<"$setup")
cupsd_pid=$(sed -n 's/^kill \([0-9]*\).*/\1/p' <<<"$setup")
export CUPS_SERVER
say "scheduler running as PID $cupsd_pid on $CUPS_SERVER"

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
        [ "$(tail -c 3 "$device")" = $'\x1dV1' ] || fail "$name: no partial cut at the end"
        ;;
    esac
    count=$(grep -c '^page [0-9]*:' <<<"$summary")
    [ "$count" -eq "$pages" ] || fail "$name: $count pages instead of $pages"
    while read -r page; do
        [ "$page" = "$size dots" ] || fail "$name: page of $page instead of $size dots"
    done < <(sed -n 's/^page [0-9]*: //p' <<<"$summary")
done

finish "$work/cups/log/error_log, $work/app/server.log" "every job reached its printer as expected"
