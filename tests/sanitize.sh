#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer (NX_SANITIZE)
# in its own folder and runs it. Leak detection stays on; tests/lsan.supp lists the system
# libraries whose process-lifetime caches LeakSanitizer would otherwise report.
#   tests/sanitize.sh            build-asan, or NX_ASAN_BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=${NX_ASAN_BUILD_DIR:-build-asan}

# Set before building: test discovery runs every test executable once.
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNX_SANITIZE=ON \
  -DNX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
