#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that exactly the expected files
# land where a desktop looks for them, and that each is valid: the desktop entry, the
# MIME package (really registered by update-mime-database), the icon and the manual
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
bin/vellacour-export
share/applications/org.vellacour.Vellacour.desktop
share/doc/vellacour/changelog.gz
share/doc/vellacour/copyright
share/icons/hicolor/scalable/apps/vellacour.svg
share/man/de/man1/vellacour-export.1.gz
share/man/de/man1/vellacour.1.gz
share/man/man1/vellacour-export.1.gz
share/man/man1/vellacour.1.gz
share/mime/packages/vellacour.xml"
installed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
[[ "$installed" == "$expected" ]] || fail "installed files differ:
$(diff <(echo "$expected") <(echo "$installed"))"
for program in vellacour vellacour-export; do
    [[ -x "$prefix/bin/$program" ]] || fail "$program is not executable"
done

desktop="$prefix/share/applications/org.vellacour.Vellacour.desktop"
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
grep -qx 'Exec=vellacour %f' "$desktop" || fail "desktop entry does not pass the file on"
grep -qx 'MimeType=application/x-vellacour-layout;' "$desktop" || fail "desktop entry lacks the layout type"
for key in GenericName Comment Keywords; do
    grep -q "^$key\[de\]=" "$desktop" || fail "desktop entry has no German $key"
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
