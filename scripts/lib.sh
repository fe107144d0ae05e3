# Shared by the scripts: installs what is missing, configures and builds.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Debian packages the build, the tests and the data build need.
PACKAGES=(g++ cmake make pkg-config libsdl1.2-compat-dev libopenmpt-dev libgtest-dev
          libgmock-dev libbenchmark-dev libfreetype-dev fonts-dejavu-core zlib1g-dev libpng-dev
          xvfb x11-utils)

# The web build (scripts/web) also needs these; its test also chromium and npm.
WEB_PACKAGES=(emscripten dpkg-dev)

need_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
}

# configure_and_build DIR [cmake options...]
configure_and_build() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$JOBS"
}
