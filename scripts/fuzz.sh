#!/bin/sh
# Builds the libFuzzer targets with clang and runs one, or all in turn, for
# a given number of seconds each:
#   scripts/fuzz.sh TARGET|all SECONDS [extra libFuzzer options...]
# TARGET is one of: tokenizer expression game_file dictionary_file
# player_line http_request. New inputs go to build/fuzz/corpus/TARGET, findings to
# build/fuzz/findings/TARGET; the committed seeds and regression inputs in
# tests/fuzz/corpus/TARGET are read at every start. Exits non-zero on a
# finding. The player line is fuzzed in the world KIV_FUZZ_WORLD (default
# tests/commands/library.kiv, which includes the standard library from
# KIV_FUZZ_LIBRARY, default lib/) with the dictionary KIV_FUZZ_DICTIONARY
# (default KIV_FULL_DICTIONARY, else build/dictionary/kiv.dic). An input
# running longer than KIV_FUZZ_TIMEOUT seconds (default 10) is a finding.
set -e
cd "$(dirname "$0")/.."
root=$(pwd)
build=build/fuzz
targets="tokenizer expression game_file dictionary_file player_line http_request"

if [ $# -lt 2 ]; then
  echo "usage: $0 TARGET|all SECONDS [libFuzzer options...]" >&2
  exit 2
fi
which=$1
seconds=$2
shift 2
[ "$which" = all ] && which=$targets

if [ ! -f $build/CMakeCache.txt ]; then
  cmake -S . -B $build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIV_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
fi
for target in $which; do
  cmake --build $build --target ${target}_fuzz -j2 >/dev/null
done

# The longest input worth trying: dictionary files are binary images of a
# few kilobytes, game files and request sequences longer texts, the rest
# short texts.
max_len() {
  case $1 in
    dictionary_file) echo 65536 ;;
    game_file | http_request) echo 16384 ;;
    *) echo 4096 ;;
  esac
}

# Undefined behaviour stops the run with its stack, as a crash does.
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

status=0
for target in $which; do
  corpus=$root/$build/corpus/$target
  findings=$root/$build/findings/$target
  work=$root/$build/work/$target
  mkdir -p "$corpus" "$findings" "$work"
  if [ "$target" = player_line ]; then
    export KIV_FUZZ_WORLD="${KIV_FUZZ_WORLD:-$root/tests/commands/library.kiv}"
    export KIV_FUZZ_LIBRARY="${KIV_FUZZ_LIBRARY:-$root/lib}"
    export KIV_FUZZ_DICTIONARY="${KIV_FUZZ_DICTIONARY:-${KIV_FULL_DICTIONARY:-$root/build/dictionary/kiv.dic}}"
  fi
  echo "fuzzing $target for $seconds s"
  # Each target runs in its own folder: game code may write logs there.
  if ! (cd "$work" && "$root/$build/bin/${target}_fuzz" "$corpus" "$root/tests/fuzz/corpus/$target" \
      -max_total_time="$seconds" -timeout="${KIV_FUZZ_TIMEOUT:-10}" -rss_limit_mb=2048 -max_len="$(max_len $target)" \
      -artifact_prefix="$findings/" -print_final_stats=1 "$@"); then
    echo "FINDING in $target: see $findings" >&2
    status=1
  fi
done
exit $status
