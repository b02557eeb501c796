# shellcheck shell=bash
# Private servers for tests, benchmarks and the demo, sourced by bash
# scripts: the printer application and a CUPS scheduler, each listening on
# 127.0.0.1 only, on a free port, with all of its state in a folder the caller
# owns. Every wait is bounded; everything started is stopped by its PID.
#
#   app_start APP DIR      server with SNAP_COMMON=DIR; sets app_pid, app_port
#   app_cmd ARGS...        a subcommand (add, submit, ...) of that server
#   app_add NAME DRIVER FILE   a printer whose device is FILE (absolute path,
#                          emptied first: a file device appends)
#   app_stop
#   cupsd_start DIR SERVERBIN [LINE...]   scheduler in DIR (folders etc/,
#                          spool/, cache/, state/, log/), extra cups-files.conf
#                          lines; sets cupsd_pid and exports CUPS_SERVER
#   cupsd_stop
#   everywhere_queue DIR NAME URI   a driverless queue (lpadmin -m everywhere)
#                          on the scheduler in DIR for the IPP printer URI

app_pid=""
app_port=""
app_bin=""
app_dir=""
cupsd_pid=""

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

random_port() { echo $((20000 + RANDOM % 40000)); }

# Stops PID with SIGTERM, then SIGKILL after about five seconds.
stop_pid() {
    local pid=$1
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# app_start APP DIR FILES: the server keeps its state in DIR and takes file
# devices in the folder FILES (made if missing).
# The server is ready once it accepts TCP connections and its control socket
# exists. A subcommand run without that socket would start a server of its
# own, so app_cmd refuses to run when the server is gone.
app_start() {
    app_bin=$(readlink -f "$1")
    app_dir=$(readlink -f "$2")
    mkdir -p "$3" && app_files=$(readlink -f "$3")
    local socket
    socket=$app_dir/$(basename "$app_bin").sock
    for _ in 1 2 3 4 5; do
        app_port=$(random_port)
        port_in_use "$app_port" && continue
        rm -f "$socket"
        SNAP_COMMON=$app_dir "$app_bin" server -o server-port="$app_port" \
            -o listen-hostname=127.0.0.1 -o log-file="$app_dir/server.log" -o log-level=debug \
            -o file-device-folder="$app_files" \
            >>"$app_dir/server.out" 2>&1 &
        app_pid=$!
        for _ in $(seq 100); do
            kill -0 "$app_pid" 2>/dev/null || break
            [ -S "$socket" ] && port_in_use "$app_port" && return 0
            sleep 0.05
        done
        app_stop
    done
    return 1
}

app_cmd() {
    if [ -z "$app_pid" ] || ! kill -0 "$app_pid" 2>/dev/null; then
        echo "the printer application is not running" >&2
        return 1
    fi
    SNAP_COMMON=$app_dir "$app_bin" "$@"
}

app_add() {
    : >"$3" && app_cmd add -d "$1" -m "$2" -v "file://$3"
}

app_stop() {
    stop_pid "$app_pid"
    app_pid=""
}

cupsd_start() {
    local dir=$1 serverbin=$2 port
    shift 2
    mkdir -p "$dir"/{etc/ppd,spool/tmp,cache,state,log}
    chmod 755 "$dir" "$dir"/{etc,etc/ppd,cache,state,log}
    for _ in 1 2 3 4 5; do
        port=$(random_port)
        port_in_use "$port" && continue
        cat >"$dir/etc/cupsd.conf" <<EOF
Listen 127.0.0.1:$port
LogLevel debug
MaxLogSize 0
Browsing No
WebInterface No
PreserveJobHistory Yes
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
<Location />
  Order allow,deny
  Allow all
</Location>
EOF
        {
            cat <<EOF
FileDevice Yes
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ServerBin $serverbin
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/printcap
EOF
            printf '%s\n' "$@"
        } >"$dir/etc/cups-files.conf"
        cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
        cupsd_pid=$!
        export CUPS_SERVER=127.0.0.1:$port
        for _ in $(seq 100); do
            kill -0 "$cupsd_pid" 2>/dev/null || break
            lpstat -r 2>/dev/null | grep -q 'is running' && return 0
            sleep 0.05
        done
        cupsd_stop
    done
    cat "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null | tail -20
    return 1
}

cupsd_stop() {
    stop_pid "$cupsd_pid"
    cupsd_pid=""
}

# How scheduler job JOB ended: completed, stopped (a filter failed; the job
# stays queued and must be cancelled), aborted or canceled; empty while it
# runs. DIR is the scheduler's folder.
cupsd_job_end() {
    sed -n "s/.*\[Job $2\] Job \(completed\|stopped\|aborted\|canceled\).*/\1/p" \
        "$1/log/error_log" | head -1
}

# cupsd_wait_jobs DIR SECONDS JOB...: waits until every job has ended, for at
# most SECONDS in all; fails when time runs out or the scheduler dies.
cupsd_wait_jobs() {
    local dir=$1 deadline=$((SECONDS + $2)) job
    shift 2
    for job; do
        while [ -z "$(cupsd_job_end "$dir" "$job")" ]; do
            [ $SECONDS -lt $deadline ] && kill -0 "$cupsd_pid" 2>/dev/null || return 1
            sleep 0.1
        done
    done
}

# everywhere_queue DIR NAME URI: a driverless queue for an IPP Everywhere
# printer on the scheduler in DIR. The application's printers prefer Apple
# raster (image/urf), so the generated PPD's only filter line is
# "image/urf image/urf 100 -": the scheduler must make image/urf itself. The
# converter for that (rastertopwg) comes with the full CUPS package only;
# without it `lp` refuses a PDF ("Unsupported document-format"). The printers
# take PWG raster just as well, which pdftoraster makes, so the PPD then asks
# for that instead. Says why on standard error when it fails.
everywhere_queue() {
    local dir=$1 name=$2 uri=$3 serverbin datadir converter="" ppd program
    serverbin=$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)
    datadir=$(cups-config --datadir 2>/dev/null || echo /usr/share/cups)
    while read -r program; do
        [ -x "$serverbin/filter/$program" ] && converter=$program
    done < <(awk '$2 == "image/urf" { print $4 }' "$datadir"/mime/*.convs 2>/dev/null)
    # lpadmin warns that printer drivers are deprecated; only failures matter.
    lpadmin -p "$name" -E -v "$uri" -m everywhere 2>"$dir/log/lpadmin.err" ||
        { echo "lpadmin -m everywhere $name: $(cat "$dir/log/lpadmin.err")" >&2; return 1; }
    # The scheduler writes the PPD a moment after lpadmin returns.
    ppd=$dir/etc/ppd/$name.ppd
    for _ in $(seq 100); do
        grep -q '^\*cupsFilter2:' "$ppd" 2>/dev/null && break
        sleep 0.05
    done
    grep -q '^\*cupsFilter2:' "$ppd" 2>/dev/null || { echo "no PPD generated for $name" >&2; return 1; }
    [ -n "$converter" ] && return 0
    sed 's|image/urf image/urf 100 -|image/pwg-raster image/pwg-raster 100 -|' "$ppd" >"$dir/$name-pwg.ppd"
    grep -q 'image/pwg-raster image/pwg-raster 100 -' "$dir/$name-pwg.ppd" ||
        { echo "$name: the PPD has no image/urf filter line to switch: $(grep cupsFilter2 "$ppd")" >&2; return 1; }
    lpadmin -p "$name" -E -v "$uri" -P "$dir/$name-pwg.ppd" 2>"$dir/log/lpadmin.err" ||
        { echo "lpadmin -P $name: $(cat "$dir/log/lpadmin.err")" >&2; return 1; }
}
