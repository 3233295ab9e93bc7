#!/bin/sh
# Installs the build into a temporary DESTDIR and checks the tree: both
# programs, the desktop entry (opens JPEG and PNG files through %f), the icon
# in the hicolor theme and the AppStream description, all named by the
# application ID, the man pages, the bash completion and the licence. (The
# validators run on the entry and the description as tests of their own.)
# Usage: check_install.sh CMAKE BUILD_DIR APP_ID
set -u
cmake=$1
build=$2
appid=$3
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! DESTDIR="$dest" "$cmake" --install "$build" --prefix /usr >"$dest.log" 2>&1; then
    cat "$dest.log"; rm -f "$dest.log"
    echo "FAIL: cmake --install"
    exit 1
fi
rm -f "$dest.log"
root=$dest/usr

for program in tintwell tintwell-cli; do
    [ -x "$root/bin/$program" ] || fail "bin/$program is missing or not executable"
done
desktop=$root/share/applications/$appid.desktop
metainfo=$root/share/metainfo/$appid.metainfo.xml
icon=$root/share/icons/hicolor/256x256/apps/$appid.png
for f in "$desktop" "$metainfo" "$icon" \
         "$root/share/icons/hicolor/scalable/apps/$appid.svg" \
         "$root/share/man/man1/tintwell.1" "$root/share/man/man1/tintwell-cli.1" \
         "$root/share/bash-completion/completions/tintwell-cli" \
         "$root/share/doc/Tintwell/LICENSE"; do
    [ -s "$f" ] || fail "${f#$dest} is missing or empty"
done

if [ -s "$desktop" ]; then
    grep -qx 'Exec=tintwell %f' "$desktop" || fail "desktop entry does not run 'tintwell %f'"
    grep -q '^MimeType=.*image/jpeg;' "$desktop" || fail "desktop entry lacks image/jpeg"
    grep -q '^MimeType=.*image/png;' "$desktop" || fail "desktop entry lacks image/png"
    grep -qx "Icon=$appid" "$desktop" || fail "desktop entry does not name the $appid icon"
fi
if [ -s "$icon" ] && command -v identify >/dev/null; then
    size=$(identify -format '%wx%h' "$icon")
    [ "$size" = 256x256 ] || fail "256x256 icon is $size"
fi
if [ -s "$metainfo" ]; then
    for needle in "<id>$appid</id>" "<launchable type=\"desktop-id\">$appid.desktop</launchable>" \
                  '<binary>tintwell</binary>' '<binary>tintwell-cli</binary>' \
                  '<content_rating' '<screenshot' '<description>'; do
        grep -qF "$needle" "$metainfo" || fail "metainfo lacks $needle"
    done
fi

[ "$failures" -eq 0 ] || exit 1
echo "PASS: install tree complete and valid"
