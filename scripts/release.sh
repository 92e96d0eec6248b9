#!/usr/bin/env bash
# Builds a release: the Windows build, its zip and the installer, with SHA-256
# sums, in build/windows/release/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/deps.sh
cmake --preset windows >/dev/null
# The installer target runs makensis on installer/zimdesk.nsi (installer/CMakeLists.txt).
cmake --build --preset windows --target zip installer

version=$(sed -nE 's/^project\(ZimDesk VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
out="$root/build/windows/release"
rm -rf "$out"
mkdir -p "$out"
cp build/windows/zimdesk.zip "$out/zimdesk-$version.zip"
cp build/windows/zimdesk-setup.exe "$out/zimdesk-$version-setup.exe"

(cd "$out" && sha256sum "zimdesk-$version.zip" "zimdesk-$version-setup.exe" >SHA256SUMS)
echo "Release $version in $out:"
sed 's/^/  /' "$out/SHA256SUMS"
