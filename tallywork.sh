#!/usr/bin/env bash
# Tallywork's two commands (and a few more for developers).
#
#   ./tallywork.sh run     install what the program needs, build the program (not the
#                          tests), prepare a demo program folder with sample data and
#                          start the program there
#   ./tallywork.sh test    the same installation and build, then every test, headless
#   ./tallywork.sh asan    the tests again in a build with AddressSanitizer + UBSan
#   ./tallywork.sh bench   release build, generated data, every benchmark in one table
#   ./tallywork.sh package release build and its Debian package,
#                          build-package/tallywork_<version>_<arch>.deb
#   ./tallywork.sh fuzz [seconds] [target...]
#                          clang build of the libFuzzer targets, each run in turn for the
#                          given seconds (default 600) from its saved corpus in fuzz/corpus/
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${TW_BUILD_DIR:-$here/build}"
jobs="${TW_JOBS:-$(nproc)}"

packages=(
    cmake g++ pkg-config ninja-build
    qt6-base-dev qt6-base-dev-tools libgl-dev
    mdbtools mdbtools-dev
    fonts-liberation fonts-dejavu-core
    xvfb xauth xdotool poppler-utils
    libbenchmark-dev
    dpkg-dev lintian desktop-file-utils appstream librsvg2-bin
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "== installing: ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

configure_and_build() {
    local dir="$1"; shift
    cmake -S "$here" -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

# The program, its database reader and the data generator only: a first run does not wait
# for the tests to compile.
build_program() {
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
    cmake --build "$build" -j "$jobs" --target tallywork tallywork-dbread twgen
}

# A program folder beside the built executable: settings naming F:\EST and F:\LEDGER, a
# dosdevices/ map sending F: to generated estimating and ledger folders.
prepare_demo() {
    local demo="$build/demo"
    rm -rf "$demo"
    "$build/twgen" demo "$demo"
    cp "$build/tallywork" "$demo/prog/tallywork"
    cp "$build/tallywork-dbread" "$demo/prog/tallywork-dbread"
    echo "$demo/prog"
}

cmd="${1:-}"
case "$cmd" in
run)
    install_packages
    build_program
    prog="$(prepare_demo)"
    echo "== demo program folder: $prog"
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        # No display: give the program a virtual one so that it runs all the same.
        Xvfb :77 -screen 0 1280x1024x24 >/dev/null 2>&1 &
        export DISPLAY=:77
        sleep 1
        echo "== no display found: running on the virtual display $DISPLAY"
    fi
    exec "$prog/tallywork"
    ;;
test)
    install_packages
    # The package check among the tests packages this very build, stripped: no second build.
    configure_and_build "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr
    (cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs" -LE stress)
    # The tests that need no display once more, built with AddressSanitizer and
    # UndefinedBehaviorSanitizer (the whole suite: ./tallywork.sh asan).
    cmake -S "$here" -B "$build-asan-core" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_SANITIZE=ON >/dev/null
    cmake --build "$build-asan-core" -j "$jobs" --target core_tests
    (cd "$build-asan-core" && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --output-on-failure -j "$jobs" -L "core|fuzzreplay" -LE stress)
    ;;
asan)
    install_packages
    configure_and_build "$build-asan" -DCMAKE_BUILD_TYPE=Debug -DTW_SANITIZE=ON
    cd "$build-asan"
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
        ctest --output-on-failure -j "$jobs" -LE stress
    ;;
fuzz)
    # A developer command: the CI test run replays the saved corpora without clang.
    packages+=(clang-14 libclang-rt-14-dev)
    install_packages
    seconds="${2:-600}"
    shift $(( $# > 1 ? 2 : $# ))
    fb="$build-fuzz"
    CC=clang-14 CXX=clang++-14 cmake -S "$here" -B "$fb" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTW_BUILD_FUZZ=ON -DTW_BUILD_TESTS=OFF >/dev/null
    cmake --build "$fb" -j "$jobs" --target fuzz_all
    targets=("$@")
    if [ ${#targets[@]} -eq 0 ]; then
        for f in "$here"/fuzz/fuzz_*.cpp; do t="$(basename "$f" .cpp)"; targets+=("${t#fuzz_}"); done
    fi
    for t in "${targets[@]}"; do
        # New inputs go to a working corpus in the build folder; the saved one is only read.
        mkdir -p "$fb/corpus/$t" "$fb/artifacts"
        rm -f "$fb/artifacts/$t-"*
        echo "== fuzz_$t for ${seconds}s"
        "$fb/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$fb/artifacts/$t-" "$fb/corpus/$t" "$here/fuzz/corpus/$t" 2>&1 |
            grep -E '^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units|ERROR|SUMMARY|fuzz check failed' || true
        if ls "$fb/artifacts/$t-"* >/dev/null 2>&1; then
            echo "== fuzz_$t found a fault: $fb/artifacts/" >&2
            exit 1
        fi
    done
    ;;
package)
    install_packages
    configure_and_build "$build-package" -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_TESTS=OFF \
        -DCMAKE_INSTALL_PREFIX=/usr
    (cd "$build-package" && cpack -G DEB)
    ls "$build-package"/tallywork_*.deb
    ;;
bench)
    install_packages
    configure_and_build "$build-release" -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_BENCH=ON -DTW_BUILD_TESTS=OFF
    "$here/bench/run.sh" "$build-release"
    ;;
*)
    echo "usage: $0 run | test | package | asan | bench | fuzz [seconds] [target...]" >&2
    exit 2
    ;;
esac
