#!/usr/bin/env bash
# What a single-label job costs the printer application: JOBS (default 40)
# Print-Job requests of one 4x6 in PNG label sent back to back to a TSPL
# printer with a file device, timed from the first submission until the last
# job has completed; per job, the median of BENCH_RUNS (default 3) rounds,
# with the server's CPU time per job beside it.
#   bench/single-jobs.sh [BUILD_DIR]     (default: build)
# Prints one line: "ms-per-job cpu-ms-per-job". Needs Ghostscript and ipptool.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(readlink -f "${1:-build}")
APP=$BUILD/thermal-printer-app
JOBS=${JOBS:-40}
RUNS=${BENCH_RUNS:-3}
for tool in gs ipptool; do
  command -v "$tool" >/dev/null || { echo "$tool missing" >&2; exit 1; }
done
[ -x "$APP" ] || { echo "build $APP first" >&2; exit 1; }
# shellcheck source=SCRIPTDIR/../scripts/private-servers.sh
. "$ROOT/scripts/private-servers.sh"

WORK=$(mktemp -d)
trap 'app_stop; rm -rf "$WORK"' EXIT
TICKS=$(getconf CLK_TCK)

gs -q -sDEVICE=pnggray -r203 -o "$WORK/label.png" "$ROOT/tests/data/label-4x6.pdf" >/dev/null 2>&1
print_job='{ NAME "Print-Job" OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8 ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri ATTR name requesting-user-name bench
  ATTR mimeMediaType document-format image/png
  FILE $filename STATUS successful-ok EXPECT job-id }'
{
  for _ in $(seq "$JOBS"); do echo "$print_job"; done
  cat <<'TEST'
{ NAME "Wait" OPERATION Get-Job-Attributes DELAY "0,0.005"
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8 ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri ATTR integer job-id $job-id ATTR name requesting-user-name bench
  STATUS successful-ok EXPECT job-state WITH-VALUE 9 REPEAT-NO-MATCH REPEAT-LIMIT 20000 }
TEST
} >"$WORK/jobs.test"

mkdir "$WORK/app"
app_start "$APP" "$WORK/app" "$WORK/app" || { echo "the printer application did not start" >&2; exit 1; }
app_add bench tspl_203 "$WORK/app/bench.prn" >/dev/null
uri=ipp://127.0.0.1:$app_port/ipp/print/bench

server_cpu() {
  awk -v t="$TICKS" '{ sub(/.*\) /, ""); print ($12 + $13) / t }' "/proc/$app_pid/stat"
}
round() {
  local cpu0 t0 t1
  cpu0=$(server_cpu)
  t0=$(date +%s.%N)
  ipptool -f "$WORK/label.png" "$uri" "$WORK/jobs.test" >/dev/null ||
    { echo "a job failed" >&2; exit 1; }
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" -v c="$cpu0" -v d="$(server_cpu)" -v n="$JOBS" \
    'BEGIN { print (b - a) * 1000 / n, (d - c) * 1000 / n }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

round >/dev/null  # warm-up
for _ in $(seq "$RUNS"); do round; done >"$WORK/rounds"
echo "$(cut -d' ' -f1 "$WORK/rounds" | median) $(cut -d' ' -f2 "$WORK/rounds" | median)"
