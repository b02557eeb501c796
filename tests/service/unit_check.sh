#!/usr/bin/env bash
# The systemd unit as "make install" writes it. Installed with the
# application under a scratch prefix it must pass "systemd-analyze verify",
# which also checks that ExecStart names the installed program. Then its
# command line, with the unit's own defaults, must start a server that
# answers on the loopback interface and not on the machine's other
# addresses.
# Usage: unit_check.sh BUILD_DIR
set -euo pipefail
build=$1

if ! command -v systemd-analyze >/dev/null; then
  echo "SKIP: systemd-analyze is not installed"
  exit 77
fi

tmp=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

cmake --install "$build" --component app --prefix "$tmp/p" >/dev/null
unit=$tmp/p/lib/systemd/system/thermal-printer-app.service
[ -f "$unit" ] || { echo "FAIL: no unit at $unit"; exit 1; }

# Messages about other units (a container without the usual targets) are
# not ours; every complaint about this unit is.
report=$(systemd-analyze verify "$unit" 2>&1) || { echo "$report"; echo "FAIL: verify"; exit 1; }
if grep -q thermal-printer-app <<<"$report"; then
  echo "$report"
  echo "FAIL: verify complained"
  exit 1
fi

# ExecStart with its continuation lines joined and the unit's Environment=
# defaults filled in, as systemd would run it.
declare -A env
while IFS='=' read -r name value; do env[$name]=$value; done \
  < <(sed -n 's/^Environment=//p' "$unit")
exec_start=$(sed -e ':a' -e '/\\$/N; s/\\\n//; ta' "$unit" | sed -n 's/^ExecStart=//p')
port=$((20000 + RANDOM % 20000))
args=()
# shellcheck disable=SC2016  # the unit's own variable references, verbatim
for word in $exec_start; do
  if [ "$word" = '$THERMAL_OPTIONS' ]; then
    read -r -a extra <<<"${env[THERMAL_OPTIONS]}"
    args+=("${extra[@]}")
    continue
  fi
  word=${word//'${THERMAL_PORT}'/$port}    # a free port for the test
  word=${word//'${THERMAL_LISTEN}'/${env[THERMAL_LISTEN]}}
  # The system's spool stays untouched.
  [[ $word == spool-directory=* ]] && word=spool-directory=$tmp/spool
  args+=("$word")
done
[ "${args[0]}" = "$tmp/p/bin/thermal-printer-app" ] || { echo "FAIL: ExecStart runs ${args[0]}"; exit 1; }

# SNAP_COMMON keeps the state file and the socket out of /var/lib and /run.
SNAP_COMMON=$tmp "${args[@]}" 2>"$tmp/log" &
pid=$!
code=000
for _ in $(seq 50); do
  code=$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$port/" || true)
  [ "$code" = 200 ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ "$code" != 200 ]; then
  cat "$tmp/log"
  echo "FAIL: the unit's command line does not serve http://127.0.0.1:$port/"
  exit 1
fi

other=$(hostname -I 2>/dev/null | tr ' ' '\n' | grep -v -e '^127\.' -e ':' -e '^$' | head -n1 || true)
if [ -n "$other" ]; then
  code=$(curl -s -o /dev/null -w '%{http_code}' --max-time 3 "http://$other:$port/" || true)
  if [ "$code" != 000 ]; then
    echo "FAIL: http://$other:$port/ answered $code; by default only the loopback interface is served"
    exit 1
  fi
else
  echo "note: no address besides the loopback one; the remote check did not run"
fi
echo "PASS"
