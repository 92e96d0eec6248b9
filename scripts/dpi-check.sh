#!/usr/bin/env bash
# The high-DPI check: the Windows build's dpi_tests under Wine with the test
# prefix at 144 DPI, screenshots in build/windows/artifacts/dpi-*.png.
# The DPI (LogPixels) is a setting of the whole prefix that each Wine process
# reads when it starts, so it is set with Wine down, the cases run, and it is set
# back to 96 afterwards. An interrupted run leaves the restore file behind, and
# the next zim_wine_up applies it, so no other test ever runs at 144 DPI.
#   scripts/dpi-check.sh [--build]     (--build: build dpi_tests first)
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build="$root/build/windows"

if [ "${1:-}" = --build ]; then
    cmake --preset windows >/dev/null && cmake --build --preset windows --target dpi_tests || exit 1
fi
[ -f "$build/bin/dpi_tests.exe" ] || { echo "no $build/bin/dpi_tests.exe: build it first (--build)" >&2; exit 1; }

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
if [ ! -f "$build/wineprefix/.zim-ready" ]; then
    zim_wine_up "$build" headless || exit 1
    zim_wine_down
fi
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv=d"
log="$build/wine-logs/dpi.log"
mkdir -p "$(dirname "$log")"

# Wine reads the first of these it finds; both are set, and both set back.
dpi_reg() {
    local user="$1" machine="$2"
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=%s\r\n\r\n' "$user"
    printf '[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts]\r\n'
    printf '"LogPixels"=%s\r\n' "$machine"
}
# Applied with no other Wine process about, then saved by a normal server exit.
# Wine's services inherit the output of the first process: never this script's.
apply_reg() {
    timeout 60 wine regedit /S "Z:${1//\//\\}" >>"$log" 2>&1 </dev/null
    timeout 60 wineserver -w >>"$log" 2>&1 </dev/null
}

set_file="$build/wine-logs/dpi-144.reg"
restore="$WINEPREFIX/.zim-dpi-restore.reg"
dpi_reg 'dword:00000090' 'dword:00000090' >"$set_file"
dpi_reg '-' 'dword:00000060' >"$restore"

restore_dpi() {
    zim_wine_down
    apply_reg "$restore" && rm -f "$restore"
}
trap restore_dpi EXIT

export ZIM_DPI_RUN=1
start=$(date +%s)
apply_reg "$set_file" || exit 1
zim_wine_up "$build" headless || exit 1
mkdir -p "$build/artifacts"
rm -f "$build"/artifacts/dpi-*.png
(cd "$build/bin" && ZIM_ARTIFACTS="Z:$build/artifacts" timeout 300 wine dpi_tests.exe --gtest_brief=1 </dev/null)
rc=$?
restore_dpi
trap - EXIT
echo "High-DPI check: exit $rc in $(($(date +%s) - start)) s; screenshots:"
find "$build/artifacts" -name 'dpi-*.png' | sort | sed 's/^/  /'
exit "$rc"
