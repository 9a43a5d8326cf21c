#!/usr/bin/env bash
# Runs the accessibility walk of the desktop program.
# Usage: run_a11y_check.sh PROGRAM PROJECT [options of a11y_check.py]
# Exit status 77 (skipped) when a tool it needs is not installed.
set -uo pipefail
here=$(dirname "$0")

# The AT-SPI client is a system package, so the system's Python, not one a
# version manager put first on PATH.
python=
for candidate in /usr/bin/python3 python3; do
  if command -v "$candidate" >/dev/null 2>&1 && "$candidate" -c 'import gi, pyatspi' >/dev/null 2>&1; then
    python=$candidate
    break
  fi
done
if [ -z "$python" ]; then
  echo "skipped: no Python with the AT-SPI client (install python3-pyatspi)"
  exit 77
fi
if ! command -v timeout >/dev/null 2>&1; then
  echo "skipped: timeout is not installed"
  exit 77
fi

# The walk ends itself well before this (its own deadline, 120 s by default);
# the outer limit only catches a hang of the interpreter itself.
timeout -k 5 "${KV_A11Y_TIMEOUT:-180}" "$python" "$here/a11y_check.py" "$@" 2>&1 |
  grep --line-buffered -v -E 'Failed to set fd limit|XDG_RUNTIME_DIR|SpiRegistry daemon is running|Activating service|Successfully activated'
exit "${PIPESTATUS[0]}"
