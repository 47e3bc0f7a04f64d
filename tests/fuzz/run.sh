#!/usr/bin/env bash
# Builds the fuzz targets in build-fuzz and runs each in turn.
#
#   tests/fuzz/run.sh SECONDS [TARGET...]   fuzz each target for SECONDS (at most 10 million runs)
#   tests/fuzz/run.sh 0 [TARGET...]         run each target over its seed corpus only
#   tests/fuzz/run.sh --corpus-only         the same as 0
#
# New inputs go to build-fuzz/fuzz/corpus/<target> (the seeds in tests/fuzz/corpus stay as they
# are), crashes to build-fuzz/fuzz/artifacts/<target>. Prints, per target, the executions, the
# final coverage (cov/ft) and any crash file.
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${TESSALY_FUZZ_BUILD:-$root/build-fuzz}"
seeds="$root/tests/fuzz/corpus"

seconds="${1:-}"
[[ "$seconds" == "--corpus-only" ]] && seconds=0
if ! [[ "$seconds" =~ ^[0-9]+$ ]]; then
    echo "usage: $0 SECONDS|--corpus-only [TARGET...]" >&2
    exit 2
fi
shift

targets=(index_item_fuzz index_fuzz payload_fuzz hotkey_json_fuzz settings_fuzz text_rules_fuzz
         uri_list_fuzz desktop_entry_fuzz thumbnail_fuzz selection_transfer_fuzz)
(($# > 0)) && targets=("$@")

# Options of one target beyond the common ones. The thumbnail path must never allocate more than
# the largest representation the reader takes (25 MiB) in one piece, whatever an image's header
# claims.
declare -A extra=(
    [thumbnail_fuzz]="-malloc_limit_mb=25 -max_len=65536"
    # Whatever size an INCR owner announces, nothing beyond the limit (at most 1 MiB here) is
    # reserved.
    [selection_transfer_fuzz]="-malloc_limit_mb=4"
)

if [[ ! -f "$build/build.ninja" ]]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTESSALY_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
fi
nice -n 10 cmake --build "$build" -j1 --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"

status=0
summary=()
for target in "${targets[@]}"; do
    binary="$build/tests/fuzz/$target"
    work="$build/fuzz/corpus/$target"
    artifacts="$build/fuzz/artifacts/$target"
    log="$build/fuzz/$target.log"
    mkdir -p "$work" "$artifacts"
    # shellcheck disable=SC2206
    options=(-print_final_stats=1 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$artifacts/"
             ${extra[$target]:-})
    if ((seconds == 0)); then
        inputs=("$seeds/$target")
        options+=(-runs=0)
    else
        inputs=("$work" "$seeds/$target")
        options+=(-max_total_time="$seconds" -runs=10000000)
    fi

    start=$SECONDS
    if nice -n 10 "$binary" "${options[@]}" "${inputs[@]}" >"$log" 2>&1; then
        result=ok
    else
        result=FAILED
        status=1
    fi
    elapsed=$((SECONDS - start))

    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    last="$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 || true)"
    cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")"
    ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")"
    corpus="$(sed -n 's/.* corp: \([0-9]*\/[0-9A-Za-z]*\).*/\1/p' <<<"$last")"
    crash="$(grep -oE "(Test unit written to|artifact_prefix.*) [^ ]+$" "$log" | awk '{print $NF}' | tail -1 || true)"
    line="$(printf '%-20s %-6s runs=%-10s %4ss cov=%-6s ft=%-6s corpus=%s' "$target" "$result" \
        "${runs:-?}" "$elapsed" "${cov:-?}" "${ft:-?}" "${corpus:-?}")"
    [[ -n "$crash" ]] && line+="  crash: $crash"
    [[ "$result" == FAILED ]] && line+="  log: $log"
    echo "$line"
    summary+=("$line")
done

echo
printf '%s\n' "${summary[@]}"
exit $status
