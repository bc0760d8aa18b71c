#!/usr/bin/env bash
# One entry point for developers and CI.
#   ./build.sh run [FILE.ked]   install what is missing, build, start the viewer on a sample
#   ./build.sh test             install what is missing, build, run every test
#   ./build.sh build            build only
#   ./build.sh package          build, then make the Debian package build/vexlan_<version>_<arch>.deb
#   ./build.sh windows          cross-build for Windows and check it under Wine
set -euo pipefail
cd "$(dirname "$0")"

jobs=$(nproc 2>/dev/null || echo 2)
build_dir=build

configure_and_build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
}

cmd=${1:-test}
[ $# -gt 0 ] && shift
case "$cmd" in
  build)
    scripts/install-deps.sh
    configure_and_build "$build_dir"
    ;;
  run)
    scripts/install-deps.sh
    configure_and_build "$build_dir"
    file=${1:-samples/metal-two-segments.ked}
    if [ -x "$build_dir/bin/Vexlan" ]; then
      if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        echo "No display found: starting the viewer under Xvfb" >&2
        exec xvfb-run -a "$build_dir/bin/Vexlan" "$file"
      fi
      exec "$build_dir/bin/Vexlan" "$file"
    fi
    exec "$build_dir/bin/vexlan-cli" info "$file"
    ;;
  test)
    scripts/install-deps.sh
    export QT_QPA_PLATFORM=offscreen
    # CI sets VEXLAN_WERROR=ON: a warning in the main build fails it.
    configure_and_build "$build_dir" -DVEXLAN_WERROR="${VEXLAN_WERROR:-OFF}"
    (cd "$build_dir" && ctest --output-on-failure -j "$jobs" --timeout 300)
    # The Qt-free libraries once more under AddressSanitizer and UndefinedBehaviorSanitizer.
    configure_and_build build-asan -DVEXLAN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
       ctest --output-on-failure -j "$jobs" --timeout 600)
    # Short, bounded fuzzing runs of the parsers that take outside input.
    cmake -S . -B build-fuzz -G Ninja -DVEXLAN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    cmake --build build-fuzz -j "$jobs" --target fuzzers
    if (cd build-fuzz && ctest -N -L fuzz | grep -q 'Total Tests: [1-9]'); then
      (cd build-fuzz && ctest --output-on-failure -L fuzz -j "$jobs")
    fi
    ;;
  package)
    scripts/install-deps.sh
    configure_and_build "$build_dir"
    (cd "$build_dir" && cpack -G DEB)
    ;;
  windows)
    scripts/install-deps.sh
    scripts/install-deps.sh windows
    JOBS=$jobs exec scripts/windows-check.sh
    ;;
  *)
    echo "usage: $0 run [FILE.ked] | test | build | package | windows" >&2
    exit 2
    ;;
esac
