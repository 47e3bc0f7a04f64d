#!/usr/bin/env bash
# The installable application: the desktop entry and the metainfo validate without a word, and
# the Debian package made from this build passes lintian and installs every file where the
# desktop looks for it. Usage: check_package.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
id=br.com.norvale.tessaly

appstreamcli validate --no-net --pedantic "$source_dir/resources/desktop/$id.metainfo.xml"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$build_dir" && cpack -G DEB -B "$scratch/out" > "$scratch/cpack.log") ||
    { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/out/*.deb)
lintian --fail-on error,warning "$deb" 2> >(grep -v 'root privileges' >&2)

dpkg -x "$deb" "$scratch/root"
expected=(
    usr/bin/tessaly
    "usr/share/applications/$id.desktop"
    "usr/share/metainfo/$id.metainfo.xml"
    "usr/share/icons/hicolor/scalable/apps/$id.svg"
    "usr/share/icons/hicolor/symbolic/apps/$id-symbolic.svg"
    usr/share/man/man1/tessaly.1.gz
    usr/share/doc/tessaly/copyright
    usr/share/doc/tessaly/changelog.gz
)
for size in 16 22 24 32 48 64 128 256 512; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
    [ -s "$scratch/root/$file" ] || { echo "missing from the package: /$file"; exit 1; }
done
entry="$scratch/root/usr/share/applications/$id.desktop"
desktop-file-validate "$entry"
# KWin matches the running executable against the full path in Exec.
grep -qx 'Exec=/usr/bin/tessaly' "$entry" || { echo "the entry's Exec is not /usr/bin/tessaly"; exit 1; }
grep -qx 'X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input' "$entry"
# The installed program runs.
"$scratch/root/usr/bin/tessaly" --version | grep -q '^Tessaly '
dpkg-deb -f "$deb" Depends | grep -q 'libqt6gui6'
echo "the package holds ${#expected[@]} files where the desktop finds them"
