#!/usr/bin/env bash
# Makes the Debian package of a build folder (its program stripped, as the release package
# is) and checks it: the files it installs against a list, Section and the found
# dependencies, and that desktop-file-validate, appstreamcli and lintian report no error.
# Exit code 77 (skipped) where a package tool is missing.
#   checkpackage.sh <build folder> <expected file list>
set -euo pipefail
export LC_ALL=C
build="$1"
expected="$2"
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli lintian; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done

out="$build/package-check"
rm -rf "$out"
mkdir -p "$out"
if ! (cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1); then
    cat "$out/cpack.log"
    exit 1
fi
deb="$(ls "$out"/tallywork_*.deb)"
echo "== $deb"
status=0
fail() { echo "FAIL: $*"; status=1; }

dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./|/|' | sort >"$out/contents.txt"
diff -u "$expected" "$out/contents.txt" || fail "the package's files differ from $expected"

[ "$(dpkg-deb -f "$deb" Section)" = office ] || fail "Section is not office"
depends="$(dpkg-deb -f "$deb" Depends)"
case "$depends" in
*libqt6widgets6*libmdb3* | *libmdb3*libqt6widgets6*) ;;
*) fail "Depends lacks the libraries found by dpkg-shlibdeps: $depends" ;;
esac

root="$out/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/org.tallywork.tallywork.desktop" ||
    fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.tallywork.tallywork.metainfo.xml" ||
    fail "appstreamcli validate"
lintian --fail-on error "$deb" || fail "lintian"

# The manual page tells every option that --help lists.
man="$(zcat "$root/usr/share/man/man1/tallywork.1.gz")"
for option in $("$build/tallywork" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "${option//-/\\-}" <<<"$man" || fail "the manual page lacks $option"
done
exit $status
