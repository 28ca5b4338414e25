#!/bin/sh
# Runs one Windows test program under Wine.  Wine's own background processes
# inherit the output descriptors, so the output goes to a file (never a pipe)
# and is shown once the program has ended.
out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
wine "$@" </dev/null >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit $rc
