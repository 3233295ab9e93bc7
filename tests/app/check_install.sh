#!/bin/sh
# Installs the build into a temporary DESTDIR and checks the tree: both
# programs, the desktop entry (opens JPEG and PNG files through %f), the icon
# in the hicolor theme and the AppStream description; validates the last two
# with desktop-file-validate and appstreamcli when they are installed.
# Usage: check_install.sh CMAKE BUILD_DIR
set -u
cmake=$1
build=$2
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
desktop=$root/share/applications/tintwell.desktop
metainfo=$root/share/metainfo/io.example.Tintwell.metainfo.xml
for f in "$desktop" "$metainfo" \
         "$root/share/icons/hicolor/scalable/apps/tintwell.svg" \
         "$root/share/icons/hicolor/256x256/apps/tintwell.png"; do
    [ -s "$f" ] || fail "${f#$dest} is missing or empty"
done

if [ -s "$desktop" ]; then
    grep -qx 'Exec=tintwell %f' "$desktop" || fail "desktop entry does not run 'tintwell %f'"
    grep -q '^MimeType=.*image/jpeg;' "$desktop" || fail "desktop entry lacks image/jpeg"
    grep -q '^MimeType=.*image/png;' "$desktop" || fail "desktop entry lacks image/png"
    grep -qx 'Icon=tintwell' "$desktop" || fail "desktop entry does not name the tintwell icon"
fi
if [ -s "$root/share/icons/hicolor/256x256/apps/tintwell.png" ] && command -v identify >/dev/null; then
    size=$(identify -format '%wx%h' "$root/share/icons/hicolor/256x256/apps/tintwell.png")
    [ "$size" = 256x256 ] || fail "256x256 icon is $size"
fi
if [ -s "$metainfo" ]; then
    for needle in '<launchable type="desktop-id">tintwell.desktop</launchable>' \
                  '<binary>tintwell</binary>' '<binary>tintwell-cli</binary>' \
                  '<content_rating' '<screenshot' '<description>'; do
        grep -qF "$needle" "$metainfo" || fail "metainfo lacks $needle"
    done
fi

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
else
    echo "SKIP: desktop-file-validate not installed"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
else
    echo "SKIP: appstreamcli not installed"
fi

[ "$failures" -eq 0 ] || exit 1
echo "PASS: install tree complete and valid"
