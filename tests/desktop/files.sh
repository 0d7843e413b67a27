#!/usr/bin/env bash
# The desktop entry, the AppStream data and the MIME type as the desktop's own
# tools read them; the type is looked up by name and by content in a MIME
# database of our own, so nothing is installed. Skipped where the tools are
# missing.
set -euo pipefail
src=$1 book=$2
for t in desktop-file-validate appstreamcli update-mime-database gio; do
  command -v "$t" >/dev/null || { echo "SKIP: $t is missing"; exit 0; }
done
desktop-file-validate "$src/org.varnel.Varnel.desktop"
appstreamcli validate --no-net "$src/org.varnel.Varnel.metainfo.xml"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$src/org.varnel.Varnel.xml" "$tmp/mime/packages/"
XDG_DATA_HOME=$tmp XDG_DATA_DIRS=$tmp update-mime-database "$tmp/mime"
typeof() { XDG_DATA_HOME=$tmp XDG_DATA_DIRS=$tmp gio info -a standard::content-type "$1" | sed -n 's/.*content-type: //p'; }
cp "$book" "$tmp/friends-book"
cp "$book" "$tmp/Friends.vdf"
sqlite3 -init /dev/null "$tmp/other.db" "CREATE TABLE People (Name TEXT)"
fails=0
while read -r file want; do
  got=$(typeof "$tmp/$file")
  if [ "$got" != "$want" ]; then echo "FAIL: $file is $got, not $want"; fails=1; fi
done <<TABLE
friends-book application/x-varnel-book
Friends.vdf application/x-varnel-book
other.db application/vnd.sqlite3
TABLE
exit $fails
