#!/usr/bin/env bash
# Builds the fuzz target and runs it over the seed corpus for a set time.
#   fuzz/run_fuzz.sh [SECONDS] [TIMEOUT]
# SECONDS: the length of the pass (default 300); TIMEOUT: the seconds one
# input may take before it counts as a finding (default 1).
# With clang and its libFuzzer runtime the target is coverage-guided; when
# either is missing or does not build, the plain mutation driver runs
# instead, built with the usual compiler. The seeds are fuzz/corpus plus every
# model of tests/models and examples; what libFuzzer adds to the corpus stays
# in build-fuzz/corpus between passes. Findings go to build-fuzz/findings/.
# FUZZ_ENGINE=plain skips libFuzzer; FUZZ_PLAIN_BUILD names a build folder
# whose fuzz/korvex_fuzz is the plain driver already built (the test build).
# Exit status: 0 when nothing was found.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
timeout=${2:-1}
out=build-fuzz
mkdir -p "$out/seeds" "$out/corpus" "$out/findings"
rm -f "$out/seeds"/*
cp fuzz/corpus/*.sur tests/models/*.sur examples/*.sur "$out/seeds/"

configure_and_build() {  # build folder, extra cmake arguments...
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_TESTS=OFF -DKORVEX_SANITIZE=ON -DKORVEX_FUZZ=ON "$@" \
    >"$out/build.log" 2>&1 && cmake --build "$dir" --target korvex_fuzz -j 2 >>"$out/build.log" 2>&1
}

engine=plain
plain_build=${FUZZ_PLAIN_BUILD:-$out/plain}
if [ "${FUZZ_ENGINE:-auto}" != plain ] && command -v clang++ >/dev/null 2>&1 && command -v clang >/dev/null 2>&1 &&
   configure_and_build "$out/libfuzzer" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKORVEX_LIBFUZZER=ON &&
   "$out/libfuzzer/fuzz/korvex_fuzz" -runs=0 "$out/seeds" >/dev/null 2>&1; then
  engine=libfuzzer
elif [ -n "${FUZZ_PLAIN_BUILD:-}" ]; then
  # A build folder configured already (the test build): only the driver is made.
  if ! cmake --build "$plain_build" --target korvex_fuzz -j 2 >"$out/build.log" 2>&1; then
    cat "$out/build.log"
    echo "fuzz: the fuzz target does not build in $plain_build" >&2
    exit 1
  fi
elif ! configure_and_build "$plain_build" -DKORVEX_LIBFUZZER=OFF; then
  cat "$out/build.log"
  echo "fuzz: the fuzz target does not build" >&2
  exit 1
fi

# Leaks are findings too; a small quarantine keeps the sanitizer's own memory
# well inside the 512 MB every input must fit in.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:quarantine_size_mb=16}
echo "fuzz: $engine pass of $seconds s"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings=$(cd "$out/findings" && pwd)/
seeds=$(cd "$out/seeds" && pwd)
corpus=$(cd "$out/corpus" && pwd)
if [ "$engine" = libfuzzer ]; then
  fuzzer=$(cd "$out/libfuzzer/fuzz" && pwd)/korvex_fuzz
  # The engine writes its working file in the current folder: run in a scratch one.
  (cd "$work" && "$fuzzer" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=512 -max_len=8192 \
     -print_final_stats=1 -artifact_prefix="$findings" "$corpus" "$seeds" 2>&1 | tail -n 25)
else
  fuzzer=$(cd "$plain_build/fuzz" && pwd)/korvex_fuzz
  # The plain driver cannot stop a run that hangs: a watchdog ends the pass.
  (cd "$work" && timeout -k 10 $((seconds + 300)) "$fuzzer" -seconds="$seconds" -timeout="$timeout" \
     -artifact_prefix="$findings" "$seeds")
fi
