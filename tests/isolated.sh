#!/usr/bin/env bash
# Runs one test process in a home of its own: ctest runs tests in parallel, and
# tests that write settings, saves or lock files must never see each other's.
set -u
home=$(mktemp -d "${TMPDIR:-/tmp}/kel-test.XXXXXX")
mkdir -p "$home/config" "$home/data" "$home/run"
chmod 700 "$home/run"
export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run"
export HOME="$home"
"$@"
rc=$?
rm -rf "$home"
exit $rc
