#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (or $FUZZ_BUILD_DIR), makes their seed
# corpora from the fixtures the tests write (the tests of build/ run once with KAROVEL_SEED_DIR), and
# runs each target for FUZZ_SECONDS seconds (20). Fails when a target found a
# crash, a leak, a hang or an input that makes it allocate too much; the input is kept in
# build-fuzz/artifacts/. FUZZ_TARGETS="fuzz_png fuzz_gif" runs only those. The mutations start from
# FUZZ_SEED (1), which makes runs easier to compare, though not identical: libFuzzer's schedule also
# depends on timing. The targets run FUZZ_PARALLEL at a time (default: one a core).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
tests_build=${BUILD_DIR:-$root/build}
seconds=${FUZZ_SECONDS:-20}
seed=${FUZZ_SEED:-1}
jobs=${JOBS:-$(nproc)}

"$root/scripts/install.sh" clang libclang-rt-14-dev

# Seeds: the tests' own fixtures.
if [[ ! -x "$tests_build/bin/image_tests" ]]; then "$root/scripts/build.sh"; fi
seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds"
for t in "$tests_build"/bin/*_tests; do
  [[ "$(basename "$t")" == ui_tests ]] && continue
  KAROVEL_SEED_DIR="$seeds" QT_QPA_PLATFORM=offscreen "$t" --gtest_brief=1 >/dev/null 2>&1 ||
    echo "note: $(basename "$t") failed while writing seeds"
done
# The coordinate target's first byte picks the field (see fuzz/coordinates_fuzz.cpp).
mkdir -p "$seeds/coordinates"
printf '\x00 45.5 ' >"$seeds/coordinates/degrees"
printf '\x03 12 30.25' >"$seeds/coordinates/minutes"
printf '\x15 8 15 30,5' >"$seeds/coordinates/seconds"
printf '\x01MMPXY,1,  120,  340' >"$seeds/coordinates/mmpxy"
printf '\x10MMPLL,2,  13,405000,  52,520000' >"$seeds/coordinates/mmpll"

f="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS="$f" -DCMAKE_CXX_FLAGS="$f" \
  -DKAROVEL_FUZZ=ON -DKAROVEL_TESTS=OFF -DKAROVEL_WINDOW=OFF >/dev/null
cmake --build "$build" --parallel "$jobs"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/artifacts" "$build/logs"
# One target: a fresh corpus from its seed kinds, then the run; the outcome goes to logs/NAME.result.
run_target() {
  local name=$1 kinds=$2 corpus="$build/corpus/$1" log="$build/logs/$1.log" count=0 kind
  rm -rf "$corpus"
  mkdir -p "$corpus"
  for kind in $kinds; do
    if [[ -d "$seeds/$kind" ]]; then
      cp "$seeds/$kind"/* "$corpus"/
      count=$((count + $(ls "$seeds/$kind" | wc -l)))
    fi
  done
  local dict=()
  [[ -f "$root/fuzz/$name.dict" ]] && dict=("-dict=$root/fuzz/$name.dict")
  if "$build/bin/$name" -seed="$seed" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -malloc_limit_mb=1024 -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
    "${dict[@]}" "$corpus" >"$log" 2>&1; then
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$name: clean, $runs runs in ${seconds}s from $count seeds" >"$build/logs/$name.result"
  else
    echo "$name: FAILED (log $log)" >"$build/logs/$name.result"
  fi
}

# The targets run side by side, one a core (FUZZ_PARALLEL, default the job count).
parallel=${FUZZ_PARALLEL:-$jobs}
names=()
while read -r name kinds; do
  [[ -z "$name" ]] && continue
  if [[ -n "${FUZZ_TARGETS:-}" && " $FUZZ_TARGETS " != *" $name "* ]]; then continue; fi
  names+=("$name")
  rm -f "$build/logs/$name.result"
  run_target "$name" "$kinds" &
  while (($(jobs -rp | wc -l) >= parallel)); do wait -n || true; done
done <"$build/fuzz/targets.txt"
wait

failed=()
for name in "${names[@]}"; do
  result="$build/logs/$name.result"
  if [[ -f "$result" ]] && grep -q ": clean," "$result"; then
    cat "$result"
  else
    echo "$name: FAILED (log $build/logs/$name.log)"
    grep -m1 -A25 -E '^==[0-9]+==|expectation failed|runtime error|out-of-memory|timeout' "$build/logs/$name.log" ||
      tail -30 "$build/logs/$name.log"
    failed+=("$name")
  fi
done

if ((${#failed[@]} > 0)); then
  echo "fuzz: ${#failed[@]} target(s) failed: ${failed[*]}"
  exit 1
fi
echo "fuzz: every target ran clean"
