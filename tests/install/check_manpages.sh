#!/bin/sh
# Usage: check_manpages.sh MANDIR BINDIR
# Formats each man page with every groff warning on (a warning fails), then checks
# that the pages still name every command and option the programs' own --help
# prints, so a new option cannot reach a release undocumented.
set -u
mandir=$1
bindir=$2
status=0

for page in "$mandir"/*.1; do
  warnings=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1)
  if [ -n "$warnings" ]; then
    echo "$page: groff warns:"; echo "$warnings"; status=1
  fi
done

# The page's text as a reader sees it, with the hyphens plain.
rendered() {
  LC_ALL=C.UTF-8 groff -man -Tutf8 -P-c -P-b -P-u "$mandir/$1.1" 2>/dev/null | sed 's/‐/-/g; s/−/-/g'
}

# $1 page, $2 the --help text: every "  -opt" or "  --opt" that starts a help line,
# and each alternative after a comma, must appear in the page.
check_options() {
  text=$(rendered "$1")
  opts=$(printf '%s\n' "$2" | grep -E '^ +[-/]' | sed -E 's/^ +//; s/  .*$//' | tr ',' '\n' |
         sed -E 's/^ +//; s/[ =].*$//' | grep -E '^-' | sort -u)
  for o in $opts; do
    if ! printf '%s\n' "$text" | grep -qF -- "$o"; then
      echo "$1.1 does not mention the option $o"; status=1
    fi
  done
}

cli_help=$("$bindir/kivovam-cli" --help)
check_options kivovam-cli "$cli_help"
commands=$(printf '%s\n' "$cli_help" | sed -n '/^Commands:/,/^$/p' | grep -E '^  [a-z]' | awk '{print $1}')
[ -n "$commands" ] || { echo "kivovam-cli --help lists no commands"; status=1; }
cli_text=$(rendered kivovam-cli)
for c in $commands; do
  printf '%s\n' "$cli_text" | grep -qE "^ +$c( |$)" || { echo "kivovam-cli.1 does not describe the command $c"; status=1; }
  check_options kivovam-cli "$("$bindir/kivovam-cli" "$c" --help)"
done

if [ -x "$bindir/newscout" ]; then
  check_options newscout "$(QT_QPA_PLATFORM=offscreen "$bindir/newscout" --help)"
fi
exit $status
