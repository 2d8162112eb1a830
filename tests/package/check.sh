#!/usr/bin/env bash
# Builds the Debian package and checks it for real: lintian finds no error, it holds
# exactly the program's files, it installs with apt-get, the installed programs run and
# print a cover sheet, and purging it leaves none of its files behind. Run as root; the
# package is purged again however the check ends.
# usage: tests/package/check.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/common.sh"
install_packages lintian poppler-utils libjpeg-turbo-progs imagemagick webp
work=$(mktemp -d)
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -y -qq "$@"; }
installed() { dpkg-query -W -f='${Status}' vellacour 2>/dev/null | grep -q 'install ok installed'; }
cleanup() {
    installed && apt_get purge vellacour >/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
installed && fail "vellacour is installed already; remove it first"

"$root/scripts/package" "$work"
debs=("$work"/vellacour_*.deb)
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
[[ "$(basename "$deb")" == "vellacour_${version}_$(dpkg --print-architecture).deb" ]] ||
    fail "package file is named $(basename "$deb")"

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

# Exactly the program's files, under /usr; no test program among them.
expected="./usr/bin/vellacour
./usr/bin/vellacour-decode
./usr/bin/vellacour-decode-all
./usr/bin/vellacour-export
./usr/share/applications/org.vellacour.Vellacour.desktop
./usr/share/doc/vellacour/changelog.gz
./usr/share/doc/vellacour/copyright
./usr/share/icons/hicolor/128x128/apps/vellacour.png
./usr/share/icons/hicolor/48x48/apps/vellacour.png
./usr/share/icons/hicolor/64x64/apps/vellacour.png
./usr/share/icons/hicolor/scalable/apps/vellacour.svg
./usr/share/man/de/man1/vellacour-export.1.gz
./usr/share/man/de/man1/vellacour.1.gz
./usr/share/man/man1/vellacour-export.1.gz
./usr/share/man/man1/vellacour.1.gz
./usr/share/metainfo/org.vellacour.Vellacour.metainfo.xml
./usr/share/mime/packages/vellacour.xml"
files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | LC_ALL=C sort)
[[ "$files" == "$expected" ]] || fail "package files differ:
$(diff <(echo "$expected") <(echo "$files"))"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libcups2 fonts-liberation2 qt6-translations-l10n libqt6widgets6 libjpeg62-turbo \
    qt6-image-formats-plugins libqt6svg6; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done
[[ "$(dpkg-deb -f "$deb" Section)" == graphics ]] || fail "section is not graphics"
[[ "$(dpkg-deb -f "$deb" Recommends)" == fonts-wine ]] || fail "Recommends is not fonts-wine"

echo "== install"
apt_get install "$deb" >/dev/null
installed || fail "the package did not install"
owned=$(dpkg -L vellacour)
for program in vellacour vellacour-export; do
    [[ "$(env -u DISPLAY -u QT_QPA_PLATFORM "/usr/bin/$program" --version)" == "$program $version" ]] ||
        fail "installed $program does not say its version $version"
    file "/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
done
# The catalogues are built into the installed programs: they speak the environment's language.
usage() { env -u DISPLAY -u QT_QPA_PLATFORM -u LANGUAGE -u LC_ALL -u LC_MESSAGES "$@" \
    /usr/bin/vellacour-export --help | head -n 1; }
[[ "$(usage LANG=en_US.UTF-8)" == "Usage: vellacour-export "* ]] ||
    fail "the installed vellacour-export does not speak English: $(usage LANG=en_US.UTF-8)"
[[ "$(usage LANG=C)" == "Aufruf: vellacour-export "* ]] ||
    fail "the installed vellacour-export does not speak German: $(usage LANG=C)"
[[ "$(man -w vellacour-export)" == /usr/share/man/man1/vellacour-export.1.gz ]] ||
    fail "man does not find vellacour-export(1)"
grep -qx 'application/x-vellacour-layout:\*\.vco' <(cut -d: -f2- /usr/share/mime/globs2) ||
    fail "the desktop's MIME database does not know *.vco"

# A layout of a JPEG cover and a BMP back, both 4 x 4, printed by the installed program.
printf 'P6\n4 4\n255\n' >"$work/cover.ppm"
for _ in $(seq 1 16); do printf '\377\000\000' >>"$work/cover.ppm"; done
cjpeg -quality 95 "$work/cover.ppm" >"$work/cover.jpg"
printf 'BM\x66\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x04\x00\x00\x00\x04\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x30\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$work/back.bmp"
for _ in $(seq 1 16); do printf '\377\000\000' >>"$work/back.bmp"; done
printf '[Vellacour]\ncover=%s\nback=%s\n' "$work/cover.jpg" "$work/back.bmp" >"$work/cover.vco"
(cd "$work" && env -u DISPLAY -u QT_QPA_PLATFORM /usr/bin/vellacour-export sheet cover.vco \
    -o cover.pdf --frames) || fail "the installed vellacour-export could not print the sheet"
pdfinfo "$work/cover.pdf" | grep -qE '^Page size: +842 x 595 pts \(A4\)' ||
    fail "the sheet is not one landscape A4 page: $(pdfinfo "$work/cover.pdf")"

# One file of each kind the helper decodes, opened by the installed program through the
# installed helper and its plugins.
printf '<svg xmlns="http://www.w3.org/2000/svg" width="4" height="4"><rect width="4" height="4"/></svg>' \
    >"$work/kind.svg"
convert "$work/cover.ppm" "$work/kind.tif"
convert "$work/cover.ppm" "$work/kind.gif"
convert "$work/cover.ppm" "$work/kind.png"
cwebp -quiet "$work/kind.png" -o "$work/kind.webp"
for kind in webp tif gif svg; do
    (cd "$work" && env -u DISPLAY -u QT_QPA_PLATFORM /usr/bin/vellacour-export picture \
        "kind.$kind" -o "kind-$kind.png") || fail "the installed program could not open a .$kind file"
done

echo "== purge"
apt_get purge vellacour >/dev/null
installed && fail "the package is still installed"
while read -r path; do
    [[ -d "$path" && ! -L "$path" ]] && continue
    [[ -e "$path" || -L "$path" ]] && fail "$path is left after purging"
done <<<"$owned"
[[ -e /usr/share/doc/vellacour ]] && fail "/usr/share/doc/vellacour is left after purging"
grep -q 'vellacour' /usr/share/mime/globs2 && fail "the MIME database still knows the layout type"
echo "package $(basename "$deb"): lintian clean of errors, installed, run and purged"
