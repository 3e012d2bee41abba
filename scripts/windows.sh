# Shared set-up of the Windows cross build (scripts/test --full, scripts/package-windows): batch
# mode built with MinGW-w64 into build-win/ and run under Wine. Sourced after setup.sh, not run.

# The cross compiler and Wine (wine64 alone: its programs are in /usr/lib/wine).
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine64)

# configure_windows_build: installs what is missing, configures (once) and builds build-win/.
configure_windows_build() {
    ensure_packages cmake ninja-build "${WINDOWS_PACKAGES[@]}"
    configure_build build-win -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DMIRRAK_TESTS=ON -DMIRRAK_WERROR=ON
}
