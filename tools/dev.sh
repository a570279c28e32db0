#!/usr/bin/env bash
# The project's set-up and everyday commands, for a Debian 12 machine (run as root, or with
# the packages already installed):
#   run    install what is missing, build, start the board emulator, the local tile server and
#          the ground station on them
#   test   install what is missing, build and run the whole test suite
#   asan   build and run the test suite under AddressSanitizer and UndefinedBehaviorSanitizer
#   fuzz   build the libFuzzer targets with clang and run each for FUZZ_SECONDS (default 30)
#   bench  build and run the benchmarks
#   shot   run emulator and ground station under Xvfb and save pictures of the windows
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    qt6-base-dev qt6-serialport-dev qt6-qpa-plugins libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev libcurl4-openssl-dev
    libjpeg-dev libpng-dev zlib1g-dev libsdl2-dev python3 gpsbabel
)

deps() {
    local missing=()
    for package in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    if ((${#missing[@]})); then
        echo "Installing ${missing[*]}"
        apt-get update
        DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
    fi
}

configure_and_build() { # folder, cmake options...
    local folder=$1
    shift
    cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$folder"
}

run_tests() { # folder
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$1" --output-on-failure --timeout 120 -j "$(nproc)"
}

cmd_run() {
    if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
        echo "No display: run this from a desktop session (or under xvfb-run)." >&2
        exit 1
    fi
    deps
    configure_and_build build
    start_emulator build/crv-board
    start_tile_server
    # The build folder holds img/ and is where the settings file goes.
    (cd build && src/app/crvgcs --port ./crv-board)
}

helpers=()
trap 'kill "${helpers[@]}" 2>/dev/null || true' EXIT

start_emulator() { # link path
    build/tools/emulator/crv_board_emulator --link "$1" &
    helpers+=($!)
    for _ in $(seq 50); do [[ -e "$1" ]] && break; sleep 0.1; done
}

# The map's tile servers default to this port of 127.0.0.1 (its pop-up menu can change them).
start_tile_server() {
    python3 tools/tile_server/tile_server.py 8765 build/tiles >/dev/null &
    helpers+=($!)
}

cmd_test() {
    deps
    configure_and_build build
    run_tests build
}

cmd_asan() {
    deps
    configure_and_build build-asan -DCRV_SANITIZE=ON -DCRV_BENCH=OFF
    UBSAN_OPTIONS=print_stacktrace=1 run_tests build-asan
}

cmd_fuzz() {
    deps
    CC=clang CXX=clang++ configure_and_build build-fuzz -DCRV_FUZZ=ON -DCRV_GUI=OFF \
        -DCRV_BENCH=OFF -DCRV_TESTS=OFF
    local seconds=${FUZZ_SECONDS:-30}
    for target in build-fuzz/fuzz/*_fuzz; do
        local name
        name=$(basename "$target" _fuzz)
        local corpus=build-fuzz/corpus/$name
        mkdir -p "$corpus"
        local options=()
        # Tiles arrive up to the download bound, and a decode that takes long is a finding too.
        [[ $name == tile_image ]] && options=(-max_len=$((16 << 20)) -timeout=3)
        echo "Fuzzing $name for ${seconds}s"
        "$target" -max_total_time="$seconds" -print_final_stats=1 "${options[@]}" "$corpus" \
            "fuzz/corpus/$name"
    done
}

cmd_bench() {
    deps
    configure_and_build build
    build/bench/crv_link_bench
    build/bench/crv_recorder_bench
    build/bench/crv_horizon_bench
    build/bench/crv_map_bench
    build/bench/crv_startup_bench
    build/bench/crv_cpu_bench "${CPU_SECONDS:-30}"
    build/bench/crv_terminal_bench
}

cmd_shot() {
    PACKAGES+=(xvfb)
    deps
    configure_and_build build
    start_emulator build/crv-shot-board
    start_tile_server
    local folder
    folder=$(realpath -m "${SHOTS:-build/shots}")
    (cd build && xvfb-run -a -s "-screen 0 1280x800x24" tools/shots/window_shots \
        ./crv-shot-board "$folder" "${SHOT_DELAY:-4}" "${MAP_DELAY:-20}")
}

case "${1:-}" in
    run | test | asan | fuzz | bench | shot) "cmd_$1" ;;
    *)
        sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'
        exit 2
        ;;
esac
