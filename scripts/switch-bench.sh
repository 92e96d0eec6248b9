#!/usr/bin/env bash
# The switch benchmark, by hand (about three minutes; never part of the test
# command): under Wine, test windows in other processes stamp their own moves,
# and a switch of the real program is timed from its trigger (a click on a
# monitor cell) to the last window's move, against the floor (this machine
# moving the same windows with one SetWindowPos each, in one loop) and the
# probe-then-move loop, for 10, 50 and 200 windows and with 5 of 50 windows hung;
# then the idle CPU of 50 windows alone and with the program's monitor shown
# over them. Prints one table; figures and ratios are from this run on this
# machine only (kept in build/windows/switch-bench.txt).
#   scripts/switch-bench.sh [--switches N] [--counts 10,50,200] [--hung 5] [--hang-ms MS]
#                           [--rows floor,probe,async,program] [--idle-seconds 20] [--no-idle]
# Exits 0 with the table; 1 when something it needs does not build or start, or
# when a row failed (a switch that did not move every window in time).
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root" || exit 1

bench_args=()
idle_seconds=20
idle=1
while (($#)); do
    case "$1" in
    --switches | --counts | --hung | --hang-ms | --rows)
        (($# >= 2)) || { echo "switch-bench: $1 needs a value" >&2; exit 1; }
        bench_args+=("$1" "$2")
        shift 2
        ;;
    --idle-seconds)
        if (($# < 2)) || ! [[ "$2" =~ ^[1-9][0-9]*$ ]]; then
            echo "switch-bench: --idle-seconds needs a number" >&2
            exit 1
        fi
        idle_seconds="$2"
        shift 2
        ;;
    --no-idle)
        idle=0
        shift
        ;;
    *)
        sed -n '11,14p' "$0" | sed 's/^# \{0,1\}//' >&2
        exit 1
        ;;
    esac
done

bash scripts/deps.sh || exit 1
echo "[switch-bench] building" >&2
build_log="$(mktemp)"
if ! { cmake --preset windows && cmake --build --preset windows --target switch_bench; } >"$build_log" 2>&1; then
    tail -n 40 "$build_log" >&2
    rm -f "$build_log"
    echo "switch-bench: the Windows build failed (cmake --build --preset windows --target switch_bench)" >&2
    exit 1
fi
rm -f "$build_log"

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap zim_wine_down EXIT
zim_wine_up build/windows headless || { echo "switch-bench: Wine did not come up" >&2; exit 1; }
bin="$root/build/windows/bin"
out="$root/build/windows/switch-bench.txt"

machine() {
    echo "machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(wine --version 2>/dev/null),"
    echo "         $(uname -sr), Xvfb 1024x768x24, Zim Desk $(git -C "$root" describe --always --dirty 2>/dev/null)"
    load
    awk -v cores="$(nproc)" '$1 > cores / 2 {
        printf "warning: the machine is busy (load %s on %d cores): the figures scatter; rerun it when quiet\n", $1, cores
    }' /proc/loadavg
}

# Other work on the machine shows in every figure: say how busy it was (at the
# end the load holds the benchmark's own work too).
load() { echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min)"; }

# utime + stime of a Linux process, in clock ticks; nothing when it is gone.
cpu_ticks() {
    local stat
    stat="$(cat "/proc/$1/stat" 2>/dev/null)" || return 1
    # The fields after the command name, which is in parentheses and may hold
    # spaces: the state first, utime and stime 11 and 12 places after it.
    local fields
    read -ra fields <<<"${stat##*) }"
    echo $((fields[11] + fields[12]))
}

# A process of this prefix (it carries the prefix in its environment) whose
# name starts with NAME: the wineserver, Wine's desktop (explorer.exe).
prefix_process() {
    local p
    for p in /proc/[0-9]*; do
        if [[ "$(cat "$p/comm" 2>/dev/null)" == "$1"* ]] &&
            tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
            echo "${p#/proc/}"
            return 0
        fi
    done
    return 1
}

# The Linux process that runs a Windows program started as `wine PROGRAM &`
# (the launcher execs the loader, so it keeps the pid); else a process of this
# prefix whose command line names the program.
program_pid() {
    local pid="$1" name="$2" p
    if tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qiF "$name"; then
        echo "$pid"
        return 0
    fi
    for p in /proc/[0-9]*; do
        if tr '\0' ' ' <"$p/cmdline" 2>/dev/null | grep -qiF "$name" &&
            tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
            echo "${p#/proc/}"
            return 0
        fi
    done
    return 1
}

count_windows() { # CLASS: visible top-level windows of that class
    timeout 20 wine "$bin/testwin.exe" list 2>/dev/null </dev/null | grep -c "class=$1"$'\t'".*visible=1" || true
}

wait_windows() { # CLASS COUNT SECONDS
    local i
    for i in $(seq 1 $(($3 * 2))); do
        [ "$(count_windows "$1")" -ge "$2" ] && return 0
        sleep 0.5
    done
    return 1
}

idle_pids=()
idle_cleanup() {
    timeout 20 wine "$bin/testwin.exe" close --class TZIMMonitor >/dev/null 2>&1 </dev/null
    timeout 20 wine "$bin/testwin.exe" close --class ZimBenchWindow >/dev/null 2>&1 </dev/null
    local p i
    for p in "${idle_pids[@]}"; do
        for i in $(seq 1 30); do
            kill -0 "$p" 2>/dev/null || break
            sleep 0.5
        done
        kill "$p" 2>/dev/null
        wait "$p" 2>/dev/null
    done
    idle_pids=()
}

# The CPU each process used while nothing was asked of it, in % of one core:
# one figure per pid ("-" for none or one that ended), then the seconds.
measure() { # SECONDS PID...
    local seconds="$1" p t0 t1 before=() after=() i
    shift
    t0="$(date +%s.%N)"
    for p in "$@"; do before+=("$(cpu_ticks "$p" || echo -)"); done
    sleep "$seconds"
    for p in "$@"; do after+=("$(cpu_ticks "$p" || echo -)"); done
    t1="$(date +%s.%N)"
    for i in "${!before[@]}"; do
        if [ "${before[i]}" = - ] || [ "${after[i]}" = - ]; then
            printf -- '- '
        else
            awk -v t=$((after[i] - before[i])) -v a="$t0" -v b="$t1" -v hz="$(getconf CLK_TCK)" \
                'BEGIN { printf "%.2f ", 100 * t / hz / (b - a) }'
        fi
    done
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f\n", b - a }'
}

# 50 idle windows alone, then with Zim Desk on first-run settings and its
# monitor shown over them, left alone: the program's own process, and what
# its requests cost the wineserver, Wine's desktop and the X server.
idle_cpu() {
    echo "[switch-bench] idle CPU: 50 windows, ${idle_seconds} s without Zim Desk, ${idle_seconds} s with it" >&2
    (cd "$bin" && exec wine testwin.exe open --class ZimBenchWindow --title Idle --rect 40,40,360,240 --count 50 \
        >/dev/null 2>&1 </dev/null) &
    local windows_launcher=$!
    idle_pids+=("$windows_launcher")
    wait_windows ZimBenchWindow 50 30 || { echo "switch-bench: the 50 idle test windows did not open" >&2; return 1; }
    local testwin server desktop
    testwin="$(program_pid "$windows_launcher" testwin.exe)" ||
        { echo "switch-bench: cannot find testwin.exe's process" >&2; return 1; }
    server="$(prefix_process wineserver)" || server=0
    desktop="$(prefix_process explorer)" || desktop=0
    local others=("$testwin" "$server" "$desktop" "${ZIM_XVFB_PID:-0}")
    sleep 3
    local without
    read -ra without <<<"$(measure "$idle_seconds" "${others[@]}")"

    timeout 60 wine reg delete 'HKCU\Software\zimdesk.ini' /f >/dev/null 2>&1 </dev/null
    (cd "$bin" && exec wine zimdesk.exe >/dev/null 2>&1 </dev/null) &
    local launcher=$!
    idle_pids+=("$launcher")
    if ! wait_windows TZIMMonitor 1 20; then
        echo "switch-bench: zimdesk.exe did not start: no monitor within 20 s" >&2
        return 1
    fi
    local zim
    zim="$(program_pid "$launcher" zimdesk.exe)" || { echo "switch-bench: cannot find zimdesk.exe's process" >&2; return 1; }
    sleep 5 # the rest of its start
    local with
    read -ra with <<<"$(measure "$idle_seconds" "$zim" "${others[@]}")"
    if [ "${with[0]}" = - ]; then
        echo "switch-bench: zimdesk.exe ended during the idle measurement" >&2
        return 1
    fi

    printf '\nIdle CPU, %% of one core (utime + stime of each Linux process, over %s s and %s s):\n' \
        "${without[-1]}" "${with[-1]}"
    printf '  %-44s %16s %16s\n' "" "without Zim Desk" "with Zim Desk"
    printf '  %-44s %16s %16s\n' "zimdesk.exe, its monitor shown" - "${with[0]}"
    local names=("floor: testwin.exe, the 50 windows" "wineserver (serves every Wine process)"
        "explorer.exe (Wine's desktop)" "Xvfb (the X server)")
    local i
    for i in "${!names[@]}"; do
        printf '  %-44s %16s %16s\n' "${names[i]}" "${without[i]}" "${with[i + 1]}"
    done
    printf '  %-58s %-18s %s\n' "target: zimdesk.exe idle at most 0.5 % of one core" "${with[0]} %" \
        "$(awk -v p="${with[0]}" 'BEGIN { print (p <= 0.5) ? "met" : "NOT met" }')"
}

{
    echo "Zim Desk switch benchmark, $(date -u '+%Y-%m-%d %H:%M UTC')"
    machine
} | tee "$out"

echo "[switch-bench] switches (progress below, the table at the end)" >&2
table="$(cd "$bin" && wine switch_bench.exe "${bench_args[@]}" </dev/null)"
status=$?
printf '%s\n' "$table" | tee -a "$out"
failed=0
if [ "$status" -ne 0 ]; then
    if [ -z "$table" ]; then
        echo "switch-bench: switch_bench.exe failed (exit $status)" >&2
        exit 1
    fi
    failed=1 # some rows failed: the table says which; the idle figures still follow
fi

if [ "$idle" = 1 ]; then
    report="$(mktemp)"
    idle_cpu >"$report"
    status=$?
    idle_cleanup
    tee -a "$out" <"$report"
    rm -f "$report"
    if [ "$status" -ne 0 ]; then
        exit 1
    fi
fi
load | tee -a "$out"
echo "[switch-bench] the figures are also in $out" >&2
if [ "$failed" = 1 ]; then
    echo "switch-bench: some rows FAILED (see the table)" >&2
    exit 1
fi
exit 0
