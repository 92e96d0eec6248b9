# Sourced by test.sh and run.sh: a Wine prefix under the build folder (made once
# and reused), a display (Xvfb when there is none), and a process that keeps
# Wine's virtual desktop up for the whole run.
#   zim_wine_up BUILD_DIR [headless]   zim_wine_down
# Everything started here is stopped by zim_wine_down, and only that.

zim_wine_log() { echo "[wine-env] $*" >&2; }

zim_free_display() {
    local n
    for n in $(seq 90 199); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            echo "$n"
            return 0
        fi
    done
    return 1
}

# A new prefix links the user's Desktop, Documents, ... to the machine's home
# folder: a test that moves desktop entries would move the home folder's files.
# Each link becomes a real, empty folder of the prefix (rm removes the link, never
# what it points to).
zim_unlink_home_folders() {
    local link
    for link in "$WINEPREFIX"/drive_c/users/*/*; do
        if [ -L "$link" ]; then
            rm -f -- "$link" && mkdir -p -- "$link"
        fi
    done
}

zim_wine_up() {
    local build="$1" mode="${2:-auto}"
    ZIM_WINE_BUILD="$(cd "$build" && pwd)"
    ZIM_XVFB_PID=""
    ZIM_KEEPER_PID=""
    local logs="$ZIM_WINE_BUILD/wine-logs"
    mkdir -p "$logs"

    if [ "$mode" = headless ] || [ -z "${DISPLAY:-}" ]; then
        local n
        n="$(zim_free_display)" || { zim_wine_log "no free X display"; return 1; }
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$logs/xvfb.log" 2>&1 &
        ZIM_XVFB_PID=$!
        local i
        for i in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        export DISPLAY=":$n"
        ZIM_HEADLESS=1
    else
        ZIM_HEADLESS=0
    fi

    export WINEPREFIX="$ZIM_WINE_BUILD/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv=d"
    export WINEARCH=win64

    if [ ! -f "$WINEPREFIX/.zim-ready" ]; then
        zim_wine_log "creating the Wine prefix in $WINEPREFIX (once per build folder)"
        rm -rf "$WINEPREFIX"
        timeout 180 wine wineboot -i >"$logs/wineboot.log" 2>&1 </dev/null || { zim_wine_log "wineboot failed"; return 1; }
        # A desktop named "shell" has a visible task bar with a notification area.
        timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >>"$logs/wineboot.log" 2>&1 </dev/null
        timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >>"$logs/wineboot.log" 2>&1 </dev/null
        # Without real fonts caption buttons draw as letters.
        dpkg -L fonts-wine | grep '\.ttf$' | xargs -I{} cp {} "$WINEPREFIX/drive_c/windows/Fonts/"
        timeout 60 wineserver -w
        zim_unlink_home_folders
        touch "$WINEPREFIX/.zim-ready"
    fi
    # Also for a prefix made before this step existed, or re-linked by a Wine update.
    zim_unlink_home_folders
    # An interrupted high-DPI check (scripts/dpi-check.sh) left the prefix at its
    # DPI; that check itself sets ZIM_DPI_RUN.
    if [ -z "${ZIM_DPI_RUN:-}" ] && [ -f "$WINEPREFIX/.zim-dpi-restore.reg" ]; then
        zim_wine_log "setting the prefix back to 96 DPI"
        timeout 60 wine regedit /S "Z:${WINEPREFIX//\//\\}\\.zim-dpi-restore.reg" >"$logs/dpi-restore.log" 2>&1 </dev/null &&
            timeout 60 wineserver -w && rm -f "$WINEPREFIX/.zim-dpi-restore.reg"
    fi

    # Wine's service processes inherit the output of the process that starts them:
    # start them from here with output to a file, never from inside ctest.
    wine "$ZIM_WINE_BUILD/bin/testwin.exe" keepalive >"$logs/keeper.log" 2>&1 </dev/null &
    ZIM_KEEPER_PID=$!
    local i
    for i in $(seq 1 300); do
        if timeout 20 wine "$ZIM_WINE_BUILD/bin/testwin.exe" list 2>/dev/null </dev/null | grep -q 'class=ZimKeepAlive'; then
            zim_wine_log "Wine desktop up on DISPLAY=$DISPLAY"
            return 0
        fi
        sleep 0.2
    done
    zim_wine_log "the Wine desktop did not come up"
    return 1
}

zim_wine_down() {
    if [ -n "${WINEPREFIX:-}" ] && [ -n "${ZIM_WINE_BUILD:-}" ]; then
        timeout 20 wine "$ZIM_WINE_BUILD/bin/testwin.exe" close --class ZimKeepAlive >/dev/null 2>&1 </dev/null || true
        timeout 30 wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "${ZIM_KEEPER_PID:-}" ]; then
        kill "$ZIM_KEEPER_PID" 2>/dev/null || true
        wait "$ZIM_KEEPER_PID" 2>/dev/null || true
    fi
    if [ -n "${ZIM_XVFB_PID:-}" ]; then
        kill "$ZIM_XVFB_PID" 2>/dev/null || true
        wait "$ZIM_XVFB_PID" 2>/dev/null || true
    fi
    ZIM_KEEPER_PID=""
    ZIM_XVFB_PID=""
}
