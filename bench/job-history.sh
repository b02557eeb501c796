#!/usr/bin/env bash
# Time per job as the job history fills: JOBS (default 3000) PWG raster
# jobs (the sample 2 x 1 in label) in turn through the printer application to an ESC/POS printer
# with a file device, in batches of BATCH (default 500). Print-Job answers a
# streamed job once it has printed, so a batch's time over its size is the
# time per job (ipptool's start included). At the end: the jobs the printer lists and the state file's
# size, which the history limit (100 jobs) bounds.
#   bench/job-history.sh [BUILD_DIR]     (default: build)
# Needs Ghostscript and ipptool.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-build}
APP=$BUILD/thermal-printer-app
JOBS=${JOBS:-3000}
BATCH=${BATCH:-500}
for tool in gs ipptool; do
  command -v "$tool" >/dev/null || { echo "$tool missing" >&2; exit 1; }
done
[ -x "$APP" ] || { echo "build $APP first" >&2; exit 1; }
# shellcheck source=SCRIPTDIR/../scripts/private-servers.sh
. "$ROOT/scripts/private-servers.sh"

WORK=$(mktemp -d)
trap 'app_stop; rm -rf "$WORK"' EXIT

gs -q -sDEVICE=pwgraster -r203 -dcupsColorSpace=18 -dcupsBitsPerColor=8 \
  -o "$WORK/label.pwg" "$ROOT/tests/data/label-2x1.pdf" >/dev/null 2>&1
mkdir "$WORK/app"
app_start "$APP" "$WORK/app" "$WORK/app" || { echo "the printer application did not start" >&2; exit 1; }
app_add bench escpos_58 "$WORK/app/bench.prn" >/dev/null
uri=ipp://127.0.0.1:$app_port/ipp/print/bench

echo "jobs   ms per job (batch of $BATCH)"
done_jobs=0
while [ "$done_jobs" -lt "$JOBS" ]; do
  start=$(date +%s%N)
  for _ in $(seq "$BATCH"); do
    ipptool -f "$WORK/label.pwg" "$uri" print-job.test >/dev/null ||
      { echo "a job failed after $done_jobs jobs" >&2; exit 1; }
  done
  end=$(date +%s%N)
  done_jobs=$((done_jobs + BATCH))
  awk -v n="$done_jobs" -v ns=$((end - start)) -v b="$BATCH" \
    'BEGIN { printf "%5d  %6.2f\n", n, ns / b / 1e6 }'
done
listed=$(ipptool -tv "$uri" get-completed-jobs.test 2>/dev/null | grep -c 'job-id (integer)' || true)
echo "completed jobs listed: $listed"
echo "state file: $(stat -c %s "$WORK/app/thermal-printer-app.state") bytes;" \
  "spool files: $(find "$WORK/app/thermal-printer-app.d" -type f | wc -l)"
