#!/usr/bin/env bash
# The idle cost of the real program under Wine with its monitor shown over 50
# test windows of other processes (ten per process, on five desktops), read from
# the Linux processes' CPU time (/proc/PID/stat utime + stime) over a quiet
# interval. In the same interval it reads an idle helper process with a hidden
# window (the floor: what any idle Wine GUI process costs), the processes that
# own the test windows, and the prefix's wineserver, which answers the
# program's questions about other processes' windows. Beside it runs the tick
# floor: a helper that only asks, every 50 ms, what the program's input tick
# must ask (testwin.exe input-tick), the least any program polling the input
# that way costs on this Wine.
# A measurement run by hand, never by CTest.
#   tests/bench/monitor-idle.sh [-s SECONDS] [-r ROUNDS] [--hidden] LABEL=EXE...
#   tests/bench/monitor-idle.sh --refresh [-n REFRESHES] [-r ROUNDS] LABEL=EXE...
# Each EXE (a zimdesk.exe, e.g. one saved from an earlier build) is copied into
# the build's bin folder for its run and removed afterwards; with --hidden a
# run with the monitor hidden follows each. With --refresh each EXE is a
# monitor_refresh_bench.exe, run over the same 50 windows: the refresh alone,
# back to back, then the z-order walk alone, each with the wineserver's time.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$root"

seconds=20
rounds=1
hidden=0
refresh=0
refreshes=2000
variants=()
while (($#)); do
    case "$1" in
    -s) seconds="$2"; shift 2 ;;
    -r) rounds="$2"; shift 2 ;;
    -n) refreshes="$2"; shift 2 ;;
    --hidden) hidden=1; shift ;;
    --refresh) refresh=1; shift ;;
    *=*) variants+=("$1"); shift ;;
    *)
        echo "usage: $0 [-s SECONDS] [-r ROUNDS] [--hidden] LABEL=EXE..." >&2
        echo "       $0 --refresh [-n REFRESHES] [-r ROUNDS] LABEL=EXE..." >&2
        exit 2
        ;;
    esac
