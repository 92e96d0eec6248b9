#!/usr/bin/env bash
# The long randomized recovery check, by hand (it takes many minutes, so the
# test command never runs it): random switches of the real program under Wine
# with 30 windows (held, hung and far ones among them), killed after some
# switches and in the middle of others, restarted each time; every window must
# come back. Prints the counts at the end.
#   scripts/kill-soak.sh [SWITCHES [SEED]]     (default 1000 switches, seed 1)
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/deps.sh || exit 1
cmake --preset windows >/dev/null && cmake --build --preset windows || exit 1

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap zim_wine_down EXIT
zim_wine_up build/windows headless || exit 1
cd build/windows
ZIM_SOAK_SWITCHES="${1:-1000}" ZIM_SOAK_SEED="${2:-1}" ZIM_ARTIFACTS="Z:$PWD/artifacts" \
    wine bin/e2e_tests.exe --gtest_also_run_disabled_tests --gtest_filter='Recovery.DISABLED_RandomSwitchesWithKills' \
    2> >(grep -v '^[[:space:]]' >&2)
