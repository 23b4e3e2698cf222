#!/usr/bin/env bash
# Starts or stops the Wine server of the test prefix ($WINEPREFIX, set as for the test programs):
# started once for the whole run, every test program connects to it at once instead of starting
# one of its own and waiting for it. Its output goes to a log beside the prefix, never to the
# test's pipe, which the server outlives.
#   tools/wine-server.sh start | stop
set -euo pipefail
log="$WINEPREFIX.log"
case "${1:-}" in
    start)
        # Without the locale Wine would fall back to 1252 and the 932 runs would prove nothing.
        if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
            echo "the ja_JP.UTF-8 locale is missing: run tools/install-windows-deps.sh" >&2
            exit 1
        fi
        mkdir -p "$WINEPREFIX"
        wineserver -k >/dev/null 2>&1 </dev/null || true  # one left by an interrupted run
        if ! { wineserver -p && wineboot -i; } >"$log" 2>&1 </dev/null; then
            cat "$log" >&2
            exit 1
        fi
        ;;
    stop)
        wineserver -k >>"$log" 2>&1 </dev/null || true
        wineserver -w >>"$log" 2>&1 </dev/null || true
        ;;
    *)
        echo "usage: $0 start|stop" >&2
        exit 2
        ;;
esac
