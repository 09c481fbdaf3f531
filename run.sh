#!/usr/bin/env bash
# Installs what is missing, builds Velkorant and starts it:  ./run.sh [file]
# (VELK_BUILD_DIR names another build folder than "build".)
set -eu
file=""
if [ $# -gt 0 ]; then
  # Taken before the change of folder below: a relative path names a file
  # from where the caller stands.
  file="$(realpath -m -- "$1")"
fi
cd "$(dirname "$0")"
. ./scripts/deps.sh
velk_install_deps
build_dir="${VELK_BUILD_DIR:-build}"
# An unchanged tree starts at once: nothing in it (files or folders, so an
# added, changed, removed or renamed file counts) is newer than the stamp the
# last successful build left. Otherwise make builds the program alone.
stamp="$build_dir/.velkorant-built"
changed=1
if [ -x "$build_dir/velkorant" ] && [ -f "$build_dir/CMakeCache.txt" ] && [ -f "$stamp" ]; then
  changed="$(find . \( -path ./.git -o -path ./.ccache -o -path './build*' -o -path "./${build_dir#./}" \) -prune \
    -o -newer "$stamp" -print -quit)"
fi
if [ -n "$changed" ]; then
  VELK_BUILD_TARGET=velkorant velk_build "$build_dir"
  touch "$stamp"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display (DISPLAY is not set). Velkorant is a desktop program; on a" >&2
  echo "machine without a screen start it on a virtual display:" >&2
  echo "  xvfb-run -a -s \"-screen 0 1920x1200x24\" ./run.sh${file:+ \"$file\"}" >&2
  exit 2
fi
if [ -n "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && ! xdotool getdisplaygeometry >/dev/null 2>&1; then
  echo "run.sh: the display \"$DISPLAY\" cannot be opened. Start Velkorant on a virtual one:" >&2
  echo "  xvfb-run -a -s \"-screen 0 1920x1200x24\" ./run.sh${file:+ \"$file\"}" >&2
  exit 2
fi
if [ -n "$file" ]; then
  exec "./$build_dir/velkorant" "$file"
fi
exec "./$build_dir/velkorant"
