# Shared set-up of scripts/run, scripts/test and scripts/bench: installs missing Debian packages
# and configures a build. Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The packages every build needs.
BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev fonts-liberation fp-utils)
TEST_PACKAGES=(libgtest-dev libgmock-dev xvfb openbox xdotool xclip x11-utils desktop-file-utils wmctrl)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs those of the given packages that are not installed yet.
ensure_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    if ! as_root apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null; then
        as_root apt-get update >/dev/null
        as_root apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

# configure_build DIR [cmake options...]: configures (once) and builds DIR with all cores.
configure_build() {
    local dir=$1
    shift
    cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja "$@" >/dev/null
    cmake --build "$ROOT/$dir" --parallel "$(nproc)"
}
