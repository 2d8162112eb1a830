#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that exactly the expected files
# land where a desktop looks for them, and that each is valid: the desktop entry and the
# AppStream metadata, both named by the application ID and agreeing with each other, the
# MIME package (really registered by update-mime-database), the icons and the manual
# pages.
# usage: installed_files.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

expected="bin/vellacour
bin/vellacour-decode
bin/vellacour-decode-all
bin/vellacour-export
share/applications/org.vellacour.Vellacour.desktop
share/doc/vellacour/changelog.gz
share/doc/vellacour/copyright
share/icons/hicolor/128x128/apps/vellacour.png
share/icons/hicolor/48x48/apps/vellacour.png
share/icons/hicolor/64x64/apps/vellacour.png
share/icons/hicolor/scalable/apps/vellacour.svg
share/man/de/man1/vellacour-export.1.gz
share/man/de/man1/vellacour.1.gz
share/man/man1/vellacour-export.1.gz
share/man/man1/vellacour.1.gz
share/metainfo/org.vellacour.Vellacour.metainfo.xml
share/mime/packages/vellacour.xml"
installed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
[[ "$installed" == "$expected" ]] || fail "installed files differ:
$(diff <(echo "$expected") <(echo "$installed"))"
for program in vellacour vellacour-decode vellacour-decode-all vellacour-export; do
    [[ -x "$prefix/bin/$program" ]] || fail "$program is not executable"
done

desktop="$prefix/share/applications/org.vellacour.Vellacour.desktop"
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
grep -qx 'Exec=vellacour %f' "$desktop" || fail "desktop entry does not pass the file on"
grep -qx 'MimeType=application/x-vellacour-layout;' "$desktop" || fail "desktop entry lacks the layout type"
for key in GenericName Comment Keywords; do
    grep -q "^$key\[de\]=" "$desktop" || fail "desktop entry has no German $key"
done

# The AppStream metadata validates on its own and against the installed tree (which finds
# the desktop entry it names), without the network as in CI. It provides the installed
# programs and the layout type, and its one release is this version, on the date of the
# changelog's entry.
metainfo="$prefix/share/metainfo/org.vellacour.Vellacour.metainfo.xml"
appstreamcli validate --strict --no-net "$metainfo" || fail "AppStream metadata does not validate"
appstreamcli validate-tree --strict --no-net "$prefix" || fail "AppStream metadata does not fit the tree"
xpath() { xmllint --xpath "$1" "$metainfo"; }
binaries=$(xpath '//provides/binary/text()') || fail "AppStream metadata provides no program"
for binary in $binaries; do
    [[ -x "$prefix/bin/$binary" ]] || fail "AppStream metadata provides $binary, which is not installed"
done
[[ "$(xpath 'string(//provides/mediatype)')" == application/x-vellacour-layout ]] ||
    fail "AppStream metadata does not provide the layout type"
version=$("$prefix/bin/vellacour" --version)
[[ "$(xpath 'string(//release/@version)')" == "${version#vellacour }" ]] ||
    fail "AppStream release is not the version of '$version'"
changelog_date=$(zcat "$prefix/share/doc/vellacour/changelog.gz" |
    sed -n '/^ -- /{s/^.*>  [A-Z][a-z]*, \([0-9]* [A-Z][a-z]* [0-9]*\) .*/\1/p;q}')
[[ -n "$changelog_date" ]] || fail "the changelog's entry has no date"
[[ "$(xpath 'string(//release/@date)')" == "$(date -u -d "$changelog_date" +%F)" ]] ||
    fail "AppStream release date is not the changelog's $changelog_date"

# Each picture of the icon is a PNG of the size its folder names: the width and the height
# stand big-endian at bytes 16 and 20, after the signature and the header's length and type.
for png in "$prefix"/share/icons/hicolor/*x*/apps/vellacour.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    [[ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" == 89504e470d0a1a0a ]] || fail "$png is not a PNG"
    read -r width height < <(od -An -tu4 --endian=big -j16 -N8 "$png")
    [[ "${width}x$height" == "$size" ]] || fail "$png is ${width}x$height"
done

# The MIME package is well-formed and maps *.vco to the type the desktop entry names.
mime="$prefix/share/mime"
xmllint --noout "$mime/packages/vellacour.xml" || fail "MIME package is not well-formed"
XDG_DATA_DIRS="$prefix/share" update-mime-database "$mime" || fail "update-mime-database refused the MIME package"
grep -qx 'application/x-vellacour-layout:\*\.vco' <(cut -d: -f2- "$mime/globs2") ||
    fail "*.vco is not registered: $(cat "$mime/globs2")"
xmllint --xpath "string(//*[local-name()='comment'][@xml:lang='de'])" \
    "$mime/application/x-vellacour-layout.xml" | grep -qx 'Vellacour-Coverlayout' ||
    fail "the layout type has no German comment"

xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/vellacour.svg" ||
    fail "icon is not well-formed"

# Each manual page renders without a warning, in the language its folder says.
for page in "$prefix"/share/man/man1/*.1.gz "$prefix"/share/man/de/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [[ -z "$warnings" ]] || fail "$page: $warnings"
    heading=$(zcat "$page" | sed -n 2p)
    case "$page" in
    */de/man1/*) [[ "$heading" == ".SH BEZEICHNUNG" ]] || fail "$page is not German" ;;
    *) [[ "$heading" == ".SH NAME" ]] || fail "$page is not English" ;;
    esac
    # The version in the page's footer is the program's.
    name=$(basename "$page" .1.gz)
    version=$("$prefix/bin/$name" --version)
    zcat "$page" | head -1 | grep -qF "\"Vellacour ${version#"$name "}\"" ||
        fail "$page does not carry the version of '$version'"
done

echo "installed: $(echo "$installed" | wc -l) files, each valid"
