#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that every file lands
# where the freedesktop specifications look for it, that the validators accept
# the menu entry and the software-centre description, and that the file-type
# database of the prefix recognises layered pictures and measurement documents.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build="$(realpath "$1")"
for tool in desktop-file-validate appstream-util update-mime-database xdg-mime mimetype; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup.sh" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_file() { [ -s "$prefix/$1" ] || fail "$1 is not installed"; }

id=org.quillory.Quillory
expect_file bin/quillory-cli
[ -x "$prefix/bin/quillory-cli" ] || fail "bin/quillory-cli is not executable"
if [ -e "$build/src/shell/quillory" ]; then
  [ -x "$prefix/bin/quillory" ] || fail "bin/quillory is not installed"
fi
expect_file "share/applications/$id.desktop"
expect_file "share/metainfo/$id.metainfo.xml"
expect_file "share/mime/packages/$id.xml"
expect_file "share/icons/hicolor/scalable/apps/$id.svg"
for size in 16 22 24 32 48 64 128 256; do
  png="share/icons/hicolor/${size}x${size}/apps/$id.png"
  expect_file "$png"
  # The PNG header's width and height (big-endian at bytes 16 and 20) are the folder's size.
  if [ -s "$prefix/$png" ]; then
    dims="$(od -An -tu1 -j16 -N8 "$prefix/$png" | awk '{print $3*256+$4 "x" $7*256+$8}')"
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
  fi
done

desktop="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $id.desktop"
appstream-util validate-relax --nonet "$prefix/share/metainfo/$id.metainfo.xml" ||
  fail "appstream-util rejects $id.metainfo.xml"
grep -q '^Exec=quillory %F$' "$desktop" || fail "the menu entry does not pass the files as %F"
grep -q '^Name\[ko\]=' "$desktop" || fail "the menu entry has no Korean name"
grep -q '^Icon=org.quillory.Quillory$' "$desktop" || fail "the menu entry names another icon"
for type in image/jpeg image/tiff image/gif image/bmp application/x-quillory-qvx application/x-quillory-mzr; do
  grep -q "^MimeType=.*$type;" "$desktop" || fail "the menu entry does not open $type"
done

# The prefix's own file-type database, as a desktop session with it in XDG_DATA_DIRS sees it.
update-mime-database "$prefix/share/mime"
[ -s "$prefix/share/mime/mime.cache" ] || fail "update-mime-database made no cache"
"$build/quillory-cli" new --width 16 --height 8 "$work/layered.qvx" >/dev/null
cp "$work/layered.qvx" "$work/no-extension"
# A measurement document starts with UTF-16 text: a line feed, a blank, the bottom layer's number.
printf '\x0a\x00\x20\x00\x30\x00\x20\x00\x30\x00' >"$work/measured.mzr"
cp "$work/measured.mzr" "$work/measured-no-extension"
query() {
  env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
    XDG_DATA_HOME="$work/data-home" XDG_DATA_DIRS="$prefix/share:/usr/share" "$@"
}
answer="$(query xdg-mime query filetype "$work/layered.qvx")"
[ "$answer" = "application/x-quillory-qvx" ] || fail "xdg-mime says '$answer' for a .qvx file"
answer="$(query mimetype --brief --magic-only "$work/no-extension")"
[ "$answer" = "application/x-quillory-qvx" ] || fail "the .qvx signature alone gives '$answer'"
answer="$(query xdg-mime query filetype "$work/measured.mzr")"
[ "$answer" = "application/x-quillory-mzr" ] || fail "xdg-mime says '$answer' for a .mzr file"
answer="$(query mimetype --brief --magic-only "$work/measured-no-extension")"
[ "$answer" = "application/x-quillory-mzr" ] || fail "the .mzr signature alone gives '$answer'"

if [ "$failures" -gt 0 ]; then
  echo "$failures failures; installed files:" >&2
  (cd "$prefix" && find . -type f | sort) >&2
  exit 1
fi
echo "install test passed"
