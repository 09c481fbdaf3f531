# Shared by run.sh and test.sh: the Debian packages the build, the program and
# the tests need, and the build itself.

VELK_PACKAGES=(
  build-essential cmake pkg-config ccache gettext python3 curl
  libwxgtk3.2-dev libssl-dev openssl libcurl4-openssl-dev libjsoncpp-dev liblodepng-dev
  libmupdf-dev libmujs-dev libopenjp2-7-dev libjbig2dec0-dev libharfbuzz-dev libfreetype-dev libgumbo-dev libgl-dev libglu1-mesa-dev
  libgtest-dev googletest
  librsvg2-bin qrencode
  xvfb xauth imagemagick xdotool
  poppler-utils qpdf mupdf-tools libnss3-tools osslsigncode
  fonts-arphic-gbsn00lp
  tzdata
)

velk_install_deps() {
  local missing=()
  local p
  for p in "${VELK_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
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
# to one target (default: everything).
velk_build() {
  local dir="$1"; shift
  export CCACHE_DIR="${CCACHE_DIR:-$PWD/.ccache}"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)" ${VELK_BUILD_TARGET:+--target "$VELK_BUILD_TARGET"}
}
