#!/usr/bin/env bash
# Prepares and tears down the private Wine prefix that the Windows tests run in.
#   wine_prefix.sh setup   <wine loader> <wineserver> <prefix> <log dir>
#   wine_prefix.sh cleanup <wine loader> <wineserver> <prefix> <log dir>
# setup creates the prefix once (it takes seconds and hundreds of MB), selects the null graphics
# driver (there is no display), starts a persistent wineserver and warms it up, so each test
# starts in well under a second. Every start of wine or wineserver writes into files under the
# log dir: Wine's helper processes (services, winedevice, explorer) inherit the standard handles
# of whichever process started them and would otherwise hold a test's output open after it ends.
set -euo pipefail

action="$1" wine="$2" server="$3" prefix="$4" logs="$5"
mkdir -p "$logs"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINELOADER="$wine"
# No Mono or Gecko installers (they are not there and would only be offered); no menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

case "$action" in
setup)
    "$server" -k >>"$logs/wineserver.log" 2>&1 || true
    # The marker is written last, so a set-up that was cut short starts again from scratch.
    if [ ! -f "$prefix/.qv-ready" ]; then
        rm -rf "$prefix"
        "$wine" wineboot -i >"$logs/wineboot.log" 2>&1 </dev/null
        "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
            >"$logs/reg.log" 2>&1 </dev/null
        # Wait for the first server to write the registry and quit.
        "$server" -w >>"$logs/wineserver.log" 2>&1
        touch "$prefix/.qv-ready"
    fi
    "$server" -p >>"$logs/wineserver.log" 2>&1 </dev/null
    # Starts the system processes once, here, instead of inside the first test.
    "$wine" cmd /c exit 0 >"$logs/warmup.log" 2>&1 </dev/null
    ;;
cleanup)
    "$server" -k >>"$logs/wineserver.log" 2>&1 || true
    ;;
*)
    echo "usage: $0 setup|cleanup <wine> <wineserver> <prefix> <log dir>" >&2
    exit 2
    ;;
esac
