#!/usr/bin/env bash
# The Debian package as a user gets it: built from the default build with the
# example version-check profile (scripts/package --nsp), unpacked with dpkg-deb -x
# into a scratch folder and run from there, by the links on its PATH: kivovam-cli
# loads the knowledge base and opens the sample project, the desktop program
# starts, and every document its Help menu names is in the package, as a PDF.
# Run by scripts/test after the default build, which the package reuses.
set -uo pipefail
cd "$(dirname "$0")/../.."
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kv-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
status=0
fail() { echo "package: $*" >&2; status=1; }

if ! KV_PACKAGE_DIR="$scratch/package" scripts/package --nsp examples/newscout/kivovam.nsp >"$scratch/package.log" 2>&1; then
  cat "$scratch/package.log" >&2
  echo "package: scripts/package failed" >&2
  exit 1
fi
deb=$(ls "$scratch"/package/*.deb)
dpkg-deb -x "$deb" "$scratch/root" || { echo "package: dpkg-deb -x $deb failed" >&2; exit 1; }
root=$scratch/root
programs=$root/opt/kivovam
bin=$root/usr/bin

# Run-time libraries only: a -dev package would pull a compiler's worth onto a user's machine.
depends=$(dpkg-deb -f "$deb" Depends)
case $depends in *-dev*) fail "depends on a development package: $depends" ;; esac
for p in kivovam kivovam-cli newscout; do
  [ -x "$bin/$p" ] || fail "no working link /usr/bin/$p"
done
[ -f "$programs/kivovam.nsp" ] || fail "the version-check profile is not beside newscout"
for f in usr/share/applications/kivovam.desktop usr/share/icons/hicolor/scalable/apps/kivovam.svg; do
  [ -f "$root/$f" ] || fail "not in the package: /$f"
done
for page in kivovam kivovam-cli newscout; do
  ls "$root"/usr/share/man/man1/"$page".1* >/dev/null 2>&1 || fail "no man page $page(1)"
done

# From elsewhere, by the links alone: the build and source trees play no part.
(
  cd "$scratch" || exit 1
  kb=$("$bin/kivovam-cli" kb 2>&1) || { echo "package: kivovam-cli kb failed: $kb" >&2; exit 1; }
  printf '%s\n' "$kb" | grep -q 'Omiro Q32' || { echo "package: kivovam-cli kb lists no bundled processor" >&2; exit 1; }
  show=$("$bin/kivovam-cli" --json --quiet show "$programs/examples/demo") ||
    { echo "package: kivovam-cli show failed: $show" >&2; exit 1; }
  printf '%s\n' "$show" | python3 -c '
import json, sys
d = json.load(sys.stdin)
sys.exit(0 if d["functions"] and not d["messages"] and d["cpu"]["name"] == "Omiro Q32" else 1)' ||
    { echo "package: kivovam-cli show did not open the sample project cleanly: $show" >&2; exit 1; }
) || status=1

# The desktop program from the package, with the documents of its Help menu.
scripts/screenshots --program "$programs/kivovam" --out "$scratch/shots" >/dev/null || fail "the packaged kivovam"

[ $status -eq 0 ] && echo "package: $(basename "$deb") installs its programs, data and documents, and runs from them"
exit $status
