#!/usr/bin/env bash
# Runs the accessibility walk of the desktop program under a private X server.
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
for tool in xvfb-run xauth dbus-daemon timeout; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done

# The walk ends itself well before this; the outer limit only catches a hang
# in the X server or the wrapper.
timeout -k 5 "${KV_A11Y_TIMEOUT:-180}" \
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  "$python" "$here/a11y_check.py" "$@" 2> >(grep -v -E 'Failed to set fd limit|XDG_RUNTIME_DIR|SpiRegistry daemon is running|Activating service|Successfully activated' >&2)
