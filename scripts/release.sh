#!/usr/bin/env bash
# Builds a release: the Windows build, its zip and the installer, with SHA-256
# sums, in build/windows/release/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target zip

version=$(sed -nE 's/^project\(ZimDesk VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
bin="$root/build/windows/bin"
out="$root/build/windows/release"
rm -rf "$out"
mkdir -p "$out"

# The uninstaller removes the shipped skins the program copied into skins\,
# file by file, so that a user's own skins stay.
list="$out/shipped-skins.nsh"
for f in data/*; do
    printf '  Delete "$INSTDIR\\skins\\%s"\n' "$(basename "$f")"
done >"$list"

cp build/windows/zimdesk.zip "$out/zimdesk-$version.zip"
makensis -V2 -DVERSION="$version" -DBIN="$bin" -DSHIPPED_SKINS="$list" \
    -DOUT="$out/zimdesk-$version-setup.exe" installer/zimdesk.nsi
rm "$list"

(cd "$out" && sha256sum "zimdesk-$version.zip" "zimdesk-$version-setup.exe" >SHA256SUMS)
echo "Release $version in $out:"
sed 's/^/  /' "$out/SHA256SUMS"
