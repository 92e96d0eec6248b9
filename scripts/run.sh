#!/usr/bin/env bash
# Builds the Windows program and runs it under Wine. With no display it runs
# headless under Xvfb: a few test windows on three desktops, the view switched
# by clicks on the monitor, screenshots and an animated GIF saved.
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
    # A short tour of the main job: test windows on three desktops, then the
    # view switched between them by real clicks on the monitor's cells, each
    # desktop saved as a screenshot and the sequence as one animated GIF.
    out="$root/build/windows/run"
    rm -rf "$out"
    mkdir -p "$out" build/windows/wine-logs
    tw() { timeout 30 wine "$bin/testwin.exe" "$@" </dev/null; }
    wine "$bin/zimdesk.exe" >build/windows/wine-logs/zimdesk.log 2>&1 </dev/null &
    app=$!
    for _ in $(seq 60); do
        tw list 2>/dev/null | grep -q "class=TZIMMonitor.*visible=1" && break
        sleep 0.25
    done
    open_window() { wine "$bin/testwin.exe" open --title "$1" --rect "$2" >/dev/null 2>&1 </dev/null & }
    switch_to() { tw click-cell --column "$1" --row "$2" && sleep 1.2; }
    # A desktop lies whole screens away from the shown one (1024 x 768 here):
    # these windows open straight onto desktops (0,0), (1,0) and (1,1).
    open_window "Editor" 200,60,460,320
    open_window "Notes" 560,300,380,280
    open_window "Browser" 1184,120,640,440
    open_window "Mail" 1324,848,420,300
    open_window "Terminal" 1444,1168,500,240
    sleep 2
    shots=()
    n=1
    for cell in "0 0" "1 0" "1 1" "0 0"; do
        # shellcheck disable=SC2086
        switch_to $cell
        shot="$out/desktop-$n.png"
        tw screenshot --out "Z:$shot" && shots+=("$shot")
        n=$((n + 1))
    done
    tw close --class TZIMMonitor >/dev/null 2>&1
    wait "$app"
    code=$?
    tw close --class ZimTestWindow >/dev/null 2>&1
    gif="$out/zimdesk-tour.gif"
    if ((${#shots[@]})) && convert -delay 80 -loop 0 "${shots[@]}" "$gif"; then
        shots+=("$gif")
    fi
    echo "Zim Desk ran headless under Xvfb (exit code $code)."
    echo "Screenshots and the animation:"
    printf '  %s\n' "${shots[@]}"
else
    echo "Zim Desk is running in a Wine virtual desktop; close its monitor window to end it."
    wine "$bin/zimdesk.exe"
fi