done
if ((${#variants[@]} == 0)); then
    if ((refresh)); then
        variants=("current=$root/build/windows/bin/monitor_refresh_bench.exe")
    else
        variants=("current=$root/build/windows/bin/zimdesk.exe")
    fi
fi

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
copies=()
helpers=()
cleanup() {
    local p
    for p in "${helpers[@]}"; do kill "$p" 2>/dev/null; done
    zim_wine_down
    for p in "${copies[@]}"; do rm -f -- "$p"; done
}
trap cleanup EXIT
zim_wine_up build/windows headless || exit 1
bin="$root/build/windows/bin"
logs="$root/build/windows/wine-logs"
hz="$(getconf CLK_TCK)"

tw() { timeout 30 wine "$bin/testwin.exe" "$@" </dev/null 2>/dev/null; }
# utime + stime in clock ticks; the command name may hold blanks, so fields
# are counted after its closing parenthesis.
ticks() { sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null | awk '{print $12 + $13}'; }
# The Linux process running a Windows program whose command line names `name`,
# among the children of `parent` (the wine launcher execs into it, or starts it).
pid_of() {
    local name="$1" parent="$2" p
    for p in "$parent" $(pgrep -P "$parent" 2>/dev/null); do
        if tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -qi -- "$name"; then
            echo "$p"
            return 0
        fi
    done
    return 1
}
# The wineserver of this prefix works in the folder named after the prefix's device and inode.
server_pid() {
    local dir p
    dir="$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")"
    for p in /proc/[0-9]*; do
        if [[ "$(cat "$p/comm" 2>/dev/null)" == wineserver* ]] && [[ "$(readlink "$p/cwd" 2>/dev/null)" == */"$dir" ]]; then
            echo "${p#/proc/}"
            return 0
        fi
    done
    return 1
}
count_test_windows() { tw list | grep -c 'class=ZimTestWindow.*visible=1'; }

open_test_windows() {
    helpers=()
    # Desktops (1,0), (0,1), (2,2), (1,1) first and the shown one last, so that
    # the foreground stays on the shown desktop and the view does not follow it.
    # One process after the other: the last one opened has the foreground.
    local i x y want=0 ok
    for i in 1 3 8 4 0; do
        x=$(((i % 3) * 1024 + 80 + i * 30))
        y=$(((i / 3) * 768 + 60 + i * 20))
        wine "$bin/testwin.exe" open --title "Idle $i" --rect "$x,$y,420,300" --count 10 \
            >"$logs/idle-helper-$i.log" 2>&1 </dev/null &
        helpers+=($!)
        want=$((want + 10))
        ok=0
        for _ in $(seq 100); do
            [ "$(count_test_windows)" -ge "$want" ] && ok=1 && break
            sleep 0.2
        done
        ((ok)) || { echo "the test windows did not all appear" >&2; return 1; }
    done
}

close_test_windows() {
    tw close --class ZimTestWindow >/dev/null
    local p
    for p in "${helpers[@]}"; do wait "$p" 2>/dev/null; done
    helpers=()
}

percent() { awk -v t="$1" -v hz="$hz" -v s="$2" 'BEGIN { printf "%.2f", 100 * t / (hz * s) }'; }

# One run: the program with the monitor shown or hidden, measured for $seconds.
measure() {
    local label="$1" exe="$2" shown="$3"
    local name copy
    name="zimdesk-idle-$label.exe"
    copy="$bin/$name"
    cp -- "$exe" "$copy" && copies+=("$copy")
    open_test_windows || return 1
    timeout 30 wine reg delete 'HKCU\Software\zimdesk.ini' /f >/dev/null 2>&1 </dev/null
    if [ "$shown" = 0 ]; then
        timeout 30 wine reg add 'HKCU\Software\zimdesk.ini\ZIMMonitor' /v Visible /d 0 /f >/dev/null 2>&1 </dev/null
    fi
    wine "$bin/testwin.exe" open --title "Idle floor" --state hidden >"$logs/idle-floor.log" 2>&1 </dev/null &
    local floor_launcher=$!
    wine "$bin/testwin.exe" input-tick --ms $(((seconds + 60) * 1000)) >"$logs/idle-tick.log" 2>&1 </dev/null &
    local tick_launcher=$!
    (cd "$bin" && exec wine "$copy") >"$logs/idle-$label.log" 2>&1 </dev/null &
    local app_launcher=$!
    local ready=0
    for _ in $(seq 100); do
        if [ "$shown" = 1 ]; then
            tw list | grep -q 'class=TZIMMonitor.*visible=1' && ready=1
        else
            tw list | grep -qP 'class=TZIM\t' && ready=1
        fi
        ((ready)) && break
        sleep 0.2
    done
    ((ready)) || { echo "$label: the program did not come up" >&2; return 1; }
    local app floor server
    app="$(pid_of "$name" "$app_launcher")" || { echo "$label: no process for $name" >&2; return 1; }
    floor="$(pid_of testwin.exe "$floor_launcher")" || { echo "$label: no floor process" >&2; return 1; }
    local tick
    tick="$(pid_of testwin.exe "$tick_launcher")" || { echo "$label: no tick floor process" >&2; return 1; }
    server="$(server_pid)" || { echo "$label: no wineserver" >&2; return 1; }
    # Let start-up work (skins, the first pictures, the foreground) finish.
    sleep 5
    local a0 f0 s0 t0 h0=0 a1 f1 s1 t1 h1=0 p
    local owners=()
    for p in "${helpers[@]}"; do owners+=("$(pid_of testwin.exe "$p")"); done
    a0="$(ticks "$app")"; f0="$(ticks "$floor")"; s0="$(ticks "$server")"; t0="$(ticks "$tick")"
    for p in "${owners[@]}"; do h0=$((h0 + $(ticks "$p"))); done
    sleep "$seconds"
    a1="$(ticks "$app")"; f1="$(ticks "$floor")"; s1="$(ticks "$server")"; t1="$(ticks "$tick")"
    for p in "${owners[@]}"; do h1=$((h1 + $(ticks "$p"))); done
    local windows
    windows="$(count_test_windows)"
    printf '%-10s %-7s %8s %8s %8s %10s %10s %9s   (%d test windows, %d s)\n' "$label" \
        "$([ "$shown" = 1 ] && echo shown || echo hidden)" \
        "$(percent $((a1 - a0)) "$seconds")" "$(percent $((f1 - f0)) "$seconds")" \
        "$(percent $((a1 - a0 - (f1 - f0))) "$seconds")" "$(percent $((t1 - t0)) "$seconds")" \
        "$(percent $((s1 - s0)) "$seconds")" \
        "$(percent $((h1 - h0)) "$seconds")" "$windows" "$seconds"
    tw close --class TZIMMonitor >/dev/null
    wait "$app_launcher" 2>/dev/null
    tw close --class ZimTestWindow --title "Idle floor" >/dev/null
    wait "$floor_launcher" 2>/dev/null
    kill "$tick_launcher" "$tick" 2>/dev/null
    wait "$tick_launcher" 2>/dev/null
    close_test_windows
    rm -f -- "$copy"
}

# The refresh alone, back to back, over the same windows; then the z-order walk alone.
bench_refresh() {
    local label="$1" exe="$2" server s0 s1 mode out
    open_test_windows || return 1
    server="$(server_pid)" || { echo "$label: no wineserver" >&2; return 1; }
    for mode in refresh walk; do
        s0="$(ticks "$server")"
        out="$(timeout 600 wine "$exe" "$refreshes" "$mode" </dev/null 2>&1 | tr -d '\r')"
        s1="$(ticks "$server")"
        printf '%-10s %s; wineserver %s us each\n' "$label" "$out" \
            "$(awk -v t=$((s1 - s0)) -v hz="$hz" -v n="$refreshes" 'BEGIN { printf "%.1f", 1e6 * t / hz / n }')"
    done
    close_test_windows
}

if ((refresh)); then
    for _ in $(seq "$rounds"); do
        for v in "${variants[@]}"; do
            bench_refresh "${v%%=*}" "${v#*=}"
        done
    done
    exit 0
fi

echo "CPU time as % of one core over ${seconds} s (clock ticks of 1/${hz} s)"
printf '%-10s %-7s %8s %8s %8s %10s %10s %9s\n' variant monitor program floor excess "tick floor" wineserver owners
for _ in $(seq "$rounds"); do
    for v in "${variants[@]}"; do
        measure "${v%%=*}" "${v#*=}" 1
        if ((hidden)); then
            measure "${v%%=*}" "${v#*=}" 0
        fi
    done
done
