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
