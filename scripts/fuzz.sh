#!/usr/bin/env bash
# Builds every fuzz target under the sanitize preset's flags (ASan and UBSan, plain
# drivers) in build/fuzz and runs each from its seeds in tools/fuzz/corpus/NAME:
#   scripts/fuzz.sh [SECONDS_PER_TARGET]     (default 60)
# A target stops after SECONDS_PER_TARGET or MV_FUZZ_EXECUTIONS executions, whichever
# comes first (MV_FUZZ_EXECUTIONS defaults to no limit). MV_FUZZ_JOBS targets run at a
# time (default 2); MV_FUZZ_SEED picks the mutation sequence (default 1). An input a
# run faulted on is kept as tools/fuzz/found/NAME/<its SHA-1>, which the e2e test
# FuzzFoundInputs replays; the script then exits 1.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
executions="${MV_FUZZ_EXECUTIONS:-2000000000}"
jobs="${MV_FUZZ_JOBS:-2}"
seed="${MV_FUZZ_SEED:-1}"
targets=(setup stream expression aoscr prefs datafile)

flags="$(jq -r '.configurePresets[] | select(.name == "sanitize") | .cacheVariables.CMAKE_CXX_FLAGS' CMakePresets.json)"
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS=$flags" -DMV_WERROR=ON \
  -DMV_BUILD_FUZZ=ON -DMV_BUILD_TESTS=OFF -DMV_BUILD_BENCHES=OFF >/dev/null
cmake --build build/fuzz -j "${MV_FUZZ_BUILD_JOBS:-4}" --target "${targets[@]/%/-fuzz}"

logs="build/fuzz/runs"
mkdir -p "$logs"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1:abort_on_error=1}"

run() {
  local name="$1" fault="$logs/$1.fault"
  rm -f "$fault"
  if MV_FUZZ_FAULT_FILE="$fault" "build/fuzz/tools/$name-fuzz" "tools/fuzz/corpus/$name" "$executions" "$seed" \
    "$seconds" >"$logs/$name.log" 2>&1; then
    echo "$name: $(tr '\n' ' ' <"$logs/$name.log")"
    return 0
  fi
  echo "$name: FAULT (log in $logs/$name.log)"
  tail -n 20 "$logs/$name.log"
  if [[ -s "$fault" || -f "$fault" ]]; then
    mkdir -p "tools/fuzz/found/$name"
    local kept="tools/fuzz/found/$name/$(sha1sum "$fault" | cut -c1-40)"
    cp "$fault" "$kept"
    echo "$name: the input is kept as $kept"
  fi
  return 1
}

status=0
pids=()
names=()
for name in "${targets[@]}"; do
  run "$name" &
  pids+=($!)
  names+=("$name")
  if ((${#pids[@]} >= jobs)); then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit "$status"
