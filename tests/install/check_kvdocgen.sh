#!/bin/sh
# Usage: check_kvdocgen.sh KVDOCGEN FIXTURES
# The build's document renderer over its fixtures: Markdown with a table, code
# and a picture, one figure whose picture is missing (left out and named), an
# HTML note with a picture, and the inputs it refuses.
set -u
kvdocgen=$1
fixtures=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kv-docgen.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
status=0
fail() { echo "$*"; status=1; }
is_pdf() { [ "$(head -c 5 "$1" 2>/dev/null)" = "%PDF-" ] && [ "$(wc -c <"$1")" -gt 1000 ]; }

"$kvdocgen" render --title "A title" -o "$scratch/chapter.pdf" "$fixtures/chapter.md" 2>"$scratch/err" ||
  fail "Markdown not rendered: $(cat "$scratch/err")"
is_pdf "$scratch/chapter.pdf" || fail "no PDF from Markdown"
grep -q "no picture missing.png: the figure is left out" "$scratch/err" || fail "the missing picture is not named: $(cat "$scratch/err")"
grep -q "picture.png" "$scratch/err" && fail "a picture that is there is called missing: $(cat "$scratch/err")"

"$kvdocgen" render -o "$scratch/note.pdf" "$fixtures/note.htm" 2>"$scratch/err" || fail "HTML not rendered: $(cat "$scratch/err")"
is_pdf "$scratch/note.pdf" || fail "no PDF from HTML"
[ -s "$scratch/err" ] && fail "remarks on a complete HTML note: $(cat "$scratch/err")"

# Refused: a missing input, two HTML inputs, HTML among Markdown, a folder that does not exist.
"$kvdocgen" render -o "$scratch/x.pdf" "$fixtures/none.md" 2>/dev/null && fail "a missing input was rendered"
"$kvdocgen" render -o "$scratch/x.pdf" "$fixtures/note.htm" "$fixtures/note.htm" 2>/dev/null && fail "two HTML inputs were joined"
"$kvdocgen" render -o "$scratch/x.pdf" "$fixtures/chapter.md" "$fixtures/note.htm" 2>/dev/null && fail "HTML was joined to Markdown"
"$kvdocgen" render -o "$scratch/no/such/x.pdf" "$fixtures/chapter.md" 2>/dev/null && fail "a PDF was claimed in a folder that does not exist"
"$kvdocgen" registers "$fixtures/none.ini" "$scratch/r.md" 2>/dev/null && fail "a missing description gave a reference"
exit $status
