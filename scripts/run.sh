#!/usr/bin/env bash
# Builds the Windows program and runs it under Wine. With no display it runs
# headless under Xvfb for a few seconds and saves a screenshot.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/deps.sh || exit 1
cmake --preset windows >/dev/null && cmake --build --preset windows || exit 1

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap zim_wine_down EXIT
zim_wine_up build/windows || exit 1

bin="$root/build/windows/bin"
if [ "$ZIM_HEADLESS" = 1 ]; then
    shot="$root/build/windows/zimdesk-screenshot.png"
    wine "$bin/zimdesk.exe" >build/windows/wine-logs/zimdesk.log 2>&1 </dev/null &
    app=$!
    sleep "${ZIM_RUN_SECONDS:-5}"
    timeout 30 wine "$bin/testwin.exe" screenshot --out "Z:$shot" </dev/null
    timeout 20 wine "$bin/testwin.exe" close --class TZIMMonitor >/dev/null 2>&1 </dev/null
    wait "$app"
    echo "Zim Desk ran headless under Xvfb (exit code $?)."
    echo "Screenshot: $shot"
else
    echo "Zim Desk is running in a Wine virtual desktop; close its monitor window to end it."
    wine "$bin/zimdesk.exe"
fi
