#!/bin/sh
# Prints the sample book's labels, phone list and letters with two builds of
# varnel-print and compares every word and its place on the page (pdftotext
# -bbox). Exits non-zero when anything printed differs.
#
# Usage: bench/compare_print.sh BEFORE/varnel-print AFTER/varnel-print [BOOK.vdf] [LETTER.rtf]
set -eu
before=$1
after=$2
here=$(cd "$(dirname "$0")/.." && pwd)
book=${3:-$(dirname "$after")/Varnel.vdf}
body=${4:-$here/tests/data/rtf/golden-letter.rtf}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for layout in labels-21 phone-list letters; do
  extra=""
  [ "$layout" = letters ] && extra="--body $body"
  for side in before after; do
    eval prog=\$$side
    cp "$book" "$work/book-$side.vdf"
    QT_QPA_PLATFORM=offscreen "$prog" "$work/book-$side.vdf" $layout "$work/$layout-$side.pdf" $extra >/dev/null 2>&1
    pdftotext -bbox "$work/$layout-$side.pdf" - | grep -v '<meta\|<title' > "$work/$layout-$side.txt"
  done
  words=$(grep -c '<word' "$work/$layout-after.txt" || true)
  if cmp -s "$work/$layout-before.txt" "$work/$layout-after.txt"; then
    echo "$layout: same ($words words)"
  else
    echo "$layout: DIFFERENT"
    diff "$work/$layout-before.txt" "$work/$layout-after.txt" | head -10
    status=1
  fi
done
exit $status
