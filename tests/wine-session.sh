#!/bin/sh
# start: makes the private Wine prefix ready (once) and keeps one wineserver
#        alive for the whole test run.
# stop:  ends that wineserver and every Wine process of the prefix.
set -u
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEARCH=${WINEARCH:-win32}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
log="$WINEPREFIX.log"
case "$1" in
start)
    mkdir -p "$(dirname "$WINEPREFIX")"
    if [ ! -f "$WINEPREFIX/.orv-ready" ]; then
        wineboot -i </dev/null >>"$log" 2>&1 || { cat "$log"; exit 1; }
        # Headless: windows exist but nothing is drawn.  The desktop process
        # picks its driver when it starts, and the set-up leaves a service
        # manager of its own running beside the one the next program would
        # start, so every process of the prefix ends here and starts afresh.
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >>"$log" 2>&1
        wineserver -k </dev/null >>"$log" 2>&1
        wineserver -w </dev/null >>"$log" 2>&1
        touch "$WINEPREFIX/.orv-ready"
    fi
    wineserver -p </dev/null >>"$log" 2>&1 || exit 1
    # A run cut short may have left the service installed; it would start
    # with the prefix and hold the worker's mutex.  Only then is it removed
    # (looked up in the saved registry, so a clean prefix costs nothing).
    if grep -qiF 'Services\\OrvServ]' "$WINEPREFIX/system.reg" 2>/dev/null; then
        wine sc stop OrvServ </dev/null >>"$log" 2>&1
        wine sc delete OrvServ </dev/null >>"$log" 2>&1
        # Deleted once it has stopped; a stop sent while it was still
        # starting is refused, so it is repeated.
        tries=0
        while [ $tries -lt 20 ] && wine sc query OrvServ </dev/null >>"$log" 2>&1; do
            wine sc stop OrvServ </dev/null >>"$log" 2>&1
            sleep 0.5
            tries=$((tries + 1))
        done
    fi
    ;;
stop)
    wineserver -k </dev/null >>"$log" 2>&1
    true
    ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
