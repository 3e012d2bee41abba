# Shared set-up of the scripts: installs missing Debian packages, configures and builds. Sourced,
# not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# What configuring and building build/ needs: it is configured with its tests, so GoogleTest too.
BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev fonts-liberation fp-utils
                libgtest-dev libgmock-dev)
# What running the tests needs beyond that: an X server, a window manager and input for the window;
# a session bus and the accessibility bus for reading the controls as assistive tools do; the
# validators of the desktop entry and the metainfo, and man for the manual page; a headless
# Wayland compositor and Qt's Wayland plugin for the window on Wayland; the Debian package's tools
# and lintian for the package.
TEST_PACKAGES=(xvfb openbox xdotool xclip x11-utils desktop-file-utils wmctrl dbus at-spi2-core
               python3-dbus appstream man-db groff-base weston qt6-wayland dpkg-dev lintian)

# build/ has one configuration, the same for every script that builds there (run, test,
# screenshot), so that no script undoes another's and sets off a rebuild. The sanitized build of
# `scripts/test --full` (build-san/) and the benchmarks' build (build-bench/) have folders of
# their own.
MAIN_BUILD_OPTIONS=(-DCMAKE_BUILD_TYPE=Release -DMIRRAK_TESTS=ON -DMIRRAK_WERROR=ON)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs those of the given packages that are not installed yet. apt-get's errors are shown; when
# the packages cannot be installed, this says which and returns non-zero.
ensure_packages() {
    local missing=() log
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    log=$(mktemp "${TMPDIR:-/tmp}/mirrak-apt.XXXXXX")
    # A first try without updating the package lists; its complaints matter only if the second
    # try, on fresh lists, fails too. That one's errors go straight to stderr, and its progress
    # output, which says which dependencies are unmet, is shown after them when it fails.
    if as_root apt-get install -y --no-install-recommends "${missing[@]}" >"$log" 2>&1; then
        rm -f "$log"
        return 0
    fi
    if as_root apt-get update >"$log" &&
        as_root apt-get install -y --no-install-recommends "${missing[@]}" >"$log"; then
        rm -f "$log"
        return 0
    fi
    grep -v -e '^Reading ' -e '^Building ' "$log" | tail -n 20 | sed 's/^/  apt-get: /' >&2
    rm -f "$log"
    echo "setup: could not install ${missing[*]} (apt-get failed, see above)" >&2
    return 1
}

# cache_has DIR -DNAME[:TYPE]=VALUE: whether DIR's CMake cache holds NAME with exactly VALUE.
cache_has() {
    local name=${2#-D} value
    value=${name#*=}
    name=${name%%=*}
    name=${name%%:*}
    awk -v n="$name:" -v v="$value" 'index($0, n) == 1 { sub(/^[^=]*=/, ""); found = $0 == v }
        END { exit !found }' "$1/CMakeCache.txt"
}

# configure_dir DIR [-DNAME=VALUE...]: configures DIR (under the source folder) with Ninja and these
# options, unless it holds them already: a configured folder reconfigures itself when a
# CMakeLists.txt changes, so running cmake again would only cost time.
configure_dir() {
    local dir=$ROOT/$1 option
    shift
    if [ -f "$dir/build.ninja" ] && [ -f "$dir/CMakeCache.txt" ]; then
        local configured=1
        for option in "$@"; do
            cache_has "$dir" "$option" || { configured=0; break; }
        done
        [ $configured -eq 0 ] || return 0
    fi
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
}

# build_dir DIR [TARGET...]: builds the targets (everything without any) with all cores.
build_dir() {
    local dir=$ROOT/$1
    shift
    cmake --build "$dir" --parallel "$(nproc)" ${1:+--target "$@"}
}

# configure_build DIR [-DNAME=VALUE...]: configures DIR as configure_dir does and builds all of it.
configure_build() {
    configure_dir "$@"
    build_dir "$1"
}

# build_main [TARGET...]: configures build/ the one way and builds the targets (all without any).
build_main() {
    configure_dir build "${MAIN_BUILD_OPTIONS[@]}"
    build_dir build "$@"
}
