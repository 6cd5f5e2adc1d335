#!/usr/bin/env bash
# The Debian package as a user gets it, made from the hardened Release build
# beside the test build: lintian finds no error, warning or hardening flaw;
# the metainfo passes AppStream's pedantic validation and the desktop entry
# desktop-file-validate; the package holds the manual pages, the reference
# and the metainfo; each program's manual page names every option of its
# --help.
# Usage: package_test.sh RELEASE_BUILD_DIR
set -uo pipefail
build="$1"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

cd "$build" || exit 1
rm -f ./*.deb
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log; fail "cpack -G DEB"; exit 1; }
deb=$(ls ./*.deb)
echo "package: $deb"

# Errors and warnings fail; of the informational tags, those about hardening.
lintian --display-info --fail-on error,warning "$deb" >lintian.log 2>&1 || fail "lintian"
cat lintian.log
grep -E '^I: .*hardening' lintian.log && fail "lintian: binaries not hardened"

rm -rf root && mkdir root && dpkg-deb -x "$deb" root || fail "dpkg-deb -x"
for file in usr/bin/kolvar usr/share/man/man1/kolvar.1.gz usr/share/man/man1/kolvar-3ds.1.gz \
    usr/share/man/man1/kolvar-make-world.1.gz usr/share/doc/kolvar/copyright \
    usr/share/doc/kolvar/changelog.gz usr/share/doc/kolvar/docs/map-format.md \
    usr/share/doc/kolvar/docs/screenshot.png usr/share/applications/kolvar.desktop; do
    [ -f "root/$file" ] || fail "not in the package: $file"
done
metainfo=$(ls root/usr/share/metainfo/*.metainfo.xml) || fail "no metainfo in the package"
# Any remark at all, pedantic ones included, counts.
appstreamcli validate --no-net --pedantic "$metainfo" >appstream.log 2>&1 || fail "appstreamcli"
cat appstream.log
grep -qE '^\s+[EWIP]: ' appstream.log && fail "appstreamcli: remarks on the metainfo"
desktop-file-validate root/usr/share/applications/kolvar.desktop || fail "desktop-file-validate"
grep -q "<release version=\"$(dpkg-deb -f "$deb" Version)\"" "$metainfo" ||
    fail "the metainfo's releases lack the package's version"

# Every option a program's --help lists is in its manual page.
for program in kolvar kolvar-3ds kolvar-make-world; do
    page=$(zcat "root/usr/share/man/man1/$program.1.gz" | sed 's/\\-/-/g')
    for option in $("./$program" --help | grep -oE '^ +(-[a-z], )?--[a-z-]+' | grep -oE -- '-[-a-z]+'); do
        grep -qF -- "$option" <<<"$page" || fail "$program.1 does not name $option"
    done
done
exit $failed
