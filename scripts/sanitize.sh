#!/usr/bin/env bash
# Builds the whole suite under a sanitizer and runs it:
#   scripts/sanitize.sh address [ctest arguments…]   AddressSanitizer + UndefinedBehaviorSanitizer
#   scripts/sanitize.sh thread  [ctest arguments…]   ThreadSanitizer
# Any report fails the test that made it (the programs stop at the first one). Reports from
# inside the system's libraries (Qt, fontconfig, D-Bus), which are not instrumented, are
# suppressed by the files in tests/sanitizers/.
set -euo pipefail
cd "$(dirname "$0")/.."
kind="${1:-address}"
shift || true
case "$kind" in
address | thread) ;;
*)
    echo "usage: $0 address|thread [ctest arguments…]" >&2
    exit 2
    ;;
esac
source scripts/deps.sh
tessaly_install_deps
dir="build-$kind"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_SANITIZE="$kind"
cmake --build "$dir" --parallel "$(nproc)"

suppressions="$PWD/tests/sanitizers"
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=0"
export LSAN_OPTIONS="suppressions=$suppressions/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$suppressions/ubsan.supp"
# The system's libraries are not instrumented, and the locks and atomics that order their memory
# are not seen: what intercepted calls (memcpy, malloc, free…) touch is not checked, whoever makes
# them. Every load and store of our own code is, and every pthread call still orders threads.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_interceptors_accesses=1:suppressions=$suppressions/tsan.supp"
if [ "$kind" = thread ]; then
    # Everything runs several times slower, and the sanitizer now and then stops every thread:
    # the tests' latency limits are multiplied by this.
    export TESSALY_TEST_SLOWDOWN=10
fi
cd "$dir"
ctest --output-on-failure --timeout 900 "$@"
