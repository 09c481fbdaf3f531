# Shared by run.sh and test.sh: the Debian packages the build, the program and
# the tests need, and the build itself.

VELK_PACKAGES=(
  build-essential cmake pkg-config ccache gettext python3 curl ca-certificates
  libwxgtk3.2-dev libssl-dev openssl libcurl4-openssl-dev libjsoncpp-dev liblodepng-dev
  libmupdf-dev libmujs-dev libopenjp2-7-dev libjbig2dec0-dev libharfbuzz-dev libfreetype-dev libgumbo-dev libgl-dev libglu1-mesa-dev
  libgtest-dev googletest
  librsvg2-bin qrencode
  xvfb xauth imagemagick xdotool
  poppler-utils qpdf mupdf-tools libnss3-tools osslsigncode
  fonts-arphic-gbsn00lp fonts-dejavu-core
  tzdata
)

velk_install_deps() {
  # One query for the whole list: a package that is missing or unknown has no
  # "install ok installed" line.
  local -A installed=()
  local name want ok state
  while read -r name want ok state; do
    if [ "$want $ok $state" = "install ok installed" ]; then installed["${name%%:*}"]=1; fi
  done < <(dpkg-query -W -f='${Package} ${Status}\n' "${VELK_PACKAGES[@]}" 2>/dev/null || true)
  local missing=()
  local p
  for p in "${VELK_PACKAGES[@]}"; do
    [ -n "${installed[$p]:-}" ] || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# Configures and builds into the folder; VELK_BUILD_TARGET limits the build
# to one target (default: everything). A folder that was configured before is
# configured again only when options are given: the build itself re-runs CMake
# when a CMakeLists.txt changed. VELK_JOBS bounds the parallel jobs of builds
# and test runs (default: every core), for a machine others share.
velk_jobs() { echo "${VELK_JOBS:-$(nproc)}"; }

velk_build() {
  local dir="$1"; shift
  export CCACHE_DIR="${CCACHE_DIR:-$PWD/.ccache}"
  if [ ! -f "$dir/CMakeCache.txt" ] || [ $# -gt 0 ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  fi
  cmake --build "$dir" -j "$(velk_jobs)" ${VELK_BUILD_TARGET:+--target "$VELK_BUILD_TARGET"}
}
