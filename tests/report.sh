# Reporting for the test scripts: say prints, fail counts a failure and goes
# on, die fails and stops.
# shellcheck shell=bash
failures=0
say() { printf '%s\n' "$*"; }
fail() {
    say "FAIL: $*"
    failures=$((failures + 1))
}
die() {
    say "FAIL: $*"
    exit 1
}

# Ends the script: after any failure it names the logs, keeps the work folder
# (E2E_KEEP, unless set otherwise) and exits 1; else it says the message.
finish() {  # logs, message on success
    if [ "$failures" -gt 0 ]; then
        say "$failures failure(s); logs: $1"
        E2E_KEEP=${E2E_KEEP:-1}
        exit 1
    fi
    say "$2"
}
