#!/usr/bin/env bash
# The installed program carries a desktop entry and a shared MIME type for set-up
# files, and the desktop's own tools accept both: a ".MVsetup" file is of the
# program's type, and the entry that opens that type starts the program with the
# file. Usage: desktop_entry_test.sh BUILD_DIR
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="" cmake --install "$build" --prefix "$prefix" >/dev/null
entry="$prefix/share/applications/mirevant.desktop"
mime="$prefix/share/mime/packages/mirevant-setup.xml"
[ -x "$prefix/bin/mirevant" ] || fail "no program installed"
[ -s "$entry" ] || fail "no desktop entry installed"
[ -s "$mime" ] || fail "no MIME type installed"
[ -s "$prefix/share/icons/hicolor/128x128/apps/mirevant.png" ] || fail "no icon installed"

# The entry: valid, starting the installed program's name with one file, for the type.
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate refuses the entry"
else
  [ "$(head -n 1 "$entry")" = "[Desktop Entry]" ] || fail "the entry has no [Desktop Entry] group"
  grep -qx 'Type=Application' "$entry" || fail "the entry is not an application"
  grep -qx 'Name=Mirevant' "$entry" || fail "the entry has no name"
fi
grep -qx 'Exec=mirevant %f' "$entry" || fail "the entry does not start the program with the file"
grep -qx 'MimeType=application/x-mirevant-setup;' "$entry" || fail "the entry does not open set-up files"

# The type: well-formed, a glob for the set-up file's extension.
if command -v xmllint >/dev/null; then
  xmllint --noout "$mime" || fail "xmllint refuses the MIME type"
else
  grep -q '<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">' "$mime" ||
    fail "the MIME type is not a shared-mime-info file"
fi
grep -q '<mime-type type="application/x-mirevant-setup">' "$mime" || fail "no set-up file type"
grep -q '<glob pattern="\*.MVsetup"/>' "$mime" || fail "no glob for .MVsetup"

# The install refreshed the databases where the tools exist: a file name maps to the
# type, and the type to the entry.
if command -v update-mime-database >/dev/null; then
  grep -qi '^[0-9]*:application/x-mirevant-setup:\*\.mvsetup' "$prefix/share/mime/globs2" ||
    fail "update-mime-database did not take the type"
fi
if command -v update-desktop-database >/dev/null; then
  grep -q '^application/x-mirevant-setup=mirevant.desktop;' "$prefix/share/applications/mimeinfo.cache" ||
    fail "update-desktop-database did not take the entry"
fi
echo "desktop entry and set-up file type: valid"
